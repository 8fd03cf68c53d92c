// RelatedEntry, and the reading of an entry's attributes that it shares with User.
#include "suite/pellorin/related_entry.h"

#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "suite/pellorin/entry_values.h"

namespace pellorin {

rt::Variant AttributeArray(const Entry& entry, const std::string& name) {
  if (rt::TextCompare(name, "cn") == 0) return rt::Variant(rt::SafeArray::From({rt::Variant(entry.id)}));
  AttributeInfo info;
  try {
    info = DescribeAttribute(name);
  } catch (const rt::ComError&) {
    // A name that cannot be an attribute is simply unset.
    return rt::Variant(rt::SafeArray::From({rt::Variant()}));
  }
  const std::vector<std::string>* stored = entry.Find(info.name);
  if (!stored || stored->empty()) return rt::Variant(rt::SafeArray::From({rt::Variant()}));
  std::vector<rt::Variant> values;
  for (const std::string& text : *stored) values.push_back(FromStoredText(info, text));
  return rt::Variant(rt::SafeArray::From(std::move(values)));
}

rt::Variant FirstValue(const Entry& entry, const std::string& name) {
  AttributeInfo info = DescribeAttribute(name);
  const std::vector<std::string>* stored = entry.Find(info.name);
  if (!stored || stored->empty()) return UnsetValue(info);
  return FromStoredText(info, stored->front());
}

const rt::DispatchTable* RelatedEntry::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<RelatedEntry>("RelatedEntry")
                                             .Get("UserID", &RelatedEntry::UserID)
                                             .Get("Roles", &RelatedEntry::Roles)
                                             .Method("GetAttribute", &RelatedEntry::GetAttribute)
                                             .Build();
  return &table;
}

rt::Variant RelatedEntry::Roles() { return AttributeArray(entry_, "VYRole"); }

rt::Variant RelatedEntry::GetAttribute(const std::string& name) { return AttributeArray(entry_, name); }

}  // namespace pellorin
