// The expression parser and evaluator: any text must compile and evaluate over a record with
// fields of every type, or fail with DbfError.
#include "dbf/expr.h"
#include "dbf/file.h"

#include <string>

namespace {

class Record : public vorlan::dbf::RecordSource {
public:
    int resolveField(std::string_view alias, std::string_view name) const override {
        if (!alias.empty() && alias != "T") return -1;
        static const char* names[] = {"NAME", "QTY", "BORN", "OK", "NOTE"};
        for (int i = 0; i < 5; ++i)
            if (name == names[i]) return i;
        return -1;
    }
    char fieldTypeOf(int f) const override { return "CNDLM"[f]; }
    int fieldWidthOf(int f) const override { return f == 0 ? 20 : (f == 1 ? 8 : 10); }
    int fieldDecimalsOf(int f) const override { return f == 1 ? 2 : 0; }
    vorlan::dbf::XValue fieldValue(int f) const override {
        using vorlan::dbf::XValue;
        switch (f) {
        case 0:
            return XValue::text("Novak               ");
        case 1:
            return XValue::number(-12.5);
        case 2:
            return XValue::dateValue(2451545);
        case 3:
            return XValue::logical(true);
        default:
            return XValue::text("memo\r\ntext");
        }
    }
    bool recordDeleted() const override { return false; }
    std::uint32_t recordNumber() const override { return 7; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorlan::dbf;
    if (size > 4096) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    Record rec;
    try {
        const Expression e = Expression::compile(text, &rec);
        const XValue v = e.evaluate(&rec);
        if (v.type != e.type()) __builtin_trap();
    } catch (const DbfError&) {
    }
    return 0;
}
