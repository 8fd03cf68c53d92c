// Reads a recordset late-bound (Fields, EOF, MoveFirst, MoveNext) into the
// host's {"fields":[...],"rows":[[...],...]} form, and a paged list
// (Tamrick.DRecordset) as the recordset of its current page.
#pragma once

#include <functional>

#include <nlohmann/json.hpp>

#include "runtime/object.h"

namespace suitehost {

// True for the data layer's recordsets (type name "Recordset").
bool LooksLikeRecordset(const rt::Object& object);

// Field names and every row from the first; the cursor is back on the first
// row afterwards (a cursor that cannot go back is read from where it stands). A closed recordset has no fields and no rows. `render`
// turns each field value into JSON.
nlohmann::ordered_json RecordsetToJson(rt::Object& recordset,
                               const std::function<nlohmann::ordered_json(const rt::Variant&)>& render);

// True for the suite's paged lists (type name "DRecordset").
bool LooksLikePagedList(const rt::Object& object);

// The current page's rows as RecordsetToJson writes them; a list that is
// not open has no fields and no rows.
nlohmann::ordered_json PagedListToJson(rt::Object& list,
                                       const std::function<nlohmann::ordered_json(const rt::Variant&)>& render);

}  // namespace suitehost
