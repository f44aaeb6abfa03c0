program Features;
uses Nothing;
label L;
const C = 10; S = 'it''s' + #65;
type TForm1 = class(TForm)
    procedure Click(Sender: TObject);
  private
    F: Integer;
    property P: Integer read F write F;
  end;
var a: Variant; o: TComponent; i: Integer;
procedure TForm1.Click(Sender: TObject); begin Out(Sender) end;
function Twice(x: Integer): Integer; begin Result := x * 2 end;
begin
  {$IFDEF WIN32} a := [1, 'two', 3.5, nil]; {$ELSE} a := 0; {$ENDIF}
  o := TComponent.Create(nil); o.Name := 'x'; Out(o.Name); Out(o = nil); o.Free;
  try raise 'e' except Out('caught') end;
  i := 0; L: i := i + 1; if i < 3 then goto L;
  a := Array1Create(0, 3); Array1Set(a, 1, Twice(C)); Out(Array1Get(a, 1));
  Out(Copy(S, 2, 2)); Zork(1);
  while True do ;
end.
