'use strict';
function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
function sum(s) { var t = 0; for (var i = 0; i < 3; i++) t += Length(s) + fib(i); return t; }
var o = {function: {a: 1}, get x() { return Length('ab'); }};
function main() { Out(sum('abc')); Out(o.x); }
