' Sub and Function, ByRef and ByVal, Call, Exit Sub and Exit Function, Const.
Const Greeting = "Hi", Limit = 3
Dim a, b

' documented: arguments are passed ByRef unless ByVal says otherwise
Sub Change(ByRef x, ByVal y)
    x = x * 10
    y = y * 10
End Sub

Function Twice(n)
    Twice = n * 2
End Function

Function Classify(n)
    Classify = "small"
    If n < Limit Then Exit Function
    Classify = "large"
End Function

Sub Say(text)
    If text = "" Then Exit Sub
    Writeln Greeting & " " & text
End Sub

a = 1 : b = 1
Change a, b
Writeln a & " " & b
' documented: with Call, the argument list is in parentheses
Call Change(a, b)
Writeln a & " " & b
' documented: an argument in its own parentheses is passed by value
Change (a), b
Writeln a
Writeln Twice(21) & " " & Classify(1) & " " & Classify(5)
Say ""
Say "there"
Call Say("again")
' documented: a function called as a statement discards its result
Twice 4
' documented: recursion
Function Fact(n)
    If n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)
End Function
Writeln Fact(10)
