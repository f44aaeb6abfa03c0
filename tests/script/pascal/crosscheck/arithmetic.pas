program Arithmetic;
var a, b, c: Integer;
    t, f: Boolean;
begin
  a := 17; b := 5; c := -23;
  Writeln(a + b * 2, ' ', (a + b) * 2, ' ', a - b - c, ' ', -a * b);
  Writeln(a div b, ' ', a mod b, ' ', c div b, ' ', c mod b, ' ', c div -4, ' ', c mod -4);
  Writeln(a shl 3, ' ', a shr 2, ' ', c shr 28, ' ', 1 shl 30);
  Writeln(a and b, ' ', a or b, ' ', a xor b, ' ', not a, ' ', not 0, ' ', c and 255);
  Writeln(a > b, ' ', a < b, ' ', a >= 17, ' ', b <= 4, ' ', a = 17, ' ', a <> 17);
  t := True; f := False;
  Writeln(t and f, ' ', t or f, ' ', t xor t, ' ', not f, ' ', (a > b) and (b > 0));
  Writeln(not (a > b) or (c < 0), ' ', 2 + 3 * 4 - 6 div 2, ' ', 100 div 7 mod 3);
  Writeln($FF + $10, ' ', 2147483647, ' ', -2147483647 - 1);
  Writeln('abc' < 'abd', ' ', 'b' > 'abc', ' ', 'x' = 'x', ' ', '' < 'a');
end.
