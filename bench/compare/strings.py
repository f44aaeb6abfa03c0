def main():
    s = ''
    total = 0
    for i in range(1, @N@ + 1):
        s = s + 'ab'
        if i % 100 == 0:
            total = total + 1
            s = ''
    print(total)
main()
