// Conversion between the host's JSON value forms and Variants.
#include "tools/suitehost/json_value.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/com_error.h"
#include "runtime/dictionary.h"
#include "runtime/regional.h"
#include "tools/suitehost/recordset_json.h"
#include "tools/suitehost/result_json.h"

namespace suitehost {

using json = nlohmann::ordered_json;

namespace {

// Objects nested deeper than this (a dictionary holding itself, say) are
// printed by type name instead of being followed.
constexpr int kMaxDepth = 32;

[[noreturn]] void Fail(const std::string& form, const std::string& why) {
  throw ValueError("\"" + form + "\": " + why);
}

// An integral JSON number within [min, max].
int64_t Integral(const json& j, const std::string& form, int64_t min, int64_t max) {
  int64_t n = 0;
  if (j.is_number_unsigned()) {
    uint64_t u = j.get<uint64_t>();
    if (u > static_cast<uint64_t>(max)) Fail(form, "out of range");
    n = static_cast<int64_t>(u);
  } else if (j.is_number_integer()) {
    n = j.get<int64_t>();
  } else if (j.is_number_float()) {
    double d = j.get<double>();
    if (d != std::floor(d) || d < static_cast<double>(min) || d > static_cast<double>(max))
      Fail(form, "needs a whole number in range");
    n = static_cast<int64_t>(d);
  } else {
    Fail(form, "needs a number");
  }
  if (n < min || n > max) Fail(form, "out of range");
  return n;
}

const std::string& Text(const json& j, const std::string& form) {
  if (!j.is_string()) Fail(form, "needs a text");
  return j.get_ref<const std::string&>();
}

double Number(const json& j, const std::string& form) {
  if (!j.is_number()) Fail(form, "needs a number");
  return j.get<double>();
}

// Runs a runtime conversion; its COM error becomes a ValueError.
template <class F>
auto Converted(const std::string& form, F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const rt::ComError& e) {
    Fail(form, e.description());
  }
}

rt::Variant PlainNumber(const json& j) {
  if (j.is_number_unsigned()) {
    uint64_t u = j.get<uint64_t>();
    if (u <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
      return rt::Variant(static_cast<int32_t>(u));
    return rt::Variant(static_cast<double>(u));
  }
  if (j.is_number_integer()) {
    int64_t n = j.get<int64_t>();
    if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
      return rt::Variant(static_cast<int32_t>(n));
    return rt::Variant(static_cast<double>(n));
  }
  return rt::Variant(j.get<double>());
}

rt::Variant DictionaryFromJson(const json& j, const RefResolver& resolver) {
  const std::string form = "$dictionary";
  if (!j.is_array()) Fail(form, "needs an array of [key, item] pairs");
  auto dictionary = rt::NewDictionary();
  for (const json& pair : j) {
    if (!pair.is_array() || pair.size() != 2) Fail(form, "needs an array of [key, item] pairs");
    rt::Variant key = VariantFromJson(pair[0], resolver);
    rt::Variant item = VariantFromJson(pair[1], resolver);
    Converted(form, [&] {
      dictionary->Add(key, item);
      return 0;
    });
  }
  return rt::Variant(dictionary);
}

rt::Variant Array2FromJson(const json& j, const RefResolver& resolver) {
  const std::string form = "$array2";
  if (!j.is_array()) Fail(form, "needs an array of rows");
  const size_t rows = j.size();
  const size_t columns = rows ? j[0].size() : 0;
  for (const json& row : j)
    if (!row.is_array() || row.size() != columns) Fail(form, "needs rows of one length");
  auto array = rt::SafeArray::TwoDim(0, static_cast<int32_t>(rows) - 1, 0,
                                     static_cast<int32_t>(columns) - 1);
  for (size_t r = 0; r < rows; ++r)
    for (size_t c = 0; c < columns; ++c)
      array->At(static_cast<int32_t>(r), static_cast<int32_t>(c)) =
          VariantFromJson(j[r][c], resolver);
  return rt::Variant(array);
}

rt::Variant TaggedFromJson(const std::string& form, const json& j, const RefResolver& resolver) {
  if (form == "$integer")
    return rt::Variant(static_cast<int16_t>(Integral(j, form, INT16_MIN, INT16_MAX)));
  if (form == "$long")
    return rt::Variant(static_cast<int32_t>(Integral(j, form, INT32_MIN, INT32_MAX)));
  if (form == "$byte") return rt::Variant(static_cast<uint8_t>(Integral(j, form, 0, 255)));
  if (form == "$single") {
    double d = Number(j, form);
    if (std::fabs(d) > std::numeric_limits<float>::max()) Fail(form, "out of range");
    return rt::Variant(static_cast<float>(d));
  }
  if (form == "$double") return rt::Variant(Number(j, form));
  if (form == "$currency") {
    rt::Variant source = j.is_string() ? rt::Variant(Text(j, form)) : rt::Variant(Number(j, form));
    return rt::Variant(Converted(form, [&] { return rt::CCur(source); }));
  }
  if (form == "$decimal") {
    if (j.is_number()) return rt::Variant(Converted(form, [&] { return rt::CDec(rt::Variant(j.get<double>())); }));
    rt::Decimal d;
    if (!rt::Decimal::Parse(Text(j, form), d)) Fail(form, "not a decimal number");
    return rt::Variant(d);
  }
  if (form == "$date") {
    auto date = rt::ParseDate(Text(j, form));
    if (!date) Fail(form, "not a date");
    return rt::Variant(*date);
  }
  if (form == "$string") return rt::Variant(Text(j, form));
  if (form == "$boolean") {
    if (!j.is_boolean()) Fail(form, "needs true or false");
    return rt::Variant(j.get<bool>());
  }
  if (form == "$error")
    return rt::Variant(rt::ErrorValue{static_cast<int32_t>(Integral(j, form, INT32_MIN, INT32_MAX))});
  if (form == "$empty") return rt::Variant();
  if (form == "$missing") return rt::Variant::Missing();
  if (form == "$null") return rt::Variant::Null();
  if (form == "$nothing") return rt::Variant::Nothing();
  if (form == "$dictionary") return DictionaryFromJson(j, resolver);
  if (form == "$array2") return Array2FromJson(j, resolver);
  if (form == "$ref") {
    if (!resolver) Fail(form, "script objects exist only in a run script");
    return rt::Variant(resolver(Text(j, form)));
  }
  if (form == "$object" || form == "$recordset" || form == "$collection" || form == "$result")
    Fail(form, "is an output form only");
  Fail(form, "unknown value form");
}

json Tagged(const char* form, json value) {
  json out = json::object();
  out[form] = std::move(value);
  return out;
}

// A Double or Single as a JSON number; non-finite values as their text.
json FloatingJson(double d, const std::string& text) {
  if (std::isfinite(d)) return json(d);
  return json(text);
}

json ArrayToJson(const rt::SafeArray& array, bool typed, int depth);
json ToJson(const rt::Variant& value, bool typed, int depth);

json ObjectToJson(const rt::ObjectPtr& object, bool typed, int depth) {
  if (!object) return Tagged("$nothing", true);
  if (depth < kMaxDepth) {
    if (auto* dictionary = dynamic_cast<const rt::Dictionary*>(object.get())) {
      json entries = json::array();
      for (const auto& entry : dictionary->Entries())
        entries.push_back(json::array({ToJson(entry.key, typed, depth + 1),
                                       ToJson(entry.item, typed, depth + 1)}));
      return Tagged("$dictionary", std::move(entries));
    }
    // A Collection's keys cannot be read back, as in VB: its items in order.
    if (auto* collection = dynamic_cast<const rt::Collection*>(object.get())) {
      json items = json::array();
      for (int32_t i = 1; i <= collection->Count(); ++i)
        items.push_back(ToJson(collection->Item(rt::Variant(i)), typed, depth + 1));
      return Tagged("$collection", std::move(items));
    }
    auto render = [&](const rt::Variant& v) { return ToJson(v, typed, depth + 1); };
    if (LooksLikeRecordset(*object)) return Tagged("$recordset", RecordsetToJson(*object, render));
    if (LooksLikePagedList(*object)) return Tagged("$recordset", PagedListToJson(*object, render));
    if (LooksLikeResultObject(*object)) return Tagged("$result", ResultObjectToJson(*object, render));
  }
  return Tagged("$object", object->TypeName());
}

json ArrayToJson(const rt::SafeArray& array, bool typed, int depth) {
  if (array.Dimensions() == 2) {
    json rows = json::array();
    for (int32_t i = array.LBound(1); i <= array.UBound(1); ++i) {
      json row = json::array();
      for (int32_t j = array.LBound(2); j <= array.UBound(2); ++j)
        row.push_back(ToJson(array.At(i, j), typed, depth + 1));
      rows.push_back(std::move(row));
    }
    return Tagged("$array2", std::move(rows));
  }
  json items = json::array();
  if (array.Dimensions() == 1)
    for (int32_t i = array.LBound(1); i <= array.UBound(1); ++i)
      items.push_back(ToJson(array.At(i), typed, depth + 1));
  return items;
}

json ToJson(const rt::Variant& value, bool typed, int depth) {
  const auto& raw = value.Raw();
  if (value.IsEmpty()) return Tagged("$empty", true);
  if (value.IsNull()) return json(nullptr);
  if (auto* v = std::get_if<int16_t>(&raw)) return Tagged("$integer", *v);
  if (auto* v = std::get_if<int32_t>(&raw)) return typed ? Tagged("$long", *v) : json(*v);
  if (auto* v = std::get_if<float>(&raw)) {
    std::string text = rt::FormatSingle(*v);
    // The Single's own digits, not the float widened to double's 17.
    json number = std::isfinite(*v) ? json(std::stod(text)) : json(text);
    return Tagged("$single", std::move(number));
  }
  if (auto* v = std::get_if<double>(&raw)) {
    json number = FloatingJson(*v, rt::FormatDouble(*v));
    return typed ? Tagged("$double", std::move(number)) : number;
  }
  if (auto* v = std::get_if<rt::Currency>(&raw)) return Tagged("$currency", rt::FormatCurrency(*v));
  if (auto* v = std::get_if<rt::Decimal>(&raw)) return Tagged("$decimal", v->ToString());
  if (auto* v = std::get_if<rt::Date>(&raw)) return Tagged("$date", rt::FormatDate(*v));
  if (auto* v = std::get_if<std::string>(&raw)) return typed ? Tagged("$string", *v) : json(*v);
  if (auto* v = std::get_if<bool>(&raw)) return typed ? Tagged("$boolean", *v) : json(*v);
  if (auto* v = std::get_if<uint8_t>(&raw)) return Tagged("$byte", *v);
  if (auto* v = std::get_if<rt::ErrorValue>(&raw)) {
    if (value.IsMissing()) return Tagged("$missing", true);
    return Tagged("$error", v->scode);
  }
  if (auto* v = std::get_if<rt::ObjectPtr>(&raw)) return ObjectToJson(*v, typed, depth);
  if (auto* v = std::get_if<rt::ArrayPtr>(&raw)) {
    if (!*v) return json::array();
    return ArrayToJson(**v, typed, depth);
  }
  return Tagged("$empty", true);
}

}  // namespace

rt::Variant VariantFromJson(const json& j, const RefResolver& resolver) {
  switch (j.type()) {
    case json::value_t::null:
      return rt::Variant::Null();
    case json::value_t::boolean:
      return rt::Variant(j.get<bool>());
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float:
      return PlainNumber(j);
    case json::value_t::string:
      return rt::Variant(j.get<std::string>());
    case json::value_t::array: {
      std::vector<rt::Variant> items;
      items.reserve(j.size());
      for (const json& item : j) items.push_back(VariantFromJson(item, resolver));
      return rt::Variant(rt::SafeArray::From(std::move(items)));
    }
    case json::value_t::object: {
      if (j.size() != 1 || j.begin().key().empty() || j.begin().key()[0] != '$')
        throw ValueError("an object must be one \"$form\": value pair, as {\"$integer\":5}");
      return TaggedFromJson(j.begin().key(), j.begin().value(), resolver);
    }
    default:
      throw ValueError("unsupported JSON value");
  }
}

rt::Variant VariantFromArgument(const std::string& text) {
  json parsed = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return rt::Variant(text);
  return VariantFromJson(parsed);
}

json VariantToJson(const rt::Variant& value, bool typed) { return ToJson(value, typed, 0); }

std::string DumpLine(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace suitehost
