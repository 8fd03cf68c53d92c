// Conversion between the host's JSON value forms and Variants: what a caller
// types as an argument and what the host prints back.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "runtime/variant.h"

namespace suitehost {

// A JSON value that names no Variant the host can build ("$integer" out of
// range, an unknown "$" form, a ragged "$array2", ...).
class ValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Finds a script object for {"$ref":"name"}; raises ValueError when unknown.
using RefResolver = std::function<rt::ObjectPtr(const std::string& name)>;

// Builds the Variant a JSON value stands for. Plain JSON: integers are Long
// (Double outside 32 bits), other numbers Double, text String, true/false
// Boolean, null Null, arrays 0-based Variant arrays; other subtypes are
// one-key objects ({"$integer":5}, {"$date":"2026-12-08"}, ...). Without a
// resolver, "$ref" is refused.
rt::Variant VariantFromJson(const nlohmann::ordered_json& value, const RefResolver& resolver = {});

// An argument from the command line: JSON text, or the text itself as a
// String when it is not valid JSON (so that a bare word like EUR passes).
rt::Variant VariantFromArgument(const std::string& text);

// Renders a Variant. `typed` writes Long, Double, String and Boolean as
// one-key objects too, so that a reader can tell every subtype apart.
// Dictionaries are listed with their entries, Collections with their items,
// recordsets with their fields and rows, paged lists (Tamrick.DRecordset)
// as the recordset of their current page, result objects
// (Solvane.ResultObject) with their outcome, messages and record values;
// other objects by type name.
nlohmann::ordered_json VariantToJson(const rt::Variant& value, bool typed);

// One line of output: compact, invalid UTF-8 replaced rather than refused.
std::string DumpLine(const nlohmann::ordered_json& value);

}  // namespace suitehost
