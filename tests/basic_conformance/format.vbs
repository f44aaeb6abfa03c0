' The Format functions. The reference's examples use its authors' regional settings; this
' runtime writes numbers with "." before the decimals and "," between thousands, the koruna as
' the currency and Czech dates.
Dim MyAngle, MySecant
MyAngle = 1.3
MySecant = 1 / Cos(MyAngle)
' documented: FormatNumber(MySecant, 4) formats the secant of 1.3 to four decimals: 3.7383
Writeln FormatNumber(MySecant, 4)
' documented: FormatNumber's default is two decimals with digit grouping
Writeln FormatNumber(1234567.891)
' documented arguments: leading zero (vbFalse drops it), parentheses for negatives, grouping
Writeln FormatNumber(0.5, 2, vbFalse) & " " & FormatNumber(-1234.5, 1, , vbTrue) & " " & FormatNumber(1234.5, 0, , , vbFalse)
' documented: FormatCurrency(1000) shows the amount with two decimals and the currency symbol
Writeln FormatCurrency(1000)
Writeln FormatCurrency(-1234.567)
' documented: FormatPercent(2/32) returns 6.25%
Writeln FormatPercent(2/32)
Writeln FormatPercent(0.5, 0)
' documented: FormatDateTime with vbLongDate, vbShortDate, vbLongTime, vbShortTime, vbGeneralDate
Dim d : d = DateSerial(2026, 12, 6) + TimeSerial(20, 5, 9)
Writeln FormatDateTime(d, vbLongDate)
Writeln FormatDateTime(d, vbShortDate)
Writeln FormatDateTime(d, vbLongTime)
Writeln FormatDateTime(d, vbShortTime)
Writeln FormatDateTime(d)
