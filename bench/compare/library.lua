local base, n = 'hello world of business', 0
local items, count, lookup = {}, 0, {}
local sub, find, format, upper, len = string.sub, string.find, string.format, string.upper, string.len
for k = 0, 9 do lookup['k' .. tostring(k)] = tostring(k) end
for i = 1, @N@ do
    local s = sub(base, 1 + i % 5, i % 5 + 10)
    local p = find(s, 'o', 1, true) or 0
    local t = tostring(i)
    local f = format('%d-%s', i, t)
    local u = upper(s)
    count = count + 1; items[count] = t
    if i % 1000 == 0 then items, count = {}, 0 end
    local v = lookup['k' .. tostring(i % 10)]
    n = n + p + len(f) + len(u) + len(v)
end
print(n)
