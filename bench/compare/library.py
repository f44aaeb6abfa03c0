def main():
    base = 'hello world of business'
    n = 0
    items = []
    lookup = {}
    for k in range(10):
        lookup['k' + str(k)] = str(k)
    for i in range(1, @N@ + 1):
        s = base[i % 5:i % 5 + 10]
        p = s.find('o') + 1
        t = str(i)
        f = '%d-%s' % (i, t)
        u = s.upper()
        items.append(t)
        if i % 1000 == 0:
            items.clear()
        v = lookup['k' + str(i % 10)]
        n = n + p + len(f) + len(u) + len(v)
    print(n)
main()
