local function addOne(x) return x + 1 end
local n = 0
for i = 1, @N@ do n = addOne(n) end
print(n)
