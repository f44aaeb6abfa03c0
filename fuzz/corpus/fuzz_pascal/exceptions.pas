var i, n: Integer; e: Variant;
procedure P(d: Integer);
begin
  try
    if d = 0 then raise 'bottom';
    P(d - 1);
  finally
    Out(d);
  end;
end;
function F(x: Integer): Integer;
begin
  Result := 0;
  try
    Result := 10 div x;
    Exit;
  finally
    Out(Result);
  end;
end;
begin
  for i := 1 to 3 do
  try
    if i = 2 then Continue;
    if i = 3 then Break;
  finally
    n := n + 1;
  end;
  try
    P(3);
  except
    on E: Exception do Out(E.Message);
  end;
  try
    F(0);
  except
    on EDivByZero do Out(1);
    on X: EIntError do raise X;
  else
    raise;
  end;
  try try raise 1; finally Out(2); end; except Out(ExceptionMessage); end;
  Write('a', 1:3, 2.5:6:2);
  Writeln(n:i);
end.
