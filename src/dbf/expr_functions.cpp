// The functions of xBase expressions, one row each: name, argument counts, type rule, body.

#include "dbf/expr_node.h"

#include "core/cp1250.h"
#include "dbf/settings.h"
#include "dbf/xbase_text.h"

#include <algorithm>
#include <cmath>

namespace vorlan::dbf::xbase {

void CallShape::need(std::size_t i, ValueType t) const {
    if (args[i]->type != t)
        throw TypeRuleError{czech("argument ") + std::to_string(i + 1) + czech(" funkce ") +
                            std::string(fn.name) + czech(" musí být ") + typeName(t)};
}

int CallShape::constInt(std::size_t i, int fallback) const {
    const ExprNode& n = *args[i];
    if (n.op == Op::Const && n.type == ValueType::Numeric)
        return static_cast<int>(std::clamp(n.value.num, 0.0, 1e6));
    return fallback;
}

namespace {

long long clampInt(double v) {
    if (!(v == v)) return 0;
    return static_cast<long long>(std::clamp(v, -1e12, 1e12));
}

std::string checkedString(std::size_t size) {
    if (size > kMaxString) evalError(czech("výsledný řetězec je příliš dlouhý"));
    return std::string(size, ' ');
}

// ---- type rules shared by several functions

// Text in, text of the same width out.
void textLikeArgument(CallShape& c) {
    c.need(0, ValueType::Char);
    c.call.width = c.arg(0).width;
}
void leftOrRight(CallShape& c) {
    c.need(0, ValueType::Char);
    c.need(1, ValueType::Numeric);
    c.call.width = std::min(c.arg(0).width, c.constInt(1, c.arg(0).width));
}
void numberAsText(CallShape& c) {
    c.need(0, ValueType::Numeric);
    if (c.count() > 1) c.need(1, ValueType::Numeric);
    if (c.count() > 2) c.need(2, ValueType::Numeric);
    c.call.width =
        c.count() > 1 ? c.constInt(1, 10) : (c.arg(0).op == Op::Field ? c.arg(0).width : 10);
}
void datePart(CallShape& c) {
    c.need(0, ValueType::Date);
    c.call.type = ValueType::Numeric;
    c.call.width = c.fn.name[0] == 'Y' ? 5 : 3;
}
void logical(CallShape& c) {
    c.call.type = ValueType::Logical;
}
void numberLike(CallShape& c) {
    c.need(0, ValueType::Numeric);
    c.call.type = ValueType::Numeric;
    c.call.width = c.arg(0).width;
    c.call.decimals = c.arg(0).decimals;
}
void numbersOrDates(CallShape& c) {
    if (c.arg(0).type != c.arg(1).type || c.arg(0).type == ValueType::Char ||
        c.arg(0).type == ValueType::Logical)
        throw TypeRuleError{czech("funkce ") + std::string(c.fn.name) +
                            czech(" potřebuje dvě čísla nebo dvě data")};
    c.call.type = c.arg(0).type;
    c.call.width = std::max(c.arg(0).width, c.arg(1).width);
}

// ---- bodies shared by several functions

XValue numberText(CallValues& c, bool zeros) {
    int width = 10, dec = 0;
    if (c.call.args[0]->op == Op::Field) {
        width = c.call.args[0]->width;
        dec = c.call.args[0]->decimals;
    }
    if (c.a.size() > 1) {
        width = static_cast<int>(std::clamp(c.num(1), 0.0, 255.0));
        dec = 0;
    }
    if (c.a.size() > 2) dec = static_cast<int>(std::clamp(c.num(2), 0.0, 15.0));
    std::string s = formatNumber(c.num(0), width, dec);
    if (zeros) {
        const bool neg = s.find('-') != std::string::npos;
        for (auto& ch : s)
            if (ch == ' ' || ch == '-') ch = '0';
        if (neg && !s.empty()) s[0] = '-';
    }
    return XValue::text(std::move(s));
}

XValue datePartOf(CallValues& c, int part) {
    if (c.a[0].date <= 0) return XValue::number(0);
    int y = 0, m = 0, d = 0;
    ymdFromJulian(c.a[0].date, y, m, d);
    return XValue::number(part == 0 ? y : (part == 1 ? m : d));
}

XValue iif(CallValues& c) {
    const XValue condition = eval(*c.call.args[0], c.src);
    return eval(*c.call.args[condition.log ? 1 : 2], c.src);
}

void iifType(CallShape& c) {
    c.need(0, ValueType::Logical);
    if (c.arg(1).type != c.arg(2).type)
        throw TypeRuleError{czech("obě větve IIF musí mít stejný typ")};
    c.call.type = c.arg(1).type;
    c.call.width = std::max(c.arg(1).width, c.arg(2).width);
    c.call.decimals = std::max(c.arg(1).decimals, c.arg(2).decimals);
}

const Function kFunctions[] = {
    {"UPPER", 1, 1, textLikeArgument,
     [](CallValues& c) { return XValue::text(upperCase(c.str(0))); }},
    {"LOWER", 1, 1, textLikeArgument,
     [](CallValues& c) { return XValue::text(lowerCase(c.str(0))); }},
    {"SUBSTR", 2, 3,
     [](CallShape& c) {
         c.need(0, ValueType::Char);
         c.need(1, ValueType::Numeric);
         if (c.count() > 2) c.need(2, ValueType::Numeric);
         c.call.width = c.count() > 2 ? c.constInt(2, c.arg(0).width)
                                      : std::max(0, c.arg(0).width - c.constInt(1, 1) + 1);
     },
     [](CallValues& c) {
         const std::string& s = c.str(0);
         long long start = clampInt(c.num(1));
         if (start < 0) start = static_cast<long long>(s.size()) + start + 1; // from the end
         if (start < 1) start = 1;
         if (static_cast<std::size_t>(start) > s.size()) return XValue::text("");
         const long long len =
             c.a.size() > 2 ? clampInt(c.num(2)) : static_cast<long long>(s.size());
         if (len <= 0) return XValue::text("");
         return XValue::text(
             s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(len)));
     }},
    {"LEFT", 2, 2, leftOrRight,
     [](CallValues& c) {
         const long long len = clampInt(c.num(1));
         if (len <= 0) return XValue::text("");
         return XValue::text(c.str(0).substr(0, static_cast<std::size_t>(len)));
     }},
    {"RIGHT", 2, 2, leftOrRight,
     [](CallValues& c) {
         const long long len = clampInt(c.num(1));
         if (len <= 0) return XValue::text("");
         const std::string& s = c.str(0);
         const std::size_t l = std::min(s.size(), static_cast<std::size_t>(len));
         return XValue::text(s.substr(s.size() - l));
     }},
    {"TRIM", 1, 1, textLikeArgument,
     [](CallValues& c) { return XValue::text(std::string(trimRight(c.str(0)))); }},
    {"LTRIM", 1, 1, textLikeArgument,
     [](CallValues& c) { return XValue::text(std::string(trimLeft(c.str(0)))); }},
    {"RTRIM", 1, 1, textLikeArgument,
     [](CallValues& c) { return XValue::text(std::string(trimRight(c.str(0)))); }},
    {"ALLTRIM", 1, 1, textLikeArgument,
     [](CallValues& c) { return XValue::text(std::string(trimLeft(trimRight(c.str(0))))); }},
    {"STR", 1, 3, numberAsText, [](CallValues& c) { return numberText(c, false); }},
    {"STRZERO", 1, 3, numberAsText, [](CallValues& c) { return numberText(c, true); }},
    {"VAL", 1, 1,
     [](CallShape& c) {
         c.need(0, ValueType::Char);
         c.call.type = ValueType::Numeric;
         c.call.width = 10;
     },
     [](CallValues& c) { return XValue::number(parseNumber(c.str(0))); }},
    {"DTOS", 1, 1,
     [](CallShape& c) {
         c.need(0, ValueType::Date);
         c.call.width = 8;
     },
     [](CallValues& c) { return XValue::text(dateToDtos(c.a[0].date)); }},
    {"DTOC", 1, 1,
     [](CallShape& c) {
         c.need(0, ValueType::Date);
         c.call.width = settings().century ? 10 : 8;
     },
     [](CallValues& c) { return XValue::text(dateToText(c.a[0].date)); }},
    {"CTOD", 1, 1,
     [](CallShape& c) {
         c.need(0, ValueType::Char);
         c.call.type = ValueType::Date;
     },
     [](CallValues& c) { return XValue::dateValue(dateFromText(c.str(0))); }},
    {"DATE", 0, 0, [](CallShape& c) { c.call.type = ValueType::Date; },
     [](CallValues&) { return XValue::dateValue(today()); }},
    {"YEAR", 1, 1, datePart, [](CallValues& c) { return datePartOf(c, 0); }},
    {"MONTH", 1, 1, datePart, [](CallValues& c) { return datePartOf(c, 1); }},
    {"DAY", 1, 1, datePart, [](CallValues& c) { return datePartOf(c, 2); }},
    {"IIF", 3, 3, iifType, iif, true},
    {"IF", 3, 3, iifType, iif, true},
    {"DELETED", 0, 0, logical,
     [](CallValues& c) { return XValue::logical(c.src && c.src->recordDeleted()); }},
    {"RECNO", 0, 0,
     [](CallShape& c) {
         c.call.type = ValueType::Numeric;
         c.call.width = 7;
     },
     [](CallValues& c) { return XValue::number(c.src ? c.src->recordNumber() : 0); }},
    {"EMPTY", 1, 1, logical,
     [](CallValues& c) {
         const XValue& v = c.a[0];
         switch (v.type) {
         case ValueType::Char:
             return XValue::logical(std::all_of(v.str.begin(), v.str.end(), [](char ch) {
                 return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\0';
             }));
         case ValueType::Numeric:
             return XValue::logical(v.num == 0);
         case ValueType::Date:
             return XValue::logical(v.date == 0);
         case ValueType::Logical:
             break;
         }
         return XValue::logical(!v.log);
     }},
    {"LEN", 1, 1,
     [](CallShape& c) {
         c.need(0, ValueType::Char);
         c.call.type = ValueType::Numeric;
         c.call.width = 5;
     },
     [](CallValues& c) { return XValue::number(static_cast<double>(c.str(0).size())); }},
    {"SPACE", 1, 1,
     [](CallShape& c) {
         c.need(0, ValueType::Numeric);
         c.call.width = c.constInt(0, 0);
     },
     [](CallValues& c) {
         return XValue::text(
             checkedString(static_cast<std::size_t>(std::max(0LL, clampInt(c.num(0))))));
     }},
    {"REPLICATE", 2, 2,
     [](CallShape& c) {
         c.need(0, ValueType::Char);
         c.need(1, ValueType::Numeric);
         c.call.width = c.arg(0).width * c.constInt(1, 1);
     },
     [](CallValues& c) {
         const long long times = std::max(0LL, clampInt(c.num(1)));
         const std::string& s = c.str(0);
         if (s.empty() || times == 0) return XValue::text("");
         if (static_cast<unsigned long long>(times) > kMaxString / s.size())
             evalError(czech("výsledný řetězec je příliš dlouhý"));
         std::string out;
         out.reserve(s.size() * static_cast<std::size_t>(times));
         for (long long i = 0; i < times; ++i)
             out += s;
         return XValue::text(std::move(out));
     }},
    {"AT", 2, 2,
     [](CallShape& c) {
         c.need(0, ValueType::Char);
         c.need(1, ValueType::Char);
         c.call.type = ValueType::Numeric;
         c.call.width = 5;
     },
     [](CallValues& c) {
         if (c.str(0).empty()) return XValue::number(0);
         const std::size_t p = c.str(1).find(c.str(0));
         return XValue::number(p == std::string::npos ? 0.0 : static_cast<double>(p + 1));
     }},
    {"DESCEND", 1, 1,
     [](CallShape& c) {
         c.call.type = c.arg(0).type == ValueType::Char ? ValueType::Char : ValueType::Numeric;
         if (c.arg(0).type == ValueType::Logical)
             throw TypeRuleError{czech("DESCEND nepřijímá logickou hodnotu")};
         c.call.width = c.arg(0).width;
         c.call.decimals = c.arg(0).decimals;
     },
     [](CallValues& c) {
         const XValue& v = c.a[0];
         switch (v.type) {
         case ValueType::Char: {
             std::string s = v.str;
             for (auto& ch : s)
                 ch = static_cast<char>(256 - static_cast<unsigned char>(ch));
             return XValue::text(std::move(s));
         }
         case ValueType::Numeric:
             return XValue::number(-v.num);
         case ValueType::Date:
             return XValue::number(-static_cast<double>(v.date));
         case ValueType::Logical:
             break;
         }
         evalError(czech("chybné volání funkce"));
     }},
    {"ABS", 1, 1, numberLike, [](CallValues& c) { return XValue::number(std::fabs(c.num(0))); }},
    {"INT", 1, 1,
     [](CallShape& c) {
         numberLike(c);
         c.call.decimals = 0;
     },
     [](CallValues& c) { return XValue::number(std::trunc(c.num(0))); }},
    {"ROUND", 2, 2,
     [](CallShape& c) {
         c.need(0, ValueType::Numeric);
         c.need(1, ValueType::Numeric);
         c.call.type = ValueType::Numeric;
         c.call.width = c.arg(0).width;
         c.call.decimals = c.constInt(1, c.arg(0).decimals);
     },
     [](CallValues& c) {
         const double p = std::pow(10.0, std::clamp(c.num(1), -15.0, 15.0));
         return XValue::number(std::round(c.num(0) * p) / p);
     }},
    {"MAX", 2, 2, numbersOrDates,
     [](CallValues& c) { return compareValues(c.a[0], c.a[1]) >= 0 ? c.a[0] : c.a[1]; }},
    {"MIN", 2, 2, numbersOrDates,
     [](CallValues& c) { return compareValues(c.a[0], c.a[1]) <= 0 ? c.a[0] : c.a[1]; }},
};

} // namespace

std::span<const Function> functions() {
    return kFunctions;
}

} // namespace vorlan::dbf::xbase
