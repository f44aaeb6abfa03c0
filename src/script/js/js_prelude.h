#pragma once
// Script-level helpers every module gets before its own code: the collection and variant-array
// objects that programs of the dialect use (Enumerator, VBArray). Evaluates to a function that
// takes the global object and returns the constructors the bridge needs.

namespace vorlan::script::js {

inline constexpr const char* kPrelude = R"JS((function (global) {
'use strict';
function hide(o, name, value) {
    Object.defineProperty(o, name, {value: value, writable: true, configurable: true, enumerable: false});
}
// A variant array that is not a plain zero-based list: bounds [[low, high], ...] and the items
// in storage order (the first dimension varies fastest).
function SafeArray() {}
function VBArray(a) {
    if (!(this instanceof VBArray)) return new VBArray(a);
    var p = partsOf(a);
    if (!p) throw new TypeError('VBArray expected');
    hide(this, '_b', p.b);
    hide(this, '_i', p.i);
}
function partsOf(a) {
    if (a instanceof VBArray || a instanceof SafeArray) return {b: a._b, i: a._i};
    if (Array.isArray(a)) return {b: [[0, a.length - 1]], i: a.slice()};
    return null;
}
function bounds(self, d) {
    if (d === undefined) d = 1;
    d = +d;
    if (!(d >= 1 && d <= self._b.length)) throw new RangeError('Subscript out of range');
    return self._b[d - 1];
}
hide(VBArray.prototype, 'dimensions', function () { return this._b.length; });
hide(VBArray.prototype, 'lbound', function (d) { return bounds(this, d)[0]; });
hide(VBArray.prototype, 'ubound', function (d) { return bounds(this, d)[1]; });
hide(VBArray.prototype, 'getItem', function () {
    var b = this._b, offset = 0, scale = 1;
    if (arguments.length !== b.length) throw new RangeError('Subscript out of range');
    for (var k = 0; k < b.length; k++) {
        var x = +arguments[k];
        if (!(x >= b[k][0] && x <= b[k][1]) || x !== Math.floor(x)) throw new RangeError('Subscript out of range');
        offset += (x - b[k][0]) * scale;
        scale *= b[k][1] - b[k][0] + 1;
    }
    return this._i[offset];
});
hide(VBArray.prototype, 'toArray', function () { return this._i.slice(); });

// Collections of the system: Count with Items/Strings or the default property, or a
// component's ComponentCount with Components.
function hostItems(c) {
    var out = [], n, k, get;
    if ('Count' in c) {
        n = +c.Count;
        get = 'Items' in c ? function (k) { return c.Items(k); }
            : 'Strings' in c ? function (k) { return c.Strings(k); }
            : function (k) { return c(k); };
        for (k = 0; k < n; k++) out.push(get(k));
    } else if ('ComponentCount' in c) {
        n = +c.ComponentCount;
        for (k = 0; k < n; k++) out.push(c.Components(k));
    } else if (typeof c.length === 'number') {
        for (k = 0; k < c.length; k++) out.push(c[k]);
    } else {
        throw new TypeError('Object is not a collection');
    }
    return out;
}
function Enumerator(c) {
    if (!(this instanceof Enumerator)) return new Enumerator(c);
    var items = [];
    if (c !== undefined && c !== null) {
        var p = partsOf(c);
        if (p) items = p.i;
        else if (typeof c === 'object' || typeof c === 'function') items = hostItems(c);
        else throw new TypeError('Object is not a collection');
    }
    hide(this, '_i', items);
    hide(this, '_k', 0);
}
hide(Enumerator.prototype, 'atEnd', function () { return this._k >= this._i.length; });
hide(Enumerator.prototype, 'item', function () { return this._k < this._i.length ? this._i[this._k] : undefined; });
hide(Enumerator.prototype, 'moveFirst', function () { this._k = 0; });
hide(Enumerator.prototype, 'moveNext', function () { if (this._k < this._i.length) this._k++; });

// Dates already cross to the system as dates; programs still ask for them this way.
hide(Date.prototype, 'getVarDate', function () { return new Date(this.getTime()); });

hide(global, 'VBArray', VBArray);
hide(global, 'Enumerator', Enumerator);
return {SafeArray: SafeArray, VBArray: VBArray, Date: Date};
}))JS";

} // namespace vorlan::script::js
