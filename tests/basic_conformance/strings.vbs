' Text functions. Each line cites the language reference's documented example and result.
Dim SearchString, SearchChar, AnyString, MyString, MyArray
SearchString = "XXpXXpXXPXXP"
SearchChar = "P"
' documented: InStr(4, SearchString, SearchChar, 1) returns 6 (text compare from position 4)
Writeln InStr(4, SearchString, SearchChar, 1)
' documented: InStr(1, SearchString, SearchChar, 0) returns 9 (binary compare)
Writeln InStr(1, SearchString, SearchChar, 0)
' documented: InStr(SearchString, SearchChar) returns 9 (binary compare by default)
Writeln InStr(SearchString, SearchChar)
' documented: InStr(1, SearchString, "W") returns 0
Writeln InStr(1, SearchString, "W")
' documented: InStrRev(SearchString, SearchChar, 10, 0) returns 9
Writeln InStrRev(SearchString, SearchChar, 10, 0)
' documented: InStrRev(SearchString, SearchChar, -1, 1) returns 12
Writeln InStrRev(SearchString, SearchChar, -1, 1)
' documented: InStrRev(SearchString, SearchChar, 8) returns 0
Writeln InStrRev(SearchString, SearchChar, 8)
' documented: Mid("VBScript is fun!", 3, 6) returns "Script"
Writeln Mid("VBScript is fun!", 3, 6)
' documented: Left("VBSCript Features", 3) returns "VBS"
Writeln Left("VBSCript Features", 3)
AnyString = "Hello World"
' documented: Right(AnyString, 1) returns "d"; Right(AnyString, 6) returns " World";
' Right(AnyString, 20) returns "Hello World"
Writeln Right(AnyString, 1)
Writeln "[" & Right(AnyString, 6) & "]"
Writeln Right(AnyString, 20)
' documented: Len("VBSCript") returns 8
Writeln Len("VBSCript")
' documented: Replace("XXpXXPXXp", "p", "Y") returns "XXYXXPXXY"
Writeln Replace("XXpXXPXXp", "p", "Y")
' documented: Replace("XXpXXPXXp", "p", "Y", 3, -1, 1) returns "YXXYXXY" (starts at 3, text compare)
Writeln Replace("XXpXXPXXp", "p", "Y", 3, -1, 1)
' documented: Split("VBScriptXisXfun!", "x", -1, 1) gives "VBScript", "is", "fun!"
MyArray = Split("VBScriptXisXfun!", "x", -1, 1)
Writeln MyArray(0) & "|" & MyArray(1) & "|" & MyArray(2) & "|" & UBound(MyArray)
' documented: Join of "Mr.", "John", "Doe", "III" with the default delimiter is "Mr. John Doe III"
Writeln Join(Array("Mr.", "John", "Doe", "III"))
Writeln Join(Array("a", "b", "c"), "")
' documented: UCase("Hello World") returns "HELLO WORLD"; LCase returns "hello world"
Writeln UCase("Hello World")
Writeln LCase("Hello World")
' documented: LTrim("   vbscript ") is "vbscript ", RTrim is "   vbscript", Trim is "vbscript"
Writeln "[" & LTrim("   vbscript ") & "]"
Writeln "[" & RTrim("   vbscript ") & "]"
Writeln "[" & Trim("   vbscript ") & "]"
' documented: "Hello" & Space(10) & "World" inserts 10 spaces
Writeln "Hello" & Space(10) & "World"
' documented: String(5, "*") and String(5, 42) return "*****"; String(10, "ABC") "AAAAAAAAAA"
Writeln String(5, "*")
Writeln String(5, 42)
Writeln String(10, "ABC")
' documented: with "ABCD" and "abcd": StrComp(s1, s2, 1) = 0, StrComp(s1, s2, 0) = -1,
' StrComp(s2, s1) = 1
Writeln StrComp("ABCD", "abcd", 1)
Writeln StrComp("ABCD", "abcd", 0)
Writeln StrComp("abcd", "ABCD")
' documented: Asc("A") = 65, Asc("a") = 97, Asc("Apple") = 65
Writeln Asc("A") & " " & Asc("a") & " " & Asc("Apple")
' documented: Chr(65) = "A", Chr(97) = "a", Chr(62) = ">", Chr(37) = "%"
Writeln Chr(65) & Chr(97) & Chr(62) & Chr(37)
