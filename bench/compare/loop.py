def main():
    i = 0
    s = 0
    while i < @N@:
        if i % 3 == 0:
            s = s + i % 7
        else:
            s = s - 1
        i = i + 1
    print(s)
main()
