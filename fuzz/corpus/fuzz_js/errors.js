function bad() { undefinedThing(); }
Out(typeof bad);
var s = 'unterminated
