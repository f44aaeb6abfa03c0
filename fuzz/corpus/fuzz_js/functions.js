var total = 0;
function add(a, b) { return a + b; }
function main() { total = add(1, 2); Out(total); Out(MkSet(1, 2, 3)); }
