local s, n = 'hello', 0
local len = string.len
for i = 1, @N@ do n = n + len(s) end
print(n)
