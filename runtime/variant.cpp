// Variant's subtypes, type names and VB arrays.
#include "runtime/variant.h"

#include <optional>

#include "runtime/com_error.h"
#include "runtime/numeric_detail.h"
#include "runtime/object.h"
#include "runtime/regional.h"

namespace rt {

namespace {

// The value a new element of an array of this type starts with.
Variant InitialElement(VarType type) {
  switch (type) {
    case VarType::Integer: return Variant(int16_t{0});
    case VarType::Long: return Variant(int32_t{0});
    case VarType::Single: return Variant(0.0f);
    case VarType::Double: return Variant(0.0);
    case VarType::Currency: return Variant(Currency{});
    case VarType::Decimal: return Variant(Decimal{});
    case VarType::Date: return Variant(Date{});
    case VarType::String: return Variant(std::string());
    case VarType::Object: return Variant::Nothing();
    case VarType::Boolean: return Variant(false);
    case VarType::Byte: return Variant(uint8_t{0});
    case VarType::Error: return Variant(ErrorValue{});
    default: return Variant();
  }
}

const char* SubtypeName(VarType type) {
  switch (type) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Integer: return "Integer";
    case VarType::Long: return "Long";
    case VarType::Single: return "Single";
    case VarType::Double: return "Double";
    case VarType::Currency: return "Currency";
    case VarType::Date: return "Date";
    case VarType::String: return "String";
    case VarType::Object: return "Object";
    case VarType::Error: return "Error";
    case VarType::Boolean: return "Boolean";
    case VarType::Variant: return "Variant";
    case VarType::Decimal: return "Decimal";
    case VarType::Byte: return "Byte";
    case VarType::Array: break;
  }
  return "Unknown";
}

int32_t Count(int32_t lower, int32_t upper) {
  const int64_t count = static_cast<int64_t>(upper) - lower + 1;
  if (count < 0) RaiseVb(vberr::kSubscriptOutOfRange);
  return static_cast<int32_t>(count);
}

ArrayPtr Allocate(VarType elem, std::vector<SafeArray::Bound> bounds) {
  auto array = std::make_shared<SafeArray>();
  array->elementType = elem;
  size_t total = 1;
  for (const auto& b : bounds) total *= static_cast<size_t>(b.count);
  array->bounds = std::move(bounds);
  array->data.assign(total, InitialElement(elem));
  return array;
}

// An object's default member's value, none for Nothing or an object without
// one: the Is... tests answer False instead of raising, and leave Err alone.
std::optional<Variant> ValueOf(const ObjectPtr& object) {
  if (!object) return std::nullopt;
  try {
    return detail::DefaultValue(object);
  } catch (const ComError&) {
    return std::nullopt;
  }
}

size_t Offset(const SafeArray::Bound& b, int32_t index) {
  const int64_t k = static_cast<int64_t>(index) - b.lower;
  if (k < 0 || k >= b.count) RaiseVb(vberr::kSubscriptOutOfRange);
  return static_cast<size_t>(k);
}

}  // namespace

// --- Variant ------------------------------------------------------------

VarType Variant::Type() const {
  struct Visitor {
    VarType operator()(const EmptyValue&) const { return VarType::Empty; }
    VarType operator()(const NullValue&) const { return VarType::Null; }
    VarType operator()(int16_t) const { return VarType::Integer; }
    VarType operator()(int32_t) const { return VarType::Long; }
    VarType operator()(float) const { return VarType::Single; }
    VarType operator()(double) const { return VarType::Double; }
    VarType operator()(const Currency&) const { return VarType::Currency; }
    VarType operator()(const Decimal&) const { return VarType::Decimal; }
    VarType operator()(const Date&) const { return VarType::Date; }
    VarType operator()(const std::string&) const { return VarType::String; }
    VarType operator()(bool) const { return VarType::Boolean; }
    VarType operator()(uint8_t) const { return VarType::Byte; }
    VarType operator()(const ErrorValue&) const { return VarType::Error; }
    VarType operator()(const ObjectPtr&) const { return VarType::Object; }
    VarType operator()(const ArrayPtr& a) const { return a ? a->elementType : VarType::Variant; }
  };
  return std::visit(Visitor{}, v_);
}

bool Variant::IsMissing() const {
  const auto* e = Get<ErrorValue>();
  return e && e->scode == kParamNotFound;
}

bool Variant::IsNothing() const {
  const auto* o = Get<ObjectPtr>();
  return o && !*o;
}

bool Variant::IsNumericType() const {
  switch (Type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Decimal:
    case VarType::Byte:
      return !IsArray();
    default:
      return false;
  }
}

const ObjectPtr& Variant::AsObject() const {
  const auto* o = Get<ObjectPtr>();
  if (!o) RaiseVb(vberr::kTypeMismatch);
  return *o;
}

const SafeArray& Variant::AsArray() const {
  const auto* a = Get<ArrayPtr>();
  if (!a || !*a) RaiseVb(vberr::kTypeMismatch);
  return **a;
}

