// Variant: the late-bound value that crosses every method of both libraries,
// with VB's subtypes, type names and conversion rules.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace rt {

class Object;
using ObjectPtr = std::shared_ptr<Object>;

// VB's VarType numbers.
enum class VarType : int {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Boolean = 11,
  Variant = 12,
  Decimal = 14,
  Byte = 17,
  Array = 8192,
};

struct EmptyValue {
  bool operator==(const EmptyValue&) const = default;
};
struct NullValue {
  bool operator==(const NullValue&) const = default;
};

// A 64-bit integer scaled by 10,000: exact money with four decimals.
struct Currency {
  static constexpr int64_t kScale = 10000;
  int64_t scaled = 0;

  static Currency FromScaled(int64_t s) { return Currency{s}; }
  // Rounds half to even at the fourth decimal; raises Overflow (6).
  static Currency FromDouble(double d);
  double ToDouble() const { return static_cast<double>(scaled) / kScale; }
  auto operator<=>(const Currency&) const = default;
};

// VB's Decimal: a 96-bit magnitude with a sign and a power-of-ten scale of 0 to 28.
struct Decimal {
  __int128 mantissa = 0;  // signed; |mantissa| < 2^96
  uint8_t scale = 0;

  static Decimal FromDouble(double d);  // 15 significant digits, as VB does; 6 beyond range
  double ToDouble() const;
  std::string ToString() const;          // "." as separator, no exponent, no trailing zeros
  // Blanks, sign, digits with "." and an optional exponent. False for text
  // that is no number; Overflow (6) for a number of 2^96 or more; digits
  // beyond the 28th decimal are rounded half to even.
  static bool Parse(std::string_view text, Decimal& out);
  int Compare(const Decimal& other) const;
  bool operator==(const Decimal& o) const { return Compare(o) == 0; }
};

// Days since 1899-12-30; the fraction is the time of day. Before that day
// the fraction is still the time after the day's midnight: -1.25 is
// 1899-12-29 06:00.
struct Date {
  double serial = 0;

  // Parts out of their range carry over as DateSerial/TimeSerial do (month
  // 13, day 0, hour 24); a result outside 100-01-01..9999-12-31 raises 5.
  static Date FromParts(int year, int month, int day, int hour = 0, int minute = 0,
                        int second = 0);
  // Rounds to the nearest second; a serial outside VB's date range raises 6.
  void ToParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const;
  bool operator==(const Date&) const = default;
};

// VB's Error subtype; a missing optional argument is the error DISP_E_PARAMNOTFOUND.
struct ErrorValue {
  int32_t scode = 0;
  bool operator==(const ErrorValue&) const = default;
};
constexpr int32_t kParamNotFound = static_cast<int32_t>(0x80020004);

class Variant;
struct SafeArray;
using ArrayPtr = std::shared_ptr<SafeArray>;

class Variant {
 public:
  Variant() = default;
  Variant(const Variant&) = default;
  Variant(Variant&&) noexcept = default;
  Variant& operator=(const Variant&) = default;
  Variant& operator=(Variant&&) noexcept = default;

  Variant(NullValue v) : v_(v) {}
  Variant(int16_t v) : v_(v) {}
  Variant(int32_t v) : v_(v) {}
  Variant(float v) : v_(v) {}
  Variant(double v) : v_(v) {}
  Variant(Currency v) : v_(v) {}
  Variant(Decimal v) : v_(v) {}
  Variant(Date v) : v_(v) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(std::string_view v) : v_(std::string(v)) {}
  Variant(const char* v) : v_(std::string(v)) {}
  Variant(bool v) : v_(v) {}
  Variant(uint8_t v) : v_(v) {}
  Variant(ErrorValue v) : v_(v) {}
  Variant(ObjectPtr v) : v_(std::move(v)) {}
  template <class T>
    requires std::is_base_of_v<Object, T>
  Variant(std::shared_ptr<T> v) : v_(ObjectPtr(std::move(v))) {}
  Variant(ArrayPtr v) : v_(std::move(v)) {}

  static Variant Null() { return Variant(NullValue{}); }
  static Variant Missing() { return Variant(ErrorValue{kParamNotFound}); }
  static Variant Nothing() { return Variant(ObjectPtr()); }

  VarType Type() const;  // for an array its element type, without the Array flag: see IsArray
  bool IsEmpty() const { return std::holds_alternative<EmptyValue>(v_); }
  bool IsNull() const { return std::holds_alternative<NullValue>(v_); }
  bool IsMissing() const;
  bool IsObject() const { return std::holds_alternative<ObjectPtr>(v_); }
  bool IsNothing() const;
  bool IsArray() const { return std::holds_alternative<ArrayPtr>(v_); }
  bool IsString() const { return std::holds_alternative<std::string>(v_); }
  // Integer, Long, Single, Double, Currency, Decimal, Byte (not Boolean or Date).
  bool IsNumericType() const;

