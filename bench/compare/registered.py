def main():
    s = 'hello'
    n = 0
    for i in range(1, @N@ + 1):
        n = n + len(s)
    print(n)
main()
