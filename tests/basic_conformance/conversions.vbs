' Conversions and tests of the subtype.
Dim MyVar, NullVar, ArrayVar(3), A, B
' documented: CInt(2345.5678) returns 2346
Writeln CInt(2345.5678)
' documented: CLng(25427.45) returns 25427 and CLng(25427.55) returns 25428
Writeln CLng(25427.45) & " " & CLng(25427.55)
' documented: CInt rounds a fraction of exactly .5 to the even number: CInt(0.5) = 0, CInt(1.5) = 2
Writeln CInt(0.5) & " " & CInt(1.5) & " " & CInt(2.5)
' documented: CDbl(CCur(234.456784) * 8.2 * 0.01) returns 19.2254576
Writeln CDbl(CCur(234.456784) * 8.2 * 0.01)
' documented: CStr(437.324) returns "437.324"
Writeln CStr(437.324)
' documented: with A = 5 and B = 5, CBool(A = B) is True; CBool(0) is False
A = 5 : B = 5
Writeln CBool(A = B)
Writeln CBool(0)
' documented: IsNumeric(53) and IsNumeric("459.95") are True, IsNumeric("45 Help") False
Writeln IsNumeric(53) & " " & IsNumeric("459.95") & " " & IsNumeric("45 Help")
' documented: a declared variable IsEmpty; after MyVar = Null it is not; after MyVar = Empty it is
Writeln IsEmpty(MyVar)
MyVar = Null
Writeln IsEmpty(MyVar) & " " & IsNull(MyVar)
MyVar = Empty
Writeln IsEmpty(MyVar) & " " & IsNull(MyVar)
' documented: IsArray of a declared array is True, of a plain variable False
Writeln IsArray(ArrayVar) & " " & IsArray(MyVar)
Set MyVar = CreateObject("Scripting.Dictionary")
Writeln IsObject(MyVar) & " " & IsObject(5)
' documented: TypeName("VBScript") = "String", TypeName(4) = "Integer", TypeName(37.50) = "Double",
' TypeName(NullVar) = "Null", TypeName(ArrayVar) = "Variant()"
NullVar = Null
Writeln TypeName("VBScript") & " " & TypeName(4) & " " & TypeName(37.50) & " " & TypeName(NullVar) & " " & TypeName(ArrayVar)
' documented: TypeName of Empty is "Empty", of Nothing "Nothing", of a Boolean "Boolean", of 32768 "Long"
Writeln TypeName(Empty) & " " & TypeName(Nothing) & " " & TypeName(True) & " " & TypeName(32768)
' documented: VarType(#10/19/62#) = 7 (vbDate), VarType("VBScript") = 8 (vbString)
Writeln VarType(#10/19/62#) & " " & VarType("VBScript") & " " & VarType(Now)
' documented: VarType of an array of variants is 8204 (vbArray + vbVariant)
Writeln VarType(ArrayVar)
' documented: CDate recognizes date literals and dates written by the regional settings (here
' day.month.year); the result is of the Date subtype
Writeln CDate(#10/19/1962#) & " " & CDate("19.10.1962") & " " & VarType(CDate("19.10.1962 16:35"))
' documented: CDate of a number: the whole part counts days from 30 December 1899, the fraction
' is the time of day
Writeln CDate(2) & " " & CDate(0.5)
