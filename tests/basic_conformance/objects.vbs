' Classes with Property Get/Let/Set, With, Set, Nothing, Is, CreateObject and GetRef.
Class Account
    Private mBalance
    Private mOwner
    Public Name

    Private Sub Class_Initialize
        mBalance = 0
    End Sub

    Public Property Get Balance
        Balance = mBalance
    End Property

    ' documented: Property Let assigns a value, Property Set an object reference
    Public Property Let Balance(v)
        If v < 0 Then Err.Raise 5
        mBalance = v
    End Property

    Public Property Get Owner
        Set Owner = mOwner
    End Property

    Public Property Set Owner(o)
        Set mOwner = o
    End Property

    Public Function Deposit(amount)
        mBalance = mBalance + amount
        Deposit = mBalance
    End Function
End Class

Dim acc, other, d, k, f
Set acc = New Account
acc.Name = "Novák"
acc.Balance = 100
Writeln acc.Deposit(50) & " " & acc.Balance
' documented: With runs a series of statements on one object
With acc
    .Name = "Dvořák"
    .Deposit 25
    Writeln .Name & " " & .Balance
End With
Set other = New Account
Set acc.Owner = other
' documented: Is compares object references
Writeln (acc.Owner Is other) & " " & (acc Is other)
' documented: Nothing releases the reference; IsObject stays True
Set other = Nothing
Writeln (other Is Nothing) & " " & IsObject(other) & " " & TypeName(acc)
On Error Resume Next
acc.Balance = -1
Writeln "rejected: " & Err.Number & " balance " & acc.Balance
On Error GoTo 0

' documented: the dictionary of the scripting runtime: Add, Item, Exists, Count, Keys, Items,
' Key, Remove, RemoveAll
Set d = CreateObject("Scripting.Dictionary")
d.Add "a", "Athens"
d.Add "b", "Belgrade"
d.Add "c", "Cairo"
Writeln d.Count & " " & d.Item("c") & " " & d("a") & " " & d.Exists("c") & " " & d.Exists("z")
Writeln Join(d.Keys, ",") & " " & Join(d.Items, ",")
d.Key("c") = "d"
d.Remove "b"
For Each k In d
    Writeln k & "=" & d(k)
Next
' documented: reading an absent key adds it with an empty item
Writeln "[" & d("new") & "] " & d.Count
On Error Resume Next
d.Add "a", "again"
Writeln "duplicate: " & Err.Number
Err.Clear
On Error GoTo 0
d.RemoveAll
Writeln d.Count
' documented: GetRef returns a reference to a procedure that can be called through it
Function Square(x)
    Square = x * x
End Function
Set f = GetRef("Square")
Writeln f(7)