  // Exact extraction: the pointer is null unless the subtype matches.
  template <class T>
  const T* Get() const {
    return std::get_if<T>(&v_);
  }
  template <class T>
  T* Get() {
    return std::get_if<T>(&v_);
  }
  const ObjectPtr& AsObject() const;  // raises 13 unless an object (or Nothing)
  const SafeArray& AsArray() const;   // raises 13 unless an array
  SafeArray& MutableArray();           // copy-on-write, raises 13 unless an array

  const auto& Raw() const { return v_; }

 private:
  std::variant<EmptyValue, NullValue, int16_t, int32_t, float, double, Currency, Decimal, Date,
               std::string, bool, uint8_t, ErrorValue, ObjectPtr, ArrayPtr>
      v_;
};

// A VB array of one or two dimensions, stored row-major by the first index.
// An unallocated array has no dimensions; an empty one has a dimension of 0 elements.
struct SafeArray {
  struct Bound {
    int32_t lower = 0;
    int32_t count = 0;
  };
  VarType elementType = VarType::Variant;
  std::vector<Bound> bounds;
  std::vector<Variant> data;

  static ArrayPtr Unallocated(VarType elem = VarType::Variant);
  static ArrayPtr OneDim(int32_t lower, int32_t upper, VarType elem = VarType::Variant);
  static ArrayPtr TwoDim(int32_t lower1, int32_t upper1, int32_t lower2, int32_t upper2,
                         VarType elem = VarType::Variant);
  static ArrayPtr From(std::vector<Variant> items);  // Array(...): 0-based Variant()

  int Dimensions() const { return static_cast<int>(bounds.size()); }
  int32_t LBound(int dim = 1) const;  // raise 9 for an unallocated array or a bad dimension
  int32_t UBound(int dim = 1) const;
  Variant& At(int32_t i);             // raise 9 out of range
  const Variant& At(int32_t i) const;
  Variant& At(int32_t i, int32_t j);
  const Variant& At(int32_t i, int32_t j) const;
  // ReDim Preserve of the last dimension.
  void RedimPreserve(int32_t upper);
};

// --- VB conversions (CStr, CLng, ...) with VB's errors ---------------------
// Null raises 94, text that does not read as the wanted type 13, a value out
// of the type's range 6; Empty is 0, "", False or day 0; True is -1. Integer
// types round half to even, Currency at its fourth decimal. An object
// converts through its default member (Nothing raises 91).
std::string CStr(const Variant& v);
int16_t CInt(const Variant& v);
int32_t CLng(const Variant& v);
uint8_t CByte(const Variant& v);
float CSng(const Variant& v);
double CDbl(const Variant& v);
Currency CCur(const Variant& v);
Decimal CDec(const Variant& v);
Date CDate(const Variant& v);
bool CBool(const Variant& v);
// CVar of a value as text, Null giving empty text ("" & v in VB).
std::string Concat(const Variant& v);

// VB's Round half to even of a double to an integer; raises 6 outside the range.
int64_t BankersRound(double d, int64_t min, int64_t max);

std::string TypeName(const Variant& v);  // "Long", "String()", "Nothing", "Dictionary", ...
int VarTypeOf(const Variant& v);         // VarType with vbArray added for arrays
// True for Empty, numbers, Booleans and numeric text; Null and dates are not.
bool IsNumeric(const Variant& v);
// True for a Date or text that ParseDate reads.
bool IsDate(const Variant& v);

// Comparison as VB's "=" and "<" between two Variants. Null on either side
// makes the result Null (reported by returning false from the function and
// leaving `result` untouched). text = Option Compare Text.
enum class CompareMode { Binary = 0, Text = 1 };
bool TryCompare(const Variant& a, const Variant& b, int& result,
                CompareMode mode = CompareMode::Binary);
// As TryCompare, raising Invalid use of Null (94) when either side is Null.
int Compare(const Variant& a, const Variant& b, CompareMode mode = CompareMode::Binary);
// VB's "a = b" in an If: false when either side is Null.
bool VbEquals(const Variant& a, const Variant& b, CompareMode mode = CompareMode::Binary);

// Text helpers that count characters, not bytes.
int32_t Len(std::string_view s);
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
std::string Trim(std::string_view s);  // blanks only, as VB's Trim
int TextCompare(std::string_view a, std::string_view b);  // case-insensitive, -1/0/1

}  // namespace rt