SafeArray& Variant::MutableArray() {
  auto* a = Get<ArrayPtr>();
  if (!a || !*a) RaiseVb(vberr::kTypeMismatch);
  if (a->use_count() > 1) *a = std::make_shared<SafeArray>(**a);
  return **a;
}

// --- SafeArray ----------------------------------------------------------

ArrayPtr SafeArray::Unallocated(VarType elem) { return Allocate(elem, {}); }

ArrayPtr SafeArray::OneDim(int32_t lower, int32_t upper, VarType elem) {
  return Allocate(elem, {{lower, Count(lower, upper)}});
}

ArrayPtr SafeArray::TwoDim(int32_t lower1, int32_t upper1, int32_t lower2, int32_t upper2,
                           VarType elem) {
  return Allocate(elem, {{lower1, Count(lower1, upper1)}, {lower2, Count(lower2, upper2)}});
}

ArrayPtr SafeArray::From(std::vector<Variant> items) {
  auto array = std::make_shared<SafeArray>();
  array->bounds = {{0, static_cast<int32_t>(items.size())}};
  array->data = std::move(items);
  return array;
}

int32_t SafeArray::LBound(int dim) const {
  if (dim < 1 || dim > Dimensions()) RaiseVb(vberr::kSubscriptOutOfRange);
  return bounds[dim - 1].lower;
}

int32_t SafeArray::UBound(int dim) const {
  if (dim < 1 || dim > Dimensions()) RaiseVb(vberr::kSubscriptOutOfRange);
  const Bound& b = bounds[dim - 1];
  return static_cast<int32_t>(static_cast<int64_t>(b.lower) + b.count - 1);
}

Variant& SafeArray::At(int32_t i) {
  if (Dimensions() != 1) RaiseVb(vberr::kSubscriptOutOfRange);
  return data[Offset(bounds[0], i)];
}

const Variant& SafeArray::At(int32_t i) const { return const_cast<SafeArray*>(this)->At(i); }

Variant& SafeArray::At(int32_t i, int32_t j) {
  if (Dimensions() != 2) RaiseVb(vberr::kSubscriptOutOfRange);
  return data[Offset(bounds[0], i) * static_cast<size_t>(bounds[1].count) + Offset(bounds[1], j)];
}

const Variant& SafeArray::At(int32_t i, int32_t j) const {
  return const_cast<SafeArray*>(this)->At(i, j);
}

void SafeArray::RedimPreserve(int32_t upper) {
  if (bounds.empty()) {  // an unallocated array takes the default lower bound
    bounds = {{0, Count(0, upper)}};
    data.assign(static_cast<size_t>(bounds[0].count), InitialElement(elementType));
    return;
  }
  Bound& last = bounds.back();
  const int32_t count = Count(last.lower, upper);
  if (bounds.size() == 1) {
    data.resize(static_cast<size_t>(count), InitialElement(elementType));
  } else {
    // Rows are laid out by the first index, so every row changes length.
    const size_t rows = static_cast<size_t>(bounds[0].count);
    const size_t oldCols = static_cast<size_t>(last.count);
    const size_t newCols = static_cast<size_t>(count);
    std::vector<Variant> resized(rows * newCols, InitialElement(elementType));
    for (size_t r = 0; r < rows; ++r) {
      for (size_t c = 0; c < std::min(oldCols, newCols); ++c) {
        resized[r * newCols + c] = std::move(data[r * oldCols + c]);
      }
    }
    data = std::move(resized);
  }
  last.count = count;
}

// --- Type information ---------------------------------------------------

std::string TypeName(const Variant& v) {
  if (const auto* o = v.Get<ObjectPtr>()) return *o ? (*o)->TypeName() : "Nothing";
  if (v.IsArray()) return std::string(SubtypeName(v.Type())) + "()";
  return SubtypeName(v.Type());
}

int VarTypeOf(const Variant& v) {
  const int type = static_cast<int>(v.Type());
  return v.IsArray() ? type + static_cast<int>(VarType::Array) : type;
}

// An object is judged by its default member's value (a field's Value).
bool IsNumeric(const Variant& v) {
  if (const auto* o = v.Get<ObjectPtr>()) {
    const auto value = ValueOf(*o);
    return value && IsNumeric(*value);
  }
  if (v.IsArray()) return false;
  switch (v.Type()) {
    case VarType::Empty:
    case VarType::Boolean:
      return true;
    case VarType::String:
      return ParseNumber(*v.Get<std::string>()).has_value();
    default:
      return v.IsNumericType();
  }
}

bool IsDate(const Variant& v) {
  if (const auto* o = v.Get<ObjectPtr>()) {
    const auto value = ValueOf(*o);
    return value && IsDate(*value);
  }
  if (v.Get<Date>()) return true;
  if (const auto* s = v.Get<std::string>()) return ParseDate(*s).has_value();
  return false;
}

}  // namespace rt
