def add_one(x):
    return x + 1
def main():
    n = 0
    for i in range(1, @N@ + 1):
        n = add_one(n)
    print(n)
main()
