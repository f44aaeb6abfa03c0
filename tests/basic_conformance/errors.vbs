' On Error Resume Next, On Error GoTo 0 and the Err object.
Dim x
On Error Resume Next
' documented: Err.Raise 6 raises an Overflow error; Err.Number is 6 and Err.Description "Overflow"
Err.Raise 6
Writeln "Error # " & CStr(Err.Number) & " " & Err.Description
' documented: Err.Clear resets the number to 0
Err.Clear
Writeln Err.Number
' documented: division by zero is error 11
x = 1 / 0
Writeln Err.Number & " " & Err.Description
Err.Clear
' documented: a user-defined error: vbObjectError + number, with source and description
Err.Raise vbObjectError + 513, "MyModule", "Something failed"
Writeln (Err.Number - vbObjectError) & " " & Err.Source & " " & Err.Description
Err.Clear
' documented: an error in a called procedure without its own handler goes back to the caller's
Sub Fails
    Writeln "before"
    x = CInt("not a number")
    Writeln "not reached"
End Sub
Fails
Writeln "caller resumes: " & Err.Number
Err.Clear
' documented: with Resume Next the statement after the failing one runs (here a call of a
' procedure nobody defined)
x = UndefinedFunction(1)
Writeln "undefined: " & Err.Number
' documented: On Error GoTo 0 turns the handling off (and clears Err)
On Error GoTo 0
Writeln "after GoTo 0: " & Err.Number
Writeln "end"
