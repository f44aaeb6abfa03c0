#include "script/pascal/runner_builtins.h"

#include "core/cp1250.h"
#include "core/path_mapper.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

namespace vorlan::script::pascal {

namespace {

using Args = std::span<Value>;

[[noreturn]] void invalidOperation() {
    throw ScriptException(czech("Neplatná operace s reálným číslem"));
}
[[noreturn]] void ioError(const std::string& path) {
    throw ScriptException("I/O error: " + path);
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

struct Builtin {
    const char* name;
    const char* declaration;
    NativeProc entry;
};

std::vector<Builtin> table() {
    return {
        {"ChDir", "procedure(const Dir: string)",
         [](NativeObject*, Args a, Value&) {
             std::error_code ec;
             std::filesystem::current_path(pathMapper().toHostOrEmpty(a[0].asString()), ec);
             if (ec) ioError(a[0].asString());
         }},
        {"GetDir", "procedure(Drive: Byte; var Dir: string)",
         [](NativeObject*, Args a, Value&) {
             std::error_code ec;
             const auto here = std::filesystem::current_path(ec);
             a[1] = Value(ec ? std::string() : pathMapper().toProgram(here));
         }},
        {"MkDir", "procedure(const Dir: string)",
         [](NativeObject*, Args a, Value&) {
             std::error_code ec;
             if (!std::filesystem::create_directory(pathMapper().toHostOrEmpty(a[0].asString()),
                                                    ec) ||
                 ec)
                 ioError(a[0].asString());
         }},
        {"RmDir", "procedure(const Dir: string)",
         [](NativeObject*, Args a, Value&) {
             std::error_code ec;
             const auto path = pathMapper().toHostOrEmpty(a[0].asString());
             if (path.empty() || !std::filesystem::is_directory(path, ec) ||
                 !std::filesystem::remove(path, ec) || ec)
                 ioError(a[0].asString());
         }},
        {"Cos", "function(X: Extended): Extended",
         [](NativeObject*, Args a, Value& r) { r = Value(std::cos(a[0].asDouble())); }},
        {"Sin", "function(X: Extended): Extended",
         [](NativeObject*, Args a, Value& r) { r = Value(std::sin(a[0].asDouble())); }},
        {"Exp", "function(X: Extended): Extended",
         [](NativeObject*, Args a, Value& r) {
             const double v = std::exp(a[0].asDouble());
             if (std::isinf(v)) throw ScriptException(czech("Přetečení reálného čísla"));
             r = Value(v);
         }},
        {"Int", "function(X: Extended): Extended",
         [](NativeObject*, Args a, Value& r) { r = Value(std::trunc(a[0].asDouble())); }},
        {"Frac", "function(X: Extended): Extended",
         [](NativeObject*, Args a, Value& r) {
             const double x = a[0].asDouble();
             r = Value(x - std::trunc(x));
         }},
        {"Round", "function(X: Extended): Integer",
         [](NativeObject*, Args a, Value& r) {
             r = Value(toInt32Checked(std::nearbyint(a[0].asDouble())));
         }},
        {"Trunc", "function(X: Extended): Integer",
         [](NativeObject*, Args a, Value& r) {
             r = Value(toInt32Checked(std::trunc(a[0].asDouble())));
         }},
        {"FillChar", "procedure(Address, Count: Integer; Value: Byte)",
         [](NativeObject*, Args a, Value&) {
             const std::int32_t address = a[0].asInt(), count = a[1].asInt();
             if (count <= 0) return;
             auto& map = blocks().byAddress;
             auto it = map.upper_bound(address);
             if (it == map.begin()) throw ScriptException("Access violation");
             --it;
             const std::int64_t offset = static_cast<std::int64_t>(address) - it->first;
             if (offset + count > static_cast<std::int64_t>(it->second.size()))
                 throw ScriptException("Access violation");
             std::fill_n(it->second.begin() + offset, count,
                         static_cast<unsigned char>(a[2].asInt()));
         }},
        {"GetMem", "procedure(var P: Pointer; Size: Integer)",
         [](NativeObject*, Args a, Value&) {
             a[0] = a[1].asInt() == 0 ? nilPointer() : Value(blocks().allocate(a[1].asInt()));
         }},
        {"ReallocMem", "procedure(var P: Pointer; Size: Integer)",
         [](NativeObject*, Args a, Value&) {
             Blocks& b = blocks();
             const std::int32_t size = a[1].asInt();
             std::vector<unsigned char> old;
             if (a[0].isInteger() && a[0].asInt() != 0) {
                 auto it = b.byAddress.find(a[0].asInt());
                 if (it == b.byAddress.end())
                     throw ScriptException(czech("Neplatná operace s ukazatelem"));
                 old = std::move(it->second);
                 b.byAddress.erase(it);
             }
             if (size == 0) {
                 a[0] = nilPointer();
                 return;
             }
             const std::int32_t address = b.allocate(size);
             auto& block = b.byAddress[address];
             std::copy_n(old.begin(), std::min(old.size(), block.size()), block.begin());
             a[0] = Value(address);
         }},
        {"FreeMem", "procedure(var P: Pointer)",
         [](NativeObject*, Args a, Value&) { blocks().release(a[0]); }},
        {"Dispose", "procedure(var P: Pointer)",
         [](NativeObject*, Args a, Value&) { blocks().release(a[0]); }},
        {"New", "procedure(var P: Pointer)",
         [](NativeObject*, Args a, Value&) { a[0] = nilPointer(); }},
        {"Release", "procedure(var P: Pointer)", [](NativeObject*, Args, Value&) {}},
        {"Copy", "function(const S: string; Index, Count: Integer): string",
         [](NativeObject*, Args a, Value& r) {
             const std::string& s = a[0].asString();
             std::int64_t index = a[1].asInt(), count = a[2].asInt();
             if (index < 1) index = 1;
             const auto length = static_cast<std::int64_t>(s.size());
             if (index > length || count <= 0) {
                 r = Value(std::string());
                 return;
             }
             count = std::min(count, length - index + 1);
             r = Value(
                 s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
         }},
        {"Pos", "function(const Substr, S: string): Integer",
         [](NativeObject*, Args a, Value& r) {
             const std::string& sub = a[0].asString();
             const auto at = sub.empty() ? std::string::npos : a[1].asString().find(sub);
             r = Value(at == std::string::npos ? 0 : static_cast<std::int32_t>(at + 1));
         }},
        {"SetLength", "procedure(var S: string; NewLength: Integer)",
         [](NativeObject*, Args a, Value&) {
             const std::int32_t n = a[1].asInt();
             std::string s = a[0].asString();
             s.resize(n > 0 ? static_cast<std::size_t>(n) : 0, ' ');
             a[0] = Value(std::move(s));
         }},
        {"ArrayDimCount", "function(var A: Variant): Byte",
         [](NativeObject*, Args a, Value& r) {
             r = Value(
                 static_cast<std::int32_t>(a[0].isArray() ? a[0].asArray()->dimensions() : 0));
         }},
        {"Array1Create", "function(Low, High: Integer): Variant",
         [](NativeObject*, Args a, Value& r) {
             try {
                 r = Value(VarArray::create(a[0].asInt(), a[1].asInt()));
             } catch (const std::exception&) {
                 r = Value(0);
             }
         }},
        {"Array1Low", "function(A: Variant): Integer",
         [](NativeObject*, Args a, Value& r) {
             r = Value(dimensionsAre(a[0], 1) ? a[0].asArray()->bound(0).low : 0);
         }},
        {"Array1High", "function(A: Variant): Integer",
         [](NativeObject*, Args a, Value& r) {
             r = Value(dimensionsAre(a[0], 1) ? a[0].asArray()->bound(0).high : 0);
         }},
        {"Array1Get", "function(A: Variant; Index: Integer): Variant",
         [](NativeObject*, Args a, Value& r) {
             try {
                 if (!dimensionsAre(a[0], 1)) throw ValueError("not an array");
                 r = a[0].asArray()->at(std::vector<std::int32_t>{a[1].asInt()});
             } catch (const std::exception&) {
                 r = Value(0);
             }
         }},
        {"Array1Set", "function(var A: Variant; Index: Integer; Value: Variant): Variant",
         [](NativeObject*, Args a, Value& r) {
             if (!dimensionsAre(a[0], 1)) return; // the result stays empty
             try {
                 Value updated = a[0];
                 updated.mutableArray().at(a[1].asInt()) = a[2];
                 a[0] = std::move(updated);
             } catch (const std::exception&) {
                 // out of bounds: the array stays as it was
             }
             r = a[0];
         }},
        {"Array2Create", "function(Low1, High1, Low2, High2: Integer): Variant",
         [](NativeObject*, Args a, Value& r) {
             try {
                 r = Value(std::make_shared<VarArray>(std::vector<VarArray::Bound>{
                     {a[0].asInt(), a[1].asInt()}, {a[2].asInt(), a[3].asInt()}}));
             } catch (const std::exception&) {
                 r = Value(0);
             }
         }},
        {"Array2Get", "function(A: Variant; Index1, Index2: Integer): Variant",
         [](NativeObject*, Args a, Value& r) {
             try {
                 if (!dimensionsAre(a[0], 2)) throw ValueError("not an array");
                 r = a[0].asArray()->at(std::vector<std::int32_t>{a[1].asInt(), a[2].asInt()});
             } catch (const std::exception&) {
                 r = Value(0);
             }
         }},
        {"Array2Set", "function(A: Variant; Index1, Index2: Integer; Value: Variant): Variant",
         [](NativeObject*, Args a, Value& r) {
             if (!dimensionsAre(a[0], 2)) return;
             // A copy changes; the caller's variable does not (scripts assign the result back).
             Value copy = a[0];
             try {
                 Value updated = copy;
                 updated.mutableArray().at(std::vector<std::int32_t>{a[1].asInt(), a[2].asInt()}) =
                     a[3];
                 copy = std::move(updated);
             } catch (const std::exception&) {
             }
             r = std::move(copy);
         }},
        {"Array2Low", "function(A: Variant; Dim: Integer): Integer",
         [](NativeObject*, Args a, Value& r) {
             const std::int32_t d = a[1].asInt();
             r = Value(a[0].isArray() && d >= 1 &&
                               static_cast<std::size_t>(d) <= a[0].asArray()->dimensions()
                           ? a[0].asArray()->bound(static_cast<std::size_t>(d - 1)).low
                           : 0);
         }},
        {"Array2High", "function(A: Variant; Dim: Integer): Integer",
         [](NativeObject*, Args a, Value& r) {
             const std::int32_t d = a[1].asInt();
             r = Value(a[0].isArray() && d >= 1 &&
                               static_cast<std::size_t>(d) <= a[0].asArray()->dimensions()
                           ? a[0].asArray()->bound(static_cast<std::size_t>(d - 1)).high
                           : 0);
         }},
    };
}

struct Table {
    std::vector<std::unique_ptr<MethodInfo>> owned;
    std::vector<const MethodInfo*> list;
    std::map<std::string, const MethodInfo*, NoCaseLess> byName;
};

const Table& builtins() {
    static const Table t = [] {
        Table out;
        for (Builtin& b : table()) {
            auto m = std::make_unique<MethodInfo>();
            m->name = b.name;
            m->signature = Signature::parse(b.declaration);
            m->entry = std::move(b.entry);
            out.list.push_back(m.get());
            out.byName.emplace(m->name, m.get());
            out.owned.push_back(std::move(m));
        }
        return out;
    }();
    return t;
}

} // namespace

const std::vector<const MethodInfo*>& runnerBuiltins() {
    return builtins().list;
}

const MethodInfo* findRunnerBuiltin(std::string_view name) {
    const auto& map = builtins().byName;
    auto it = map.find(name);
    return it == map.end() ? nullptr : it->second;
}

bool writesArguments(const Signature& signature) {
    if (signature.variadic) return true;
    for (const ParamSpec& p : signature.params)
        if (p.mode == ParamMode::Var) return true;
    return false;
}

} // namespace vorlan::script::pascal
