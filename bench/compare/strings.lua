local s, total = '', 0
for i = 1, @N@ do
  s = s .. 'ab'
  if i % 100 == 0 then total = total + 1; s = '' end
end
print(total)
