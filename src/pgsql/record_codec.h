#pragma once
// How fields, keys and the catalog look on the server: column names and types, the field
// texts of the record image as statement parameters and back, and keys in stored form.

#include "dbf/expr.h"
#include "dbf/table.h"
#include "pgsql/connection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlan::pgsql {

struct OrderSpec;

// Creates the catalog tables when the database has none yet.
void ensureCatalog(Connection& c);

bool supportedType(char type);
// Fields stored as binary numbers in the record image, as the DBF engine keeps them: I (32-bit
// integer), B (double), Y (currency: 64-bit count of ten-thousandths), T (date and time: julian
// day and milliseconds since midnight, 32 bits each).
bool isBinary(char type);
// The width a field type always has (0 for the types whose width is chosen).
int fixedWidth(char type);
inline bool isMemo(char type) {
    return type == 'M' || type == 'G' || type == 'P';
}
// A field name (Windows-1250) as a quoted column name.
std::string columnName(std::string_view fieldName);
std::string sqlType(char type, int width, int decimals);
// The cast a statement parameter of that field type gets.
std::string castFor(char type);

// A field's bytes in the record image as a statement parameter (blank numbers, dates and
// logical values are NULL; text loses its trailing blanks).
Param encodeField(const dbf::FieldInfo& f, std::string_view raw);
// A column's text from the server into the field's bytes of the record image.
void decodeField(const dbf::FieldInfo& f, bool isNull, std::string_view text, char* out);

// Compiles an order's key and FOR expressions over `source` and gives the key length (the
// same as the DBF engine gives a compound index tag).
void compileOrder(const OrderSpec& spec, const dbf::RecordSource& source, dbf::Expression& key,
                  dbf::Expression& cond, int& keyLength);
// A key value in stored form: the compound-index encoding of the DBF engine, padded to the key
// length, each byte complemented for a descending order.
std::string storedKey(const dbf::XValue& value, int keyLength, bool descending);
// Seek text as a stored key prefix for an order of that key type.
std::string storedSeekKey(dbf::ValueType type, std::string_view text, int keyLength,
                          bool descending);
// The key as the DBF engine shows it, from its stored form.
std::string visibleKey(std::string_view stored, bool descending);

// The eight little-endian bytes of the table files' 64-bit fields (I, B, Y, T).
std::uint64_t getLe64(const unsigned char* p);
void putLe64(unsigned char* p, std::uint64_t v);

} // namespace vorlan::pgsql
