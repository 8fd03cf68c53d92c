// Column types: declared SQL types, ADO type numbers and value coercion.
#include "data/data_types.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace data {

namespace {

struct Declared {
  std::string base;  // lower case, without arguments: "nvarchar", "decimal"
  int args[2] = {-1, -1};
  bool max = false;
};

Declared Split(std::string_view text) {
  Declared d;
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  while (i < text.size() && text[i] != '(') {
    d.base += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    ++i;
  }
  while (!d.base.empty() && d.base.back() == ' ') d.base.pop_back();
  if (i < text.size()) {
    std::string inside(text.substr(i + 1));
    size_t close = inside.find(')');
    if (close != std::string::npos) inside.resize(close);
    for (auto& c : inside) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (inside.find("max") != std::string::npos) d.max = true;
    size_t comma = inside.find(',');
    d.args[0] = std::atoi(inside.substr(0, comma).c_str());
    if (comma != std::string::npos) d.args[1] = std::atoi(inside.substr(comma + 1).c_str());
  }
  return d;
}

TypeInfo Make(int32_t ado, rt::VarType sub, int32_t size, uint8_t precision = 255, uint8_t scale = 255) {
  TypeInfo t;
  t.adoType = ado;
  t.subtype = sub;
  t.definedSize = size;
  t.precision = precision;
  t.scale = scale;
  return t;
}

// Whether a declared type's base is one that the database keeps as reals.
bool KeptAsReal(const std::string& base) { return base == "money" || base == "decimal" || base == "numeric"; }

constexpr std::string_view kStorageWord = "REAL";

}  // namespace

std::string_view WithoutStorageWord(std::string_view declared) {
  size_t i = 0;
  while (i < declared.size() && std::isspace(static_cast<unsigned char>(declared[i]))) ++i;
  const size_t n = kStorageWord.size();
  if (declared.size() <= i + n || !std::isspace(static_cast<unsigned char>(declared[i + n]))) return declared;
  for (size_t k = 0; k < n; ++k)
    if (std::toupper(static_cast<unsigned char>(declared[i + k])) != kStorageWord[k]) return declared;
  std::string_view rest = declared.substr(i + n);
  while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front()))) rest.remove_prefix(1);
  return KeptAsReal(Split(rest).base) ? rest : declared;
}

std::string StorageDeclared(std::string_view declared) {
  if (WithoutStorageWord(declared).size() != declared.size() || !KeptAsReal(Split(declared).base))
    return std::string(declared);
  return std::string(kStorageWord) + " " + std::string(declared);
}

TypeInfo TypeFromDeclared(std::string_view declared) {
  using rt::VarType;
  Declared d = Split(WithoutStorageWord(declared));
  const std::string& b = d.base;
  if (b.empty()) return TypeInfo{};
  auto integer = [](TypeInfo t, int64_t min, int64_t max, const char* name) {
    t.store = StoreKind::Integer;
    t.minValue = min;
    t.maxValue = max;
    t.sqlName = name;
    return t;
  };
  auto stored = [](TypeInfo t, StoreKind kind, const char* name) {
    t.store = kind;
    t.sqlName = name;
    return t;
  };
  if (b == "bit") return stored(Make(adtype::kBoolean, VarType::Boolean, 2), StoreKind::Bit, "bit");
  if (b == "tinyint") return integer(Make(adtype::kUnsignedTinyInt, VarType::Byte, 1, 3), 0, 255, "tinyint");
  if (b == "smallint") return integer(Make(adtype::kSmallInt, VarType::Integer, 2, 5), INT16_MIN, INT16_MAX, "smallint");
  if (b == "int" || b == "integer")
    return integer(Make(adtype::kInteger, VarType::Long, 4, 10), INT32_MIN, INT32_MAX, "int");
  if (b == "bigint") return integer(Make(adtype::kBigInt, VarType::Decimal, 8, 19), INT64_MIN, INT64_MAX, "bigint");
  if (b == "float" || b == "double" || b == "double precision") {
    TypeInfo t = stored(Make(adtype::kDouble, VarType::Double, 8, 15), StoreKind::Float, "float");
    t.maxMagnitude = 1.7976931348623157e308;
    return t;
  }
  if (b == "real") {
    TypeInfo t = stored(Make(adtype::kDouble, VarType::Double, 8, 15), StoreKind::Float, "real");
    t.maxMagnitude = 3.4028234663852886e38;
    return t;
  }
  if (b == "money") return stored(Make(adtype::kCurrency, VarType::Currency, 8, 19), StoreKind::Money, "money");
  if (b == "smallmoney") return Make(adtype::kCurrency, VarType::Currency, 8, 19);
  if (b == "decimal" || b == "numeric") {
    uint8_t precision = static_cast<uint8_t>(d.args[0] > 0 ? d.args[0] : 18);
    uint8_t scale = static_cast<uint8_t>(d.args[1] >= 0 ? d.args[1] : 0);
    bool asDecimal = b == "numeric" || scale > 4;
    return stored(Make(adtype::kNumeric, asDecimal ? VarType::Decimal : VarType::Currency, 19, precision, scale),
                  StoreKind::Decimal, "numeric");
  }
  if (b == "datetime")
    return stored(Make(adtype::kDBTimeStamp, VarType::Date, 16, 23, 3), StoreKind::DateTime, "datetime");
  if (b == "smalldatetime" || b == "datetime2" || b == "date")
    return Make(adtype::kDBTimeStamp, VarType::Date, 16, 23, 3);
  int32_t n = d.max || d.args[0] <= 0 ? 0 : d.args[0];
  if (b == "nchar" || b == "char") {
    TypeInfo t = Make(b == "nchar" ? adtype::kWChar : adtype::kChar, VarType::String, n > 0 ? n : 1);
    t.padTo = n > 0 ? n : 1;
    t.maxChars = t.padTo;
    return stored(t, StoreKind::Text, b == "nchar" ? "nchar" : "char");
  }
  if (b == "nvarchar" || b == "varchar") {
    const bool wide = b == "nvarchar";
    TypeInfo t = wide ? Make(n ? adtype::kVarWChar : adtype::kLongVarWChar, VarType::String, n ? n : 1073741823)
                      : Make(n ? adtype::kVarChar : adtype::kLongVarChar, VarType::String, n ? n : 2147483647);
    t.maxChars = n;
    return stored(t, StoreKind::Text, wide ? "nvarchar" : "varchar");
  }
  if (b == "ntext") return stored(Make(adtype::kLongVarWChar, VarType::String, 1073741823), StoreKind::Text, "ntext");
  if (b == "text" || b == "clob")
    return stored(Make(adtype::kLongVarChar, VarType::String, 2147483647), StoreKind::Text, "text");
  if (b == "uniqueidentifier") return Make(adtype::kVarWChar, VarType::String, 38);
  // Any other declared type reads by the value's storage.
  return TypeInfo{};
}

