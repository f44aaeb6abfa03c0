program Routines;
var counter: Integer;

function Fact(n: Integer): Integer;
begin
  if n <= 1 then Result := 1 else Result := n * Fact(n - 1);
end;

function Fib(n: Integer): Integer;
begin
  if n < 2 then Fib := n else Fib := Fib(n - 1) + Fib(n - 2);
end;

function Gcd(a, b: Integer): Integer;
begin
  if b = 0 then Result := a else Result := Gcd(b, a mod b);
end;

function Ack(m, n: Integer): Integer;
begin
  if m = 0 then Result := n + 1
  else if n = 0 then Result := Ack(m - 1, 1)
  else Result := Ack(m - 1, Ack(m, n - 1));
end;

procedure Hanoi(n: Integer; var moves: Integer);
begin
  if n = 0 then exit;
  Hanoi(n - 1, moves);
  moves := moves + 1;
  Hanoi(n - 1, moves);
end;

procedure Swap(var a, b: Integer);
var t: Integer;
begin
  t := a; a := b; b := t;
end;

function IsOdd(n: Integer): Boolean; forward;

function IsEven(n: Integer): Boolean;
begin
  if n = 0 then Result := True else Result := IsOdd(n - 1);
end;

function IsOdd(n: Integer): Boolean;
begin
  if n = 0 then Result := False else Result := IsEven(n - 1);
end;

procedure Count;
begin
  counter := counter + 1;
end;

function Digits(n: Integer): string;
begin
  if n < 10 then Result := Copy('0123456789', n + 1, 1)
  else Result := Digits(n div 10) + Digits(n mod 10);
end;

var x, y, m: Integer;
begin
  Writeln(Fact(1), ' ', Fact(7), ' ', Fact(12));
  Writeln(Fib(1), ' ', Fib(10), ' ', Fib(22));
  Writeln(Gcd(1071, 462), ' ', Gcd(17, 5));
  Writeln(Ack(2, 3), ' ', Ack(3, 3));
  m := 0; Hanoi(10, m); Writeln(m);
  x := 3; y := 9; Swap(x, y); Writeln(x, ' ', y);
  Writeln(IsEven(10), ' ', IsOdd(10), ' ', IsOdd(7));
  counter := 0; Count; Count; Count; Writeln(counter);
  Writeln(Digits(90210), ' ', Digits(7));
end.
