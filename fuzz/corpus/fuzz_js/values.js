var d = new Date(2000, 0, 1);
Out(d);
Out(null); Out(undefined); Out(1.5); Out(-0); Out([1, [2, 3]]);
Out({a: 1});
Out('Příliš žluťoučký kůň');
function f(a, b, c) { return [a, b, c]; }
