// Reads a result object late-bound into the host's JSON form.
#include "tools/suitehost/result_json.h"

#include "runtime/dictionary.h"
#include "runtime/variant.h"

namespace suitehost {

using json = nlohmann::ordered_json;

bool LooksLikeResultObject(const rt::Object& object) { return object.TypeName() == "ResultObject"; }

json ResultObjectToJson(rt::Object& result, const std::function<json(const rt::Variant&)>& render) {
  json messages = json::array();
  const rt::Variant codes = result.Call("GetMessages");
  if (codes.IsArray())
    for (const rt::Variant& code : codes.AsArray().data) messages.push_back(rt::Concat(code));

  json values = json::array();
  rt::ObjectPtr record = result.Call("GetRecordValues").AsObject();
  if (auto dictionary = std::dynamic_pointer_cast<rt::Dictionary>(record))
    for (const rt::Dictionary::Entry& entry : dictionary->Entries())
      values.push_back(json::array({rt::Concat(entry.key), render(entry.item)}));

  return {{"succeeded", rt::CBool(result.GetProperty("Succeeded"))},
          {"messages", std::move(messages)},
          {"recordValues", std::move(values)}};
}

}  // namespace suitehost
