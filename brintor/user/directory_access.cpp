// Reading the membership directory's answers: value arrays and search rows.
#include "brintor/user/directory_access.h"

#include <memory>

#include "data/recordset.h"
#include "runtime/com_error.h"

namespace brintor {

rt::Variant Element0(const rt::Variant& values) {
  if (!values.IsArray()) return values;
  return values.AsArray().At(0);
}

void ForEachUserId(const rt::Variant& recordset, const std::function<bool(const rt::Variant&)>& row) {
  if (!recordset.IsObject() || recordset.IsNothing()) return;
  const rt::ObjectPtr& object = recordset.AsObject();
  if (auto rs = std::dynamic_pointer_cast<data::Recordset>(object)) {
    while (!rs->Eof()) {
      if (!row(rs->Value("cn"))) break;
      rs->MoveNext();
    }
    if (rs->State() == data::kStateOpen) rs->Close();
    return;
  }
  // Any other recordset, late-bound.
  while (!rt::CBool(object->GetProperty("EOF"))) {
    rt::Variant field = object->GetProperty("Fields", {rt::Variant("cn")});
    if (!row(field.IsObject() ? field.AsObject()->GetProperty("Value") : field)) break;
    object->Call("MoveNext");
  }
  if (rt::CLng(object->GetProperty("State")) == data::kStateOpen) object->Call("Close");
}

rt::Variant FilterList(std::initializer_list<std::string> filters) {
  std::vector<rt::Variant> items;
  for (const std::string& f : filters) items.emplace_back(f);
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

}  // namespace brintor
