// VB's conversion functions (CStr, CInt, CLng, ...) with VB's rounding and errors.
#include <cmath>
#include <limits>

#include "runtime/com_error.h"
#include "runtime/numeric_detail.h"
#include "runtime/object.h"
#include "runtime/regional.h"
#include "runtime/variant.h"

namespace rt {

namespace detail {

Variant DefaultValue(const ObjectPtr& object) {
  if (!object) RaiseVb(vberr::kObjectNotSet);
  Args none;
  Variant value = object->Invoke("", CallKind::Get, none);
  if (value.IsObject()) RaiseVb(vberr::kTypeMismatch);
  return value;
}

namespace {

// Text read exactly, for CCur and CDec: "0.1" is one tenth, not the double.
rt::Decimal DecimalFromText(const std::string& text) {
  std::string plain = text;
  const char sep = CurrentRegionalSettings().decimalSeparator;
  if (sep != '.') {
    for (char& c : plain) {
      if (c == '.') c = '\x01';  // "." is not a separator here
      else if (c == sep) c = '.';
    }
  }
  rt::Decimal d;
  if (rt::Decimal::Parse(plain, d)) return d;
  if (auto n = ParseNumber(text)) return rt::Decimal::FromDouble(*n);  // "&H..." forms
  RaiseVb(vberr::kTypeMismatch);
}

}  // namespace

Number ToNumber(const Variant& v, bool exactText) {
  struct Visitor {
    bool exactText;
    Number Int(int64_t i) const { return Number::Integral(i); }
    Number operator()(const EmptyValue&) const { return Int(0); }
    Number operator()(const NullValue&) const { RaiseVb(vberr::kInvalidUseOfNull); }
    Number operator()(int16_t i) const { return Int(i); }
    Number operator()(int32_t i) const { return Int(i); }
    Number operator()(uint8_t i) const { return Int(i); }
    Number operator()(bool b) const { return Int(b ? -1 : 0); }
    Number operator()(float f) const { return Number::Real(Number::Kind::Single, f); }
    Number operator()(double d) const { return Number::Real(Number::Kind::Double, d); }
    Number operator()(const Date& d) const { return Number::Real(Number::Kind::Double, d.serial); }
    Number operator()(const rt::Currency& c) const { return Number::Of(c); }
    Number operator()(const rt::Decimal& d) const { return Number::Of(d); }
    Number operator()(const std::string& s) const {
      if (exactText) return (*this)(DecimalFromText(s));
      bool overflow = false;
      auto d = ParseNumber(s, &overflow);
      if (!d) RaiseVb(overflow ? vberr::kOverflow : vberr::kTypeMismatch);
      return Number::Real(Number::Kind::Double, *d);
    }
    Number operator()(const ErrorValue&) const { RaiseVb(vberr::kTypeMismatch); }
    Number operator()(const ArrayPtr&) const { RaiseVb(vberr::kTypeMismatch); }
    Number operator()(const ObjectPtr& o) const { return ToNumber(DefaultValue(o), exactText); }
  };
  return std::visit(Visitor{exactText}, v.Raw());
}

}  // namespace detail

namespace {

using detail::DefaultValue;
using detail::Number;
using detail::ToNumber;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int64_t ToInteger(const Variant& v, int64_t min, int64_t max) {
  const Number n = ToNumber(v);
  switch (n.kind) {
    case Number::Kind::Integer:
      if (n.integer < min || n.integer > max) RaiseVb(vberr::kOverflow);
      return n.integer;
    case Number::Kind::Single:
    case Number::Kind::Double:
      return BankersRound(n.real, min, max);
    case Number::Kind::Currency:
      return detail::IntegerFromDecimal(detail::DecimalFromCurrency(n.currency), min, max);
    case Number::Kind::Decimal:
      return detail::IntegerFromDecimal(n.decimal, min, max);
  }
  return 0;
}

double ToDouble(const Number& n) {
  switch (n.kind) {
    case Number::Kind::Integer: return static_cast<double>(n.integer);
    case Number::Kind::Single:
    case Number::Kind::Double: return n.real;
    case Number::Kind::Currency: return n.currency.ToDouble();
    case Number::Kind::Decimal: return n.decimal.ToDouble();
  }
  return 0;
}

std::string ErrorText(int32_t scode) {
  // VB names an Error value by its VB error number: the low word of a VB
  // HRESULT, 448 for a missing argument, the number itself otherwise.
  if (scode == kParamNotFound) return "Error 448";
  if ((static_cast<uint32_t>(scode) & 0xFFFF0000u) == 0x800A0000u) {
    return "Error " + std::to_string(scode & 0xFFFF);
  }
  return "Error " + std::to_string(scode);
}

}  // namespace

int64_t BankersRound(double d, int64_t min, int64_t max) {
  if (std::isnan(d)) RaiseVb(vberr::kOverflow);
  const double r = detail::RoundHalfEven(d);
  // Only a value inside int64's range may be cast (2^63 itself is outside).
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) RaiseVb(vberr::kOverflow);
  const auto i = static_cast<int64_t>(r);
  if (i < min || i > max) RaiseVb(vberr::kOverflow);
  return i;
}

