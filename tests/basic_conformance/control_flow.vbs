' If, Select Case, loops and Exit.
Option Explicit
Dim i, s, n
' If in its block, ElseIf and single-line forms
For i = 1 To 3
    If i = 1 Then
        s = "one"
    ElseIf i = 2 Then
        s = "two"
    Else
        s = "many"
    End If
    If i Mod 2 = 1 Then Writeln s & " odd" Else Writeln s & " even"
Next
' documented: Select Case tests values, lists, ranges with To and comparisons with Is
For Each n In Array(1, 5, 8, 42, "x")
    Select Case n
        Case 1, 2
            Writeln n & ": one or two"
        Case 3 To 6
            Writeln n & ": three to six"
        Case "x"
            Writeln n & ": a letter"
        Case Is > 10
            Writeln n & ": above ten"
        Case Else
            Writeln n & ": something else"
    End Select
Next
' documented: For ... Step counts down with a negative step; the counter passes the end by one step
s = ""
For i = 10 To 1 Step -3
    s = s & i & " "
Next
Writeln s & "after " & i
' documented: a loop whose start is past its end does not run
s = "none"
For i = 5 To 1
    s = "ran"
Next
Writeln s
' Do While/Until with the test before and after the body
i = 0
Do While i < 3
    i = i + 1
Loop
Writeln "while " & i
i = 0
Do
    i = i + 1
Loop Until i >= 3
Writeln "until " & i
i = 10
Do
    i = i + 1
Loop While i < 3
Writeln "body once " & i
i = 0
Do Until i = 4
    i = i + 2
Loop
Writeln "do until " & i
' documented: While ... Wend
i = 0
While i < 5
    i = i + 1
Wend
Writeln "wend " & i
' documented: Exit Do and Exit For leave the innermost loop
i = 0
Do
    i = i + 1
    If i = 7 Then Exit Do
Loop
Writeln "exit do " & i
For i = 1 To 100
    If i * i > 50 Then Exit For
Next
Writeln "exit for " & i
