// Values made to fit the column they are written into (see column_fit.h).
#include "data/column_fit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "data/date_text.h"
#include "data/tsql_lexer.h"

namespace data {

namespace {

constexpr const char* kSource = "SQLite";
// SQL Server's datetime holds 1753-01-01 to 9999-12-31.
constexpr const char* kFirstDate = "1753-01-01 00:00:00";
constexpr const char* kLastDate = "9999-12-31 23:59:59";

[[noreturn]] void Refuse(int32_t number, int32_t native, std::string text) {
  throw EngineError(number, kSource, std::move(text), native);
}

[[noreturn]] void Truncated() { Refuse(kDataOverflow, 8152, "String or binary data would be truncated."); }

[[noreturn]] void OverflowTo(const TypeInfo& column, const std::string& from = "expression") {
  const std::string target = column.store == StoreKind::Decimal ? "numeric" : column.sqlName;
  Refuse(kDataOverflow, 8115, "Arithmetic overflow error converting " + from + " to data type " + target + ".");
}

// SQL Server names the value in an overflow of the small integer types.
[[noreturn]] void IntegerOverflow(const TypeInfo& column, const std::string& value) {
  if (column.maxValue < INT32_MAX)
    Refuse(kDataOverflow, 220, "Arithmetic overflow error for data type " + std::string(column.sqlName) +
                                   ", value = " + value + ".");
  OverflowTo(column);
}

[[noreturn]] void DateOutOfRange() {
  Refuse(kCantConvert, 242,
         "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
}

[[noreturn]] void NotADate() {
  Refuse(kCantConvert, 241, "Conversion failed when converting date and/or time from character string.");
}

// Text that does not convert to the column's type.
[[noreturn]] void NotConvertible(const TypeInfo& column, const std::string& textType, const std::string& value) {
  switch (column.store) {
    case StoreKind::DateTime: NotADate();
    case StoreKind::Money:
      Refuse(kCantConvert, 235, "Cannot convert a char value to money. The char value has incorrect syntax.");
    case StoreKind::Float:
    case StoreKind::Decimal:
      Refuse(kCantConvert, 8114,
             "Error converting data type " + textType + " to " +
                 (column.store == StoreKind::Float ? "float" : "numeric") + ".");
    default:
      Refuse(kCantConvert, 245,
             "Conversion failed when converting the " + textType + " value '" + value + "' to data type " +
                 column.sqlName + ".");
  }
}

// The text cut to the column's width when only blanks lie beyond it;
// refused when anything else does. Characters are counted whole, a NUL as
// one of them.
std::string FitText(std::string text, const TypeInfo& column) {
  if (column.maxChars <= 0 || static_cast<int64_t>(text.size()) <= column.maxChars) return text;
  size_t i = 0;
  for (int32_t n = 0; i < text.size() && n < column.maxChars; ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  if (i == text.size()) return text;
  if (text.find_first_not_of(' ', i) != std::string::npos) Truncated();
  text.resize(i);
  return text;
}

__int128 PowerOfTen(int n) {
  __int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// The decimal rounded half away from zero to `scale` places, as SQL Server
// rounds a value into a decimal column.
rt::Decimal RoundedTo(rt::Decimal d, int scale) {
  if (d.scale <= scale) return d;
  const __int128 factor = PowerOfTen(d.scale - scale);
  __int128 q = d.mantissa / factor;
  const __int128 r = d.mantissa % factor;
  if ((r < 0 ? -r : r) * 2 >= factor) q += d.mantissa < 0 ? -1 : 1;
  return rt::Decimal{q, static_cast<uint8_t>(scale)};
}

// The integer digits a money or decimal column holds: its own (p - s of a
// decimal), and never more than the database keeps exactly: 11 beside at
// most four decimals, and beside more decimals as many as leave 15
// significant digits in all (9 for decimal(18,6); none, and values below
// 0.1, for a scale of 16).
int IntegerDigits(const TypeInfo& column) {
  if (column.store == StoreKind::Money) return kLargestDecimalDigits;
  const int kept = column.scale > 4 ? kSignificantDigitsKept - column.scale : kLargestDecimalDigits;
  return std::min(column.precision - column.scale, kept);
}

// The money or decimal value rounded to its scale and checked against its
// range; `from` names the source type in an overflow's text (money's names
// an expression, as SQL Server's does).
rt::Decimal FitDecimal(rt::Decimal d, const TypeInfo& column, const std::string& from) {
  const int scale = column.store == StoreKind::Money ? 4 : column.scale;
  d = RoundedTo(d, scale);
  const __int128 magnitude = d.mantissa < 0 ? -d.mantissa : d.mantissa;
  if (magnitude >= PowerOfTen(IntegerDigits(column) + d.scale)) {
    if (column.store == StoreKind::Money) OverflowTo(column);
    OverflowTo(column, from);
  }
  return d;
}

}  // namespace

void RaiseRefusalFor(const rt::ComError& failure, const rt::Variant& value, const TypeInfo& column) {
  if (failure.number() == rt::vberr::kOverflow) {
    if (column.store == StoreKind::Integer) {
      std::string text;
      try {
        text = rt::CStr(value);
      } catch (const rt::ComError&) {
      }
      IntegerOverflow(column, text);
    }
    OverflowTo(column);
  }
  if (failure.number() != rt::vberr::kTypeMismatch) throw;  // the caught exception, whatever its type
  if (value.IsString()) NotConvertible(column, "nvarchar", *value.Get<std::string>());
  Refuse(kCantConvert, 206,
         "Operand type clash: " + rt::TypeName(value) + " is incompatible with " + column.sqlName + ".");
}

namespace {

// Runs a VB conversion; its Type mismatch and Overflow become the refusals
// that SQL Server gives for the value.
template <class F>
auto Converted(const rt::Variant& value, const TypeInfo& column, F&& convert) -> decltype(convert()) {
  try {
    return convert();
  } catch (const rt::ComError& e) {
    RaiseRefusalFor(e, value, column);
  }
}

// An integer value in range, as VB's CLng would round it (half to even).
rt::Variant FitIntegerValue(const rt::Variant& value, const TypeInfo& column) {
  using rt::VarType;
  int64_t v = 0;
  switch (value.Type()) {
    case VarType::Boolean: v = *value.Get<bool>() ? 1 : 0; break;  // bound as 1/0, as always
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long: v = rt::CLng(value); break;
    default: {
      const double d = Converted(value, column, [&] { return rt::CDbl(value); });
      if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) OverflowTo(column);
      v = static_cast<int64_t>(std::nearbyint(d));
    }
  }
  if (v < column.minValue || v > column.maxValue) IntegerOverflow(column, std::to_string(v));
  if (v >= INT32_MIN && v <= INT32_MAX) return rt::Variant(static_cast<int32_t>(v));
  return rt::Variant(rt::Decimal{v, 0});
}

rt::Variant FitDateValue(const rt::Variant& value, const TypeInfo& column) {
  const rt::Date date = Converted(value, column, [&] { return rt::CDate(value); });
  // Days a day or more inside the range need not be written out (every
  // date of an import is); the stored text decides near its ends.
  static const double firstSerial = rt::Date::FromParts(1753, 1, 2).serial;
  static const double lastSerial = rt::Date::FromParts(9999, 12, 30).serial;
  if (date.serial >= firstSerial && date.serial <= lastSerial) return rt::Variant(date);
  const std::string stored = StoredDateText(date);
  if (stored < kFirstDate || stored > kLastDate) DateOutOfRange();
  return rt::Variant(date);
}

// A number for a money or decimal column: VB's conversion to a number (a
// Double by its 15 significant digits, as VB's CDec reads it), then rounded
// to the column's scale half away from zero, as the column stores it.
rt::Variant FitNumericValue(const rt::Variant& value, const TypeInfo& column) {
  const rt::Decimal d = Converted(value, column, [&] {
    if (value.Type() == rt::VarType::Currency) return rt::Decimal{value.Get<rt::Currency>()->scaled, 4};
    return rt::CDec(value);
  });
  const rt::Decimal fitted = FitDecimal(d, column, "expression");
  if (column.subtype == rt::VarType::Currency || column.store == StoreKind::Money) {
    const __int128 scaled = fitted.mantissa * PowerOfTen(4 - fitted.scale);
    return rt::Variant(rt::Currency::FromScaled(static_cast<int64_t>(scaled)));
  }
  return rt::Variant(fitted);
}

// --- literals ----------------------------------------------------------------

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// An optional sign and digits, nothing else.
bool WholeNumberText(std::string_view s) {
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool HasExponent(std::string_view s) { return s.find_first_of("eE") != std::string_view::npos; }

// The literal as a decimal; nothing when it is no number; Overflow for one
// beyond what a decimal holds.
std::optional<rt::Decimal> ParsedDecimal(std::string_view s) {
  rt::Decimal d;
  if (!rt::Decimal::Parse(s, d)) return std::nullopt;
  return d;
}

// A number literal cut to a whole number, as SQL Server converts one into an
// integer column.
std::string IntegerFromNumber(std::string_view text, const TypeInfo& column) {
  std::optional<rt::Decimal> d;
  try {
    d = ParsedDecimal(text);
  } catch (const rt::ComError&) {
    OverflowTo(column);
  }
  if (!d) return std::string(text);  // 0x1F and the like: the engine reads it
  const __int128 whole = d->mantissa / PowerOfTen(d->scale);
  if (whole < column.minValue || whole > column.maxValue)
    IntegerOverflow(column, rt::Decimal{whole, 0}.ToString());
  return rt::Decimal{whole, 0}.ToString();
}

std::string IntegerFromText(std::string_view value, const TypeInfo& column, const std::string& textType) {
  const std::string_view s = Trimmed(value);
  if (s.empty()) return "0";
  if (!WholeNumberText(s)) NotConvertible(column, textType, std::string(value));
  std::optional<rt::Decimal> d;
  try {
    d = ParsedDecimal(s);
  } catch (const rt::ComError&) {
  }
  if (!d || d->mantissa < column.minValue || d->mantissa > column.maxValue) {
    const char* size = column.maxValue == INT16_MAX ? "INT2" : column.maxValue == 255 ? "INT1" : nullptr;
    if (size)
      Refuse(kDataOverflow, 244,
             "The conversion of the " + textType + " value '" + std::string(value) + "' overflowed an " + size +
                 " column. Use a larger integer column.");
    Refuse(kDataOverflow, 248,
           "The conversion of the " + textType + " value '" + std::string(value) + "' overflowed an " +
               column.sqlName + " column.");
  }
  return d->ToString();
}

std::string BitFromText(std::string_view value, const TypeInfo& column, const std::string& textType) {
  const std::string_view s = Trimmed(value);
  if (std::optional<int32_t> word = BitWord(s)) return *word ? "1" : "0";
  if (!WholeNumberText(s)) NotConvertible(column, textType, std::string(value));
  return s.find_first_not_of("+-0") == std::string_view::npos ? "0" : "1";
}

std::string FloatFromText(std::string_view value, const TypeInfo& column, const std::string& textType) {
  const std::string_view s = Trimmed(value);
  if (s.empty()) return "0";
  std::string_view digits = s;
  if (digits.front() == '+') digits.remove_prefix(1);
  double d = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
  if (ec == std::errc::result_out_of_range) OverflowTo(column, textType);
  if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(d))
    NotConvertible(column, textType, std::string(value));
  if (std::fabs(d) > column.maxMagnitude) OverflowTo(column, textType);
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, d);
  return std::string(buffer, written.ptr);
}

std::string DecimalFromText(std::string_view value, const TypeInfo& column, const std::string& textType) {
  const std::string_view s = Trimmed(value);
  if (s.empty() && column.store == StoreKind::Money) return "0";
  std::optional<rt::Decimal> d;
  if (!s.empty() && !HasExponent(s)) {
    try {
      d = ParsedDecimal(s);
    } catch (const rt::ComError&) {
      OverflowTo(column, textType);
    }
  }
  if (!d) NotConvertible(column, textType, std::string(value));
  return FitDecimal(*d, column, textType).ToString();
}

std::string DecimalFromNumber(std::string_view text, const TypeInfo& column) {
  const std::string from = HasExponent(text) ? "float" : "numeric";
  std::optional<rt::Decimal> d;
  try {
    d = ParsedDecimal(text);
  } catch (const rt::ComError&) {
    OverflowTo(column, from);
  }
  if (!d) return std::string(text);
  return FitDecimal(*d, column, from).ToString();
}

// A literal made to fit its column: the value, and whether it is text
// (else a number as SQL text writes it).
struct Fitted {
  std::string value;
  bool text;
};

// Text that SQL Server reads as no date (241), or as a date that does not
// exist or lies outside datetime's range (242).
void RefuseUnlessDate(const DateTextReading& date) {
  if (date.outcome == DateTextReading::Outcome::NotADate) NotADate();
  if (date.outcome == DateTextReading::Outcome::OutOfRange) DateOutOfRange();
}

// Stored to the second: a fraction is rounded as a Date value's is.
Fitted DateFromText(std::string_view value) {
  const DateTextReading date = ReadDateText(value);
  RefuseUnlessDate(date);
  std::optional<std::string> stored = StoredFormOf(date);
  if (!stored) DateOutOfRange();
  return {std::move(*stored), true};
}

// A number written into a datetime column counts days from 1900-01-01.
Fitted DateFromNumber(std::string_view text, const TypeInfo& column) {
  double days = 0;
  std::string_view digits = text.front() == '+' ? text.substr(1) : text;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), days);
  if (ec != std::errc() || end != digits.data() + digits.size()) return {std::string(text), false};
  std::string stored;
  try {
    stored = StoredDateText(rt::Date{days + 2});
  } catch (const rt::ComError&) {
    OverflowTo(column);
  }
  if (stored < kFirstDate || stored > kLastDate) OverflowTo(column);
  return {std::move(stored), true};
}

// The rules of SQL Server's conversion of a literal, for both forms of
// FitLiteral.
Fitted FitLiteralAs(std::string_view text, LiteralKind kind, const TypeInfo& column) {
  if (kind == LiteralKind::Number) {
    switch (column.store) {
      case StoreKind::Integer: return {IntegerFromNumber(text, column), false};
      case StoreKind::Bit: {
        const std::optional<rt::Decimal> d = ParsedDecimal(text);
        return {!d ? std::string(text) : d->mantissa == 0 ? "0" : "1", false};
      }
      case StoreKind::Money:
      case StoreKind::Decimal: return {DecimalFromNumber(text, column), false};
      case StoreKind::DateTime: return DateFromNumber(text, column);
      default: return {std::string(text), false};
    }
  }
  const std::string textType = kind == LiteralKind::NString ? "nvarchar" : "varchar";
  switch (column.store) {
    case StoreKind::Text: return {FitText(std::string(text), column), true};
    case StoreKind::Integer: return {IntegerFromText(text, column, textType), false};
    case StoreKind::Bit: return {BitFromText(text, column, textType), false};
    case StoreKind::Float: return {FloatFromText(text, column, textType), false};
    case StoreKind::Money:
    case StoreKind::Decimal: return {DecimalFromText(text, column, textType), false};
    case StoreKind::DateTime: return DateFromText(text);
    case StoreKind::Any: break;
  }
  return {std::string(text), true};
}

// A number's text as a 64-bit integer, when it is a whole number (an
// optional sign and digits) in that range.
std::optional<int64_t> WholeNumber(std::string_view s) {
  int64_t v = 0;
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

// The declared type as it appears in a constraint's name: lower case,
// without blanks or the storage word ("decimal(18,4)").
std::string NormalisedType(std::string_view declared) {
  std::string out;
  for (char c : WithoutStorageWord(declared))
    if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

rt::Variant ConvertForField(const rt::Variant& value, const TypeInfo& column) {
  if (column.store == StoreKind::Any || value.IsNull() || value.IsEmpty()) return CoerceToSubtype(value, column.subtype);
  return Converted(value, column, [&] { return CoerceToSubtype(value, column.subtype); });
}

rt::Variant FitValue(const rt::Variant& value, const TypeInfo& column) {
  if (value.IsNull() || value.IsEmpty()) return rt::Variant::Null();
  switch (column.store) {
    case StoreKind::Any: return value;
    case StoreKind::Text:
      // Other values keep the form the engine writes them in.
      if (!value.IsString()) return value;
      return rt::Variant(FitText(*value.Get<std::string>(), column));
    case StoreKind::Integer: return FitIntegerValue(value, column);
    case StoreKind::Bit:
      if (value.Type() == rt::VarType::Boolean) return value;
      return rt::Variant(Converted(value, column, [&] { return rt::CBool(value); }));
    case StoreKind::Float: {
      const double d = Converted(value, column, [&] { return rt::CDbl(value); });
      if (!std::isfinite(d) || std::fabs(d) > column.maxMagnitude) OverflowTo(column);
      if (value.Type() == rt::VarType::Double) return value;
      return rt::Variant(d);
    }
    case StoreKind::Money:
    case StoreKind::Decimal: return FitNumericValue(value, column);
    case StoreKind::DateTime: return FitDateValue(value, column);
  }
  return value;
}

std::string ComparedDateText(std::string_view text) {
  const DateTextReading date = ReadDateText(text);
  RefuseUnlessDate(date);
  std::optional<std::string> compared = ComparedFormOf(date);
  if (!compared) DateOutOfRange();
  return std::move(*compared);
}

std::optional<int32_t> BitWord(std::string_view text) {
  const std::string_view s = Trimmed(text);
  if (s.empty()) return 0;
  auto is = [&](std::string_view word) {
    if (s.size() != word.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
      if (std::toupper(static_cast<unsigned char>(s[i])) != word[i]) return false;
    return true;
  };
  if (is("TRUE")) return 1;
  if (is("FALSE")) return 0;
  return std::nullopt;
}

std::string FitLiteral(std::string_view text, LiteralKind kind, const TypeInfo& column) {
  Fitted fitted = FitLiteralAs(text, kind, column);
  return fitted.text ? QuoteString(fitted.value) : std::move(fitted.value);
}

rt::Variant FitLiteralValue(std::string_view text, LiteralKind kind, const TypeInfo& column) {
  Fitted fitted = FitLiteralAs(text, kind, column);
  if (fitted.text) return rt::Variant(std::move(fitted.value));
  if (std::optional<int64_t> whole = WholeNumber(fitted.value)) {
    if (*whole >= INT32_MIN && *whole <= INT32_MAX) return rt::Variant(static_cast<int32_t>(*whole));
    return rt::Variant(rt::Decimal{*whole, 0});
  }
  // A fraction or an exponent: its digits, which the column's numeric
  // affinity reads as the engine reads the literal (a double parsed here
  // could differ from the engine's reading in the last bit).
  return rt::Variant(std::move(fitted.value));
}

std::optional<EngineError> RefusalForCheck(std::string_view message) {
  constexpr std::string_view kPrefix = "CHECK constraint failed: ";
  if (message.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  std::string_view name = message.substr(kPrefix.size());
  const size_t colon = name.find(": ");
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view declared = name.substr(colon + 2);
  const bool range = declared.size() > 6 && declared.substr(declared.size() - 6) == " range";
  if (range) declared.remove_suffix(6);
  const TypeInfo column = TypeFromDeclared(declared);
  try {
    switch (column.store) {
      case StoreKind::Any: return std::nullopt;
      case StoreKind::Text: Truncated();
      case StoreKind::DateTime:
        if (range) DateOutOfRange();
        NotADate();
      default:
        if (range) OverflowTo(column);
        Refuse(kCantConvert, 8114,
               "Error converting data type nvarchar to " +
                   std::string(column.store == StoreKind::Decimal ? "numeric" : column.sqlName) + ".");
    }
  } catch (const EngineError& e) {
    return e;
  }
  return std::nullopt;
}

bool IsColumnCheckName(std::string_view constraint, std::string_view column, std::string_view declared) {
  const std::string name = std::string(column) + ": " + NormalisedType(declared);
  return constraint == name || constraint == name + " range";
}

std::vector<std::pair<std::string, std::string>> ColumnChecks(std::string_view column, std::string_view declared) {
  const TypeInfo type = TypeFromDeclared(declared);
  const std::string c = QuoteName(column);
  const std::string name = std::string(column) + ": " + NormalisedType(declared);
  std::vector<std::pair<std::string, std::string>> checks;
  auto add = [&](const std::string& suffix, const std::string& expression) {
    checks.emplace_back(name + suffix, expression);
  };
  // Every check passes a Null at once (most columns of a new row are Null).
  const std::string orNull = c + " IS NULL OR ";
  // In SQLite's order every number comes before every text and blob, so a
  // value below the empty text is a number: one comparison where typeof()
  // would be a function call and a list. "+" keeps the column's affinity from
  // trying the empty text as a number.
  const std::string isNumber = orNull + "+" + c + " < ''";
  switch (type.store) {
    case StoreKind::Any: break;
    case StoreKind::Text:
      if (type.maxChars > 0) {
        // Bytes bound characters from above, so most values pass on the
        // first test. length() stops at a NUL; instr() counts every
        // character up to a 0xFF byte, which no UTF-8 text holds.
        const std::string n = std::to_string(type.maxChars);
        add("", orNull + "length(CAST(" + c + " AS BLOB)) <= " + n + " OR instr(" + c +
                    " || CAST(x'FF' AS TEXT), CAST(x'FF' AS TEXT)) <= " + std::to_string(type.maxChars + 1));
      }
      break;
    case StoreKind::Integer:
      add("", orNull + "typeof(" + c + ") = 'integer'");
      add(" range", c + " BETWEEN " + std::to_string(type.minValue) + " AND " + std::to_string(type.maxValue));
      break;
    case StoreKind::Bit: add("", c + " IN (0, 1)"); break;
    case StoreKind::Float: {
      char limit[32];
      const auto written = std::to_chars(limit, limit + sizeof limit, type.maxMagnitude);
      const std::string l(limit, written.ptr);
      // A float column's affinity makes every number it holds a real.
      add("", isNumber);
      add(" range", c + " BETWEEN -" + l + " AND " + l);
      break;
    }
    // A CHECK cannot round: a value with more decimals than the scale
    // passes as it is.
    case StoreKind::Money:
    case StoreKind::Decimal: {
      const std::string limit = "1e" + std::to_string(IntegerDigits(type));
      add("", isNumber);
      add(" range", c + " > -" + limit + " AND " + c + " < " + limit);
      break;
    }
    // Only a text in the stored form of a real date and time equals what
    // datetime() writes from its day number (a number or a blob never equals
    // a text; datetime() of the text itself would give 2026-02-30 or 24:00:00
    // back as written). A datetime column has numeric affinity: compared as
    // it stands, every text operand would first be tried as a number, on
    // every row; "+" takes the affinity away.
    case StoreKind::DateTime:
      add("", orNull + "datetime(julianday(" + c + ")) IS +" + c);
      add(" range", "+" + c + " BETWEEN '" + kFirstDate + "' AND '" + kLastDate + "'");
      break;
  }
  return checks;
}

}  // namespace data
