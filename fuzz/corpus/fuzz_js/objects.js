var c = TComponent.Create(null);
Out(c.ClassName());
c.Name = 'Abc';
Out(c.Name + ' ' + c.ComponentCount);
var v = new VBArray([1, 'x', true]);
Out(v.ubound() + v.getItem(1));
var e = new Enumerator(c);
Out(e.atEnd());
function main(x, y) { Out(chr(x + 64) + y); }
