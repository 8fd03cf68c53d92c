// Reads a recordset late-bound into the host's JSON form.
#include "tools/suitehost/recordset_json.h"

#include <string>

#include "runtime/com_error.h"
#include "runtime/variant.h"

namespace suitehost {

using json = nlohmann::ordered_json;

namespace {

constexpr int32_t kStateClosed = 0;

rt::ObjectPtr FieldsOf(rt::Object& recordset) {
  return recordset.GetProperty("Fields").AsObject();
}

rt::ObjectPtr FieldAt(const rt::ObjectPtr& fields, int32_t index) {
  return fields->GetProperty("Item", {rt::Variant(index)}).AsObject();
}

bool AtEnd(rt::Object& recordset) { return rt::CBool(recordset.GetProperty("EOF")); }
bool AtStart(rt::Object& recordset) { return rt::CBool(recordset.GetProperty("BOF")); }

// Back to the first row where the cursor allows it; a forward-only one is
// read from where it stands.
void TryMoveFirst(rt::Object& recordset) {
  try {
    recordset.Call("MoveFirst");
  } catch (...) {
    rt::TrapError();
    rt::Err().Clear();
  }
}

}  // namespace

bool LooksLikeRecordset(const rt::Object& object) { return object.TypeName() == "Recordset"; }

json RecordsetToJson(rt::Object& recordset, const std::function<json(const rt::Variant&)>& render) {
  json out = {{"fields", json::array()}, {"rows", json::array()}};
  if (rt::CLng(recordset.GetProperty("State")) == kStateClosed) return out;

  rt::ObjectPtr fields = FieldsOf(recordset);
  const int32_t count = rt::CLng(fields->GetProperty("Count"));
  for (int32_t i = 0; i < count; ++i)
    out["fields"].push_back(rt::CStr(FieldAt(fields, i)->GetProperty("Name")));

  const bool empty = AtStart(recordset) && AtEnd(recordset);
  if (empty) return out;
  TryMoveFirst(recordset);
  while (!AtEnd(recordset)) {
    // Field objects may stand for one row only: ask again for each row.
    rt::ObjectPtr rowFields = FieldsOf(recordset);
    json row = json::array();
    for (int32_t i = 0; i < count; ++i) row.push_back(render(FieldAt(rowFields, i)->GetProperty("Value")));
    out["rows"].push_back(std::move(row));
    recordset.Call("MoveNext");
  }
  TryMoveFirst(recordset);
  return out;
}

bool LooksLikePagedList(const rt::Object& object) { return object.TypeName() == "DRecordset"; }

json PagedListToJson(rt::Object& list, const std::function<json(const rt::Variant&)>& render) {
  rt::ObjectPtr page = list.GetProperty("Recordset").AsObject();
  if (!page) return {{"fields", json::array()}, {"rows", json::array()}};
  return RecordsetToJson(*page, render);
}

}  // namespace suitehost
