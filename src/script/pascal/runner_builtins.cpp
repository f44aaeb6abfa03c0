#include "script/pascal/runner_builtins.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"
#include "script/bind.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

namespace vorlan::script::pascal {

namespace {

[[noreturn]] void invalidOperation() {
    throw ScriptException(czech("Neplatná operace s reálným číslem"));
}
[[noreturn]] void ioError(const std::string& path) {
    throw ScriptException(czech("Chyba vstupu/výstupu: ") + path);
}

std::int32_t toInt32Checked(double d) {
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) invalidOperation();
    return static_cast<std::int32_t>(d);
}

// ---- memory blocks. Scripts cannot read memory; blocks exist so that FillChar has somewhere
// to write and pointers compare as the programs expect.

struct Blocks {
    std::map<std::int32_t, std::vector<unsigned char>> byAddress;
    std::int32_t next = 0x10000;

    std::int32_t allocate(std::int32_t size) {
        if (size < 0) throw ScriptException(czech("Nedostatek paměti"));
        if (next > INT32_MAX - size - 32) throw ScriptException(czech("Nedostatek paměti"));
        const std::int32_t address = next;
        next += ((size + 15) / 16 + 1) * 16;
        byAddress[address].assign(static_cast<std::size_t>(size), 0);
        return address;
    }
    void release(const Value& pointer) {
        if (!pointer.isInteger() || pointer.asInt() == 0) return;
        if (!byAddress.erase(pointer.asInt()))
            throw ScriptException(czech("Neplatná operace s ukazatelem"));
    }
};

Blocks& blocks() {
    static Blocks b;
    return b;
}

Value nilPointer() {
    return Value(ObjectRef());
}

// ---- variant arrays

bool dimensionsAre(const Value& a, std::size_t n) {
    return a.isArray() && a.asArray()->dimensions() == n;
}

// The built-ins live in a registry of their own: only this dialect reaches them, before the
// process registry's global procedures.
struct Table {
    Registry registry;
    std::vector<const MethodInfo*> list;
};

void bindFiles(Binder& b, std::vector<const MethodInfo*>& list) {
    list.push_back(&b.bind("ChDir", "procedure(const Dir: string)", [](const std::string& dir) {
        std::error_code ec;
        std::filesystem::current_path(pathMapper().toHostOrEmpty(dir), ec);
        if (ec) ioError(dir);
    }));
    list.push_back(&b.bind("GetDir", "procedure(Drive: Byte; var Dir: string)",
                           [](std::int32_t, std::string& dir) {
                               std::error_code ec;
                               const auto here = std::filesystem::current_path(ec);
                               dir = ec ? std::string() : pathMapper().toProgram(here);
                           }));
    list.push_back(&b.bind("MkDir", "procedure(const Dir: string)", [](const std::string& dir) {
        std::error_code ec;
        if (!std::filesystem::create_directory(pathMapper().toHostOrEmpty(dir), ec) || ec)
            ioError(dir);
    }));
    list.push_back(&b.bind("RmDir", "procedure(const Dir: string)", [](const std::string& dir) {
        std::error_code ec;
        const auto path = pathMapper().toHostOrEmpty(dir);
        if (path.empty() || !std::filesystem::is_directory(path, ec) ||
            !std::filesystem::remove(path, ec) || ec)
            ioError(dir);
    }));
}

void bindMath(Binder& b, std::vector<const MethodInfo*>& list) {
    list.push_back(
        &b.bind("Cos", "function(X: Extended): Extended", [](double x) { return std::cos(x); }));
    list.push_back(
        &b.bind("Sin", "function(X: Extended): Extended", [](double x) { return std::sin(x); }));
    list.push_back(&b.bind("Exp", "function(X: Extended): Extended", [](double x) {
        const double v = std::exp(x);
        if (std::isinf(v)) throw ScriptException(czech("Přetečení reálného čísla"));
        return v;
    }));
    list.push_back(
        &b.bind("Int", "function(X: Extended): Extended", [](double x) { return std::trunc(x); }));
    list.push_back(&b.bind("Frac", "function(X: Extended): Extended",
                           [](double x) { return x - std::trunc(x); }));
    list.push_back(&b.bind("Round", "function(X: Extended): Integer",
                           [](double x) { return toInt32Checked(std::nearbyint(x)); }));
    list.push_back(&b.bind("Trunc", "function(X: Extended): Integer",
                           [](double x) { return toInt32Checked(std::trunc(x)); }));
}

void bindMemory(Binder& b, std::vector<const MethodInfo*>& list) {
    list.push_back(&b.bind("FillChar", "procedure(Address, Count: Integer; Value: Byte)",
                           [](std::int32_t address, std::int32_t count, std::int32_t value) {
                               if (count <= 0) return;
                               auto& map = blocks().byAddress;
                               auto it = map.upper_bound(address);
                               if (it == map.begin()) throw ScriptException("Access violation");
                               --it;
                               const std::int64_t offset =
                                   static_cast<std::int64_t>(address) - it->first;
                               if (offset + count > static_cast<std::int64_t>(it->second.size()))
                                   throw ScriptException("Access violation");
                               std::fill_n(it->second.begin() + offset, count,
                                           static_cast<unsigned char>(value));
                           }));
    list.push_back(&b.bind("GetMem", "procedure(var P: Pointer; Size: Integer)",
                           [](Value& p, std::int32_t size) {
                               p = size == 0 ? nilPointer() : Value(blocks().allocate(size));
                           }));
    list.push_back(&b.bind(
        "ReallocMem", "procedure(var P: Pointer; Size: Integer)", [](Value& p, std::int32_t size) {
            Blocks& blocksNow = blocks();
            std::vector<unsigned char> old;
            if (p.isInteger() && p.asInt() != 0) {
                auto it = blocksNow.byAddress.find(p.asInt());
                if (it == blocksNow.byAddress.end())
                    throw ScriptException(czech("Neplatná operace s ukazatelem"));
                old = std::move(it->second);
                blocksNow.byAddress.erase(it);
            }
            if (size == 0) {
                p = nilPointer();
                return;
            }
            const std::int32_t address = blocksNow.allocate(size);
            auto& block = blocksNow.byAddress[address];
            std::copy_n(old.begin(), std::min(old.size(), block.size()), block.begin());
            p = Value(address);
        }));
    for (const char* name : {"FreeMem", "Dispose"})
        list.push_back(
            &b.bind(name, "procedure(var P: Pointer)", [](Value& p) { blocks().release(p); }));
    list.push_back(&b.bind("New", "procedure(var P: Pointer)", [](Value& p) { p = nilPointer(); }));
    list.push_back(&b.bind("Release", "procedure(var P: Pointer)", [](Value&) {}));
}

void bindStrings(Binder& b, std::vector<const MethodInfo*>& list) {
    list.push_back(&b.bind("Copy", "function(const S: string; Index, Count: Integer): string",
                           [](std::string_view s, std::int64_t index, std::int64_t count) {
                               if (index < 1) index = 1;
                               const auto length = static_cast<std::int64_t>(s.size());
                               if (index > length || count <= 0) return std::string();
                               count = std::min(count, length - index + 1);
                               return std::string(s.substr(static_cast<std::size_t>(index - 1),
                                                           static_cast<std::size_t>(count)));
                           }));
    list.push_back(&b.bind("Pos", "function(const Substr, S: string): Integer",
                           [](std::string_view sub, std::string_view s) {
                               const auto at = sub.empty() ? std::string::npos : s.find(sub);
                               return at == std::string::npos ? 0
                                                              : static_cast<std::int32_t>(at + 1);
                           }));
    list.push_back(&b.bind("SetLength", "procedure(var S: string; NewLength: Integer)",
                           [](std::string& s, std::int32_t n) {
                               s.resize(n > 0 ? static_cast<std::size_t>(n) : 0, ' ');
                           }));
}

// The bounds of dimension `d` (from 1) of an array, or 0 for anything else.
std::int32_t boundOf(const Value& a, std::int32_t d, bool high) {
    if (!a.isArray() || d < 1 || static_cast<std::size_t>(d) > a.asArray()->dimensions()) return 0;
    const VarArray::Bound bound = a.asArray()->bound(static_cast<std::size_t>(d - 1));
    return high ? bound.high : bound.low;
}

// Element access that answers 0 instead of failing (a bad index, not an array).
template <class F> Value orZero(F f) {
    try {
        return f();
    } catch (const std::exception&) {
        return Value(0);
    }
}

void bindArrays(Binder& b, std::vector<const MethodInfo*>& list) {
    list.push_back(&b.bind("ArrayDimCount", "function(var A: Variant): Byte", [](Value& a) {
        return static_cast<std::int32_t>(a.isArray() ? a.asArray()->dimensions() : 0);
    }));
    list.push_back(&b.bind("Array1Create", "function(Low, High: Integer): Variant",
                           [](std::int32_t low, std::int32_t high) {
                               return orZero([&] { return Value(VarArray::create(low, high)); });
                           }));
    list.push_back(&b.bind("Array1Low", "function(A: Variant): Integer", [](const Value& a) {
        return dimensionsAre(a, 1) ? boundOf(a, 1, false) : 0;
    }));
    list.push_back(&b.bind("Array1High", "function(A: Variant): Integer", [](const Value& a) {
        return dimensionsAre(a, 1) ? boundOf(a, 1, true) : 0;
    }));
    list.push_back(&b.bind("Array1Get", "function(A: Variant; Index: Integer): Variant",
                           [](const Value& a, std::int32_t index) {
                               return orZero([&] {
                                   if (!dimensionsAre(a, 1)) throw ValueError("not an array");
                                   return a.asArray()->at(std::vector<std::int32_t>{index});
                               });
                           }));
    list.push_back(&b.bind("Array1Set",
                           "function(var A: Variant; Index: Integer; Value: Variant): Variant",
                           [](Value& a, std::int32_t index, const Value& value) {
                               if (!dimensionsAre(a, 1)) return Value(); // the result stays empty
                               try {
                                   Value updated = a;
                                   updated.mutableArray().at(index) = value;
                                   a = std::move(updated);
                               } catch (const std::exception&) {
                                   // out of bounds: the array stays as it was
                               }
                               return a;
                           }));
    list.push_back(
        &b.bind("Array2Create", "function(Low1, High1, Low2, High2: Integer): Variant",
                [](std::int32_t low1, std::int32_t high1, std::int32_t low2, std::int32_t high2) {
                    return orZero([&] {
                        return Value(std::make_shared<VarArray>(
                            std::vector<VarArray::Bound>{{low1, high1}, {low2, high2}}));
                    });
                }));
    list.push_back(&b.bind("Array2Get", "function(A: Variant; Index1, Index2: Integer): Variant",
                           [](const Value& a, std::int32_t i, std::int32_t j) {
                               return orZero([&] {
                                   if (!dimensionsAre(a, 2)) throw ValueError("not an array");
                                   return a.asArray()->at(std::vector<std::int32_t>{i, j});
                               });
                           }));
    list.push_back(&b.bind(
        "Array2Set", "function(A: Variant; Index1, Index2: Integer; Value: Variant): Variant",
        [](const Value& a, std::int32_t i, std::int32_t j, const Value& value) {
            if (!dimensionsAre(a, 2)) return Value();
            // A copy changes; the caller's variable does not (scripts assign the result back).
            Value copy = a;
            try {
                Value updated = copy;
                updated.mutableArray().at(std::vector<std::int32_t>{i, j}) = value;
                copy = std::move(updated);
            } catch (const std::exception&) {
            }
            return copy;
        }));
    list.push_back(&b.bind("Array2Low", "function(A: Variant; Dim: Integer): Integer",
                           [](const Value& a, std::int32_t d) { return boundOf(a, d, false); }));
    list.push_back(&b.bind("Array2High", "function(A: Variant; Dim: Integer): Integer",
                           [](const Value& a, std::int32_t d) { return boundOf(a, d, true); }));
}

const Table& builtins() {
    static Table table;
    static const bool bound = [] {
        Binder b(table.registry);
        bindFiles(b, table.list);
        bindMath(b, table.list);
        bindMemory(b, table.list);
        bindStrings(b, table.list);
        bindArrays(b, table.list);
        return true;
    }();
    (void)bound;
    return table;
}

} // namespace

const std::vector<const MethodInfo*>& runnerBuiltins() {
    return builtins().list;
}

const MethodInfo* findRunnerBuiltin(std::string_view name) {
    return builtins().registry.findProc(name);
}

bool writesArguments(const Signature& signature) {
    if (signature.variadic) return true;
    for (const ParamSpec& p : signature.params)
        if (p.mode == ParamMode::Var) return true;
    return false;
}

} // namespace vorlan::script::pascal
