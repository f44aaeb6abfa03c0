program Strings;
var s, t: string;
    i, n: Integer;
begin
  s := 'Hello';
  t := s + ', ' + 'world';
  Writeln(t);
  Writeln(Copy(t, 1, 5), '|', Copy(t, 8, 100), '|', Copy(t, 0, 2), '|', Copy(t, 50, 2), '|');
  Writeln(Pos('world', t), ' ', Pos('xyz', t), ' ', Pos('l', t));
  n := 0;
  for i := 1 to 12 do
    if t[i] = 'l' then n := n + 1;
  Writeln(n);
  s := '';
  for i := 1 to 5 do s := s + t[i] + '-';
  Writeln(s);
  Writeln('it''s', ' ', #65#66, ' ', 'a' + #67);
  t := 'abc';
  SetLength(t, 2);
  Writeln(t);
end.
