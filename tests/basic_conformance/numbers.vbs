' Numeric functions.
' documented: Int(99.8) = 99, Fix(99.2) = 99, Int(-99.8) = -100, Fix(-99.8) = -99,
' Int(-99.2) = -100, Fix(-99.2) = -99
Writeln Int(99.8) & " " & Fix(99.2) & " " & Int(-99.8) & " " & Fix(-99.8) & " " & Int(-99.2) & " " & Fix(-99.2)
' documented: Abs(50.3) = 50.3 and Abs(-50.3) = 50.3
Writeln Abs(50.3) & " " & Abs(-50.3)
' documented: Sgn(12) = 1, Sgn(-2.4) = -1, Sgn(0) = 0
Writeln Sgn(12) & " " & Sgn(-2.4) & " " & Sgn(0)
' documented: Round(3.14159, 2) = 3.14
Writeln Round(3.14159, 2)
' documented: Round(2.5) = 2 and Round(3.5) = 4 (banker's rounding: a tie goes to the even number)
Writeln Round(2.5) & " " & Round(3.5) & " " & Round(-2.5) & " " & Round(0.125, 2)
' documented: Sqr(4) = 2, Sqr(23) = 4.79583152331272, Sqr(0) = 0
Writeln Sqr(4) & " " & Sqr(23) & " " & Sqr(0)
' documented: Rnd with a negative argument gives the same number every time for that seed
Writeln Rnd(-1) = Rnd(-1)
Randomize 42
Dim r : r = Rnd
Writeln r >= 0 And r < 1
' documented: 11 \ 4 = 2, 9 \ 3 = 3, 100 \ 3 = 33
Writeln 11 \ 4 & " " & 9 \ 3 & " " & 100 \ 3
' documented: 10 Mod 5 = 0, 10 Mod 3 = 1, 12 Mod 4.3 = 0, 12.6 Mod 5 = 3 (operands rounded first)
Writeln 10 Mod 5 & " " & 10 Mod 3 & " " & 12 Mod 4.3 & " " & 12.6 Mod 5
' documented: 2 ^ 10 = 1024
Writeln 2 ^ 10
' documented: Hex(5) = "5", Hex(10) = "A", Hex(459) = "1CB"
Writeln Hex(5) & " " & Hex(10) & " " & Hex(459)
