' Arrays: Dim, ReDim Preserve, Array, UBound, LBound, Erase, For Each.
Dim A(100, 3, 4), B, C(), x, total
' documented: for Dim A(100, 3, 4): UBound(A, 1) = 100, UBound(A, 2) = 3, UBound(A, 3) = 4
Writeln UBound(A, 1) & " " & UBound(A, 2) & " " & UBound(A, 3) & " " & LBound(A, 2)
' documented: A = Array(10, 20, 30): A(2) is 30
B = Array(10, 20, 30)
Writeln B(2) & " " & UBound(B)
' documented: ReDim Preserve keeps the contents when the last dimension grows
ReDim C(2)
C(0) = "a" : C(1) = "b" : C(2) = "c"
ReDim Preserve C(4)
C(4) = "e"
Writeln Join(C, ",") & " " & UBound(C)
ReDim Preserve C(1)
Writeln Join(C, ",")
' documented: ReDim without Preserve clears the contents
ReDim C(1)
Writeln "[" & C(0) & "]"
total = 0
For Each x In B
    total = total + x
Next
Writeln total
' documented: Erase on a dynamic array frees it
Erase C
Writeln IsArray(C)
' arrays are values: assigning copies
Dim D
D = B
D(0) = 99
Writeln B(0) & " " & D(0)
' documented: an index out of range is run-time error 9 "Subscript out of range"
On Error Resume Next
x = B(7)
Writeln Err.Number & " " & Err.Description