TypeInfo TypeOfValue(const rt::Variant& value) {
  using rt::VarType;
  switch (value.Type()) {
    case VarType::Boolean: return Make(adtype::kBoolean, VarType::Boolean, 2);
    case VarType::Integer: return Make(adtype::kSmallInt, VarType::Integer, 2, 5);
    case VarType::Long: return Make(adtype::kInteger, VarType::Long, 4, 10);
    case VarType::Byte: return Make(adtype::kUnsignedTinyInt, VarType::Byte, 1, 3);
    case VarType::Single:
    case VarType::Double: return Make(adtype::kDouble, VarType::Double, 8, 15);
    case VarType::Currency: return Make(adtype::kCurrency, VarType::Currency, 8, 19);
    case VarType::Decimal: return Make(adtype::kNumeric, VarType::Decimal, 19, 28);
    case VarType::Date: return Make(adtype::kDBTimeStamp, VarType::Date, 16, 23, 3);
    default: return Make(adtype::kVarWChar, VarType::Empty, 4000);
  }
}

rt::Variant CoerceToSubtype(const rt::Variant& value, rt::VarType subtype) {
  using rt::VarType;
  if (value.IsNull() || value.IsEmpty()) return rt::Variant::Null();
  switch (subtype) {
    case VarType::Boolean: return rt::Variant(rt::CBool(value));
    case VarType::Byte: return rt::Variant(rt::CByte(value));
    case VarType::Integer: return rt::Variant(rt::CInt(value));
    case VarType::Long: return rt::Variant(rt::CLng(value));
    case VarType::Single: return rt::Variant(rt::CSng(value));
    case VarType::Double: return rt::Variant(rt::CDbl(value));
    case VarType::Currency: return rt::Variant(rt::CCur(value));
    case VarType::Decimal: return rt::Variant(rt::CDec(value));
    case VarType::Date: return rt::Variant(rt::CDate(value));
    case VarType::String: return rt::Variant(rt::CStr(value));
    default: return value;
  }
}

rt::Variant CoerceToType(const rt::Variant& value, int32_t adoType) {
  using rt::VarType;
  switch (adoType) {
    case adtype::kBoolean: return CoerceToSubtype(value, VarType::Boolean);
    case adtype::kTinyInt:
    case adtype::kSmallInt: return CoerceToSubtype(value, VarType::Integer);
    case adtype::kUnsignedTinyInt: return CoerceToSubtype(value, VarType::Byte);
    case adtype::kInteger: return CoerceToSubtype(value, VarType::Long);
    case adtype::kBigInt:
    case adtype::kDecimal:
    case adtype::kNumeric: return CoerceToSubtype(value, VarType::Decimal);
    case adtype::kSingle: return CoerceToSubtype(value, VarType::Single);
    case adtype::kDouble: return CoerceToSubtype(value, VarType::Double);
    case adtype::kCurrency: return CoerceToSubtype(value, VarType::Currency);
    case adtype::kDate:
    case adtype::kDBDate:
    case adtype::kDBTime:
    case adtype::kDBTimeStamp: return CoerceToSubtype(value, VarType::Date);
    case adtype::kBSTR:
    case adtype::kChar:
    case adtype::kWChar:
    case adtype::kVarChar:
    case adtype::kLongVarChar:
    case adtype::kVarWChar:
    case adtype::kLongVarWChar: return CoerceToSubtype(value, VarType::String);
    default:
      if (value.IsEmpty()) return rt::Variant::Null();
      return value;
  }
}

int32_t CharacterCount(std::string_view text) {
  int32_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace data
