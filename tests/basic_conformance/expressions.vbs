' Operators and their precedence, Null, Empty, Nothing, Eval, Execute, MsgBox and InputBox.
Dim x, y, answer
' documented precedence: arithmetic before concatenation before comparison before logic;
' ^ before negation before * / before \ before Mod before + -
Writeln 2 + 3 * 4 & " " & (2 + 3) * 4 & " " & -2 ^ 2 & " " & 10 - 4 - 3 & " " & 7 \ 2 * 3
Writeln 1 + 2 & 3 + 4
Writeln 5 > 3 And 2 > 1 Or False
Writeln Not 1 = 2
' documented: And, Or, Xor, Eqv, Imp on Booleans; on numbers they work bit by bit
Writeln (True Xor True) & " " & (False Eqv False) & " " & (True Imp False) & " " & (12 And 10) & " " & (12 Or 3)
' documented: + on two strings concatenates, on a number and a numeric string adds
Writeln "1" + "2" & " " & 1 + "2"
' documented: Null propagates through arithmetic and concatenation treats it as ""
Writeln IsNull(Null + 1) & " [" & Null & "]"
' documented: Empty is 0 in arithmetic and "" in text
Writeln Empty + 5 & " [" & Empty & "]"
' documented: Eval treats x = y as a comparison; Execute treats it as an assignment
x = 1 : y = 2
Writeln Eval("x = y")
Execute "x = y"
Writeln x
Writeln Eval("2 * 21")
' the dialogs answer by their defaults when nobody is there: OK and the default text
answer = MsgBox("Continue?", vbOKCancel, "Question")
Writeln answer = vbOK
Writeln InputBox("Your name?", "Question", "nobody")
