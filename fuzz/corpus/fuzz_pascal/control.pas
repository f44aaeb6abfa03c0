program Control;
label Again, Done;
var i, j, s, n: Integer;
begin
  s := 0;
  for i := 1 to 10 do s := s + i * i;
  Out(s);
  s := 0;
  for i := 10 downto 1 do
    if i mod 3 = 0 then s := s * 10 + i;
  Out(s);
  s := 0;
  for i := 1 to 20 do
  begin
    if i mod 2 = 0 then continue;
    if i > 15 then break;
    for j := 1 to i do
      if j > 3 then break else s := s + j;
  end;
  Out(s);
  n := 27; s := 0;
  while n <> 1 do
  begin
    if n mod 2 = 0 then n := n div 2 else n := 3 * n + 1;
    s := s + 1;
  end;
  Out(s);
  i := 0;
  repeat
    i := i + 7;
  until i mod 5 = 0;
  Out(i);
  i := 0;
Again:
  i := i + 1;
  if i < 5 then goto Again;
  goto Done;
  Out('never');
Done:
  Out(i);
  for i := 5 to 1 do Out('never');
end.