std::string CStr(const Variant& v) {
  struct Visitor {
    std::string operator()(const EmptyValue&) const { return {}; }
    std::string operator()(const NullValue&) const { RaiseVb(vberr::kInvalidUseOfNull); }
    std::string operator()(int16_t i) const { return std::to_string(i); }
    std::string operator()(int32_t i) const { return std::to_string(i); }
    std::string operator()(uint8_t i) const { return std::to_string(i); }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(float f) const { return FormatSingle(f); }
    std::string operator()(double d) const { return FormatDouble(d); }
    std::string operator()(const Date& d) const { return FormatDate(d); }
    std::string operator()(const Currency& c) const { return FormatCurrency(c); }
    std::string operator()(const Decimal& d) const { return FormatDecimal(d); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const ErrorValue& e) const { return ErrorText(e.scode); }
    std::string operator()(const ArrayPtr&) const { RaiseVb(vberr::kTypeMismatch); }
    std::string operator()(const ObjectPtr& o) const { return CStr(DefaultValue(o)); }
  };
  return std::visit(Visitor{}, v.Raw());
}

std::string Concat(const Variant& v) {
  if (v.IsNull()) return {};
  if (const auto* o = v.Get<ObjectPtr>()) return Concat(DefaultValue(*o));
  return CStr(v);
}

int16_t CInt(const Variant& v) {
  return static_cast<int16_t>(ToInteger(v, INT16_MIN, INT16_MAX));
}

int32_t CLng(const Variant& v) {
  return static_cast<int32_t>(ToInteger(v, INT32_MIN, INT32_MAX));
}

uint8_t CByte(const Variant& v) { return static_cast<uint8_t>(ToInteger(v, 0, UINT8_MAX)); }

double CDbl(const Variant& v) { return ToDouble(ToNumber(v)); }

float CSng(const Variant& v) {
  const double d = CDbl(v);
  if (std::fabs(d) > std::numeric_limits<float>::max()) RaiseVb(vberr::kOverflow);
  return static_cast<float>(d);
}

Currency CCur(const Variant& v) {
  const Number n = ToNumber(v, true);
  switch (n.kind) {
    case Number::Kind::Integer:
      return detail::CurrencyFromDecimal(detail::DecimalFromInteger(n.integer));
    case Number::Kind::Single:
    case Number::Kind::Double:
      return Currency::FromDouble(n.real);
    case Number::Kind::Currency:
      return n.currency;
    case Number::Kind::Decimal:
      return detail::CurrencyFromDecimal(n.decimal);
  }
  return {};
}

Decimal CDec(const Variant& v) {
  const Number n = ToNumber(v, true);
  switch (n.kind) {
    case Number::Kind::Integer: return detail::DecimalFromInteger(n.integer);
    case Number::Kind::Single: return detail::DecimalFromSingle(static_cast<float>(n.real));
    case Number::Kind::Double: return Decimal::FromDouble(n.real);
    case Number::Kind::Currency: return detail::DecimalFromCurrency(n.currency);
    case Number::Kind::Decimal: return n.decimal;
  }
  return {};
}

Date CDate(const Variant& v) {
  if (const auto* d = v.Get<Date>()) return *d;
  if (const auto* s = v.Get<std::string>()) {
    auto parsed = ParseDate(*s);
    if (!parsed) RaiseVb(vberr::kTypeMismatch);
    return *parsed;
  }
  if (const auto* o = v.Get<ObjectPtr>()) return CDate(DefaultValue(*o));
  const double serial = CDbl(v);
  if (!(serial > detail::kDateSerialBelow && serial < detail::kDateSerialAbove)) {
    RaiseVb(vberr::kOverflow);
  }
  return Date{serial};
}

bool CBool(const Variant& v) {
  if (const auto* s = v.Get<std::string>()) {
    std::string_view t = *s;
    while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
    if (TextCompare(t, "True") == 0) return true;
    if (TextCompare(t, "False") == 0) return false;
  }
  if (const auto* o = v.Get<ObjectPtr>()) return CBool(DefaultValue(*o));
  const Number n = ToNumber(v);
  switch (n.kind) {
    case Number::Kind::Integer: return n.integer != 0;
    case Number::Kind::Single:
    case Number::Kind::Double: return n.real != 0;
    case Number::Kind::Currency: return n.currency.scaled != 0;
    case Number::Kind::Decimal: return n.decimal.mantissa != 0;
  }
  return false;
}

}  // namespace rt
