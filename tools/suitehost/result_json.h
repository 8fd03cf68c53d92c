// Reads the suite's result object (Solvane.ResultObject) late-bound into the
// host's {"succeeded":B,"messages":[...],"recordValues":[[name,value],...]} form.
#pragma once

#include <functional>

#include <nlohmann/json.hpp>

#include "runtime/object.h"

namespace suitehost {

// True for the suite's result objects (type name "ResultObject").
bool LooksLikeResultObject(const rt::Object& object);

// Whether it succeeded, its message codes as texts ("CODE" or
// "CODE:parameter") in the order added, and its record values in order;
// `render` turns each record value into JSON.
nlohmann::ordered_json ResultObjectToJson(rt::Object& result,
                                          const std::function<nlohmann::ordered_json(const rt::Variant&)>& render);

}  // namespace suitehost
