' Date functions. Dates are written as the runtime writes them: day.month.year.
Dim MyDate, MyTime
MyDate = #10/19/1962#
' documented: for October 19, 1962, Year = 1962, Month = 10, Day = 19, Weekday = 6 (Friday)
Writeln Year(MyDate) & " " & Month(MyDate) & " " & Day(MyDate) & " " & Weekday(MyDate)
' Weekday with Monday as the first day of the week: Friday is the 5th day
Writeln Weekday(MyDate, vbMonday)
' documented: for 4:35:17 PM, Hour = 16, Minute = 35, Second = 17
MyTime = #4:35:17 PM#
Writeln Hour(MyTime) & " " & Minute(MyTime) & " " & Second(MyTime)
' documented: DateSerial(1990 - 10, 8 - 2, 1 - 1) is May 31, 1980
Writeln DateSerial(1990 - 10, 8 - 2, 1 - 1)
' documented: DateAdd("m", 1, "31-Jan-95") is 28-Feb-95, not 31-Feb-95
Writeln DateAdd("m", 1, #1/31/1995#)
' documented: adding a month to January 31, 1996 gives February 29, 1996 (a leap year)
Writeln DateAdd("m", 1, #1/31/1996#)
Writeln DateAdd("d", 10, #12/25/1999#) & " " & DateAdd("yyyy", -1, #2/29/2000#)
' documented: DateDiff("yyyy") from December 31 to January 1 of the next year is 1,
' though only a day has passed
Writeln DateDiff("yyyy", #12/31/1999#, #1/1/2000#)
Writeln DateDiff("d", #1/1/2000#, #3/1/2000#) & " " & DateDiff("m", #1/31/2000#, #2/1/2000#)
' documented: Now, Date and Time are of the Date subtype (VarType 7)
Writeln VarType(Now) & VarType(Date) & VarType(Time)
Writeln MonthName(10) & " " & WeekdayName(6)
' documented: two-digit years 0 to 29 are read as 2000 to 2029, 30 to 99 as 1930 to 1999
Writeln Year(#10/19/62#) & " " & Year(#1/1/29#) & " " & Year(#1/1/30#)
' documented: IsDate tells whether a text can be converted to a date
Writeln IsDate("19.10.1962") & " " & IsDate("31.2.1962") & " " & IsDate("Hello") & " " & IsDate("16:35")
' documented: DateValue drops the time, TimeValue the date
Writeln DateValue("19.10.1962 16:35") & " " & TimeValue("4:35:17 PM")
