// Comparison of two Variants as VB's "=" and "<" compare them.
//
// Numbers (Boolean and Date included) compare by value whatever their
// subtypes; texts binary or without regard to case; a number is less than
// a text; Empty is 0 beside a number and "" beside a text; Null makes the
// result unknown. Between subtypes VB's rules decide the precision: a Double
// beside a Single is rounded to Single, a Double or Single beside a Currency
// becomes a Currency, beside a Decimal a Decimal.
#include <cmath>

#include "runtime/com_error.h"
#include "runtime/numeric_detail.h"
#include "runtime/variant.h"

namespace rt {

namespace {

using detail::Number;
using Kind = Number::Kind;

template <class T>
int Order(const T& a, const T& b) {
  return (a > b) - (a < b);
}

bool IsReal(const Number& n) { return n.kind == Kind::Single || n.kind == Kind::Double; }

double AsDouble(const Number& n) {
  switch (n.kind) {
    case Kind::Integer: return static_cast<double>(n.integer);
    case Kind::Single:
    case Kind::Double: return n.real;
    case Kind::Currency: return n.currency.ToDouble();
    case Kind::Decimal: return n.decimal.ToDouble();
  }
  return 0;
}

Decimal AsDecimal(const Number& n) {
  switch (n.kind) {
    case Kind::Integer: return detail::DecimalFromInteger(n.integer);
    case Kind::Single: return detail::DecimalFromSingle(static_cast<float>(n.real));
    case Kind::Double: return Decimal::FromDouble(n.real);
    case Kind::Currency: return detail::DecimalFromCurrency(n.currency);
    case Kind::Decimal: return n.decimal;
  }
  return {};
}

// Beyond these a Double has no Currency or Decimal form; it then lies
// beyond every value of that subtype and its sign decides.
constexpr double kCurrencyReach = 922337203685477.0;
constexpr double kDecimalReach = 7.9e28;

bool OutOfReach(const Number& n, double reach) {
  return IsReal(n) && std::fabs(n.real) >= reach;
}

int CompareNumbers(const Number& a, const Number& b) {
  if (a.kind == Kind::Integer && b.kind == Kind::Integer) return Order(a.integer, b.integer);
  if (a.kind == Kind::Decimal || b.kind == Kind::Decimal) {
    if (OutOfReach(a, kDecimalReach) || OutOfReach(b, kDecimalReach)) {
      return Order(AsDouble(a), AsDouble(b));
    }
    return AsDecimal(a).Compare(AsDecimal(b));
  }
  if (a.kind == Kind::Currency || b.kind == Kind::Currency) {
    if (OutOfReach(a, kCurrencyReach) || OutOfReach(b, kCurrencyReach)) {
      return Order(AsDouble(a), AsDouble(b));
    }
    // Integers and Currency meet through Decimal, which holds both exactly.
    if (!IsReal(a) && !IsReal(b)) return AsDecimal(a).Compare(AsDecimal(b));
    const Currency ca = IsReal(a) ? Currency::FromDouble(a.real) : a.currency;
    const Currency cb = IsReal(b) ? Currency::FromDouble(b.real) : b.currency;
    return Order(ca, cb);
  }
  if ((a.kind == Kind::Single && b.kind == Kind::Double) ||
      (a.kind == Kind::Double && b.kind == Kind::Single)) {
    const float fa = static_cast<float>(a.real), fb = static_cast<float>(b.real);
    if (std::isfinite(fa) && std::isfinite(fb)) return Order(fa, fb);
  }
  return Order(AsDouble(a), AsDouble(b));
}

int CompareTexts(std::string_view a, std::string_view b, CompareMode mode) {
  if (mode == CompareMode::Text) return TextCompare(a, b);
  const int r = a.compare(b);  // byte order, which is code point order in UTF-8
  return (r > 0) - (r < 0);
}

enum class Class { Empty, Number, Text };

Class Classify(const Variant& v) {
  if (v.IsArray()) RaiseVb(vberr::kTypeMismatch);
  switch (v.Type()) {
    case VarType::Empty: return Class::Empty;
    case VarType::String: return Class::Text;
    case VarType::Error: RaiseVb(vberr::kTypeMismatch);
    default: return Class::Number;
  }
}

}  // namespace

bool TryCompare(const Variant& first, const Variant& second, int& result, CompareMode mode) {
  // Objects take part through their default member.
  Variant firstValue, secondValue;
  if (first.IsObject()) firstValue = detail::DefaultValue(*first.Get<ObjectPtr>());
  if (second.IsObject()) secondValue = detail::DefaultValue(*second.Get<ObjectPtr>());
  const Variant& a = first.IsObject() ? firstValue : first;
  const Variant& b = second.IsObject() ? secondValue : second;
  if (a.IsNull() || b.IsNull()) return false;
  const Class ca = Classify(a), cb = Classify(b);
  static const std::string kNoText;
  if (ca == Class::Text || cb == Class::Text) {
    if (ca == Class::Number) {
      result = -1;
    } else if (cb == Class::Number) {
      result = 1;
    } else {
      const std::string& ta = ca == Class::Text ? *a.Get<std::string>() : kNoText;
      const std::string& tb = cb == Class::Text ? *b.Get<std::string>() : kNoText;
      result = CompareTexts(ta, tb, mode);
    }
    return true;
  }
  result = CompareNumbers(detail::ToNumber(a), detail::ToNumber(b));
  return true;
}

int Compare(const Variant& a, const Variant& b, CompareMode mode) {
  int result = 0;
  if (!TryCompare(a, b, result, mode)) RaiseVb(vberr::kInvalidUseOfNull);
  return result;
}

bool VbEquals(const Variant& a, const Variant& b, CompareMode mode) {
  int result = 0;
  return TryCompare(a, b, result, mode) && result == 0;
}

}  // namespace rt
