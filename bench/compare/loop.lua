local i, s = 0, 0
while i < @N@ do
  if i % 3 == 0 then s = s + i % 7 else s = s - 1 end
  i = i + 1
end
print(s)
