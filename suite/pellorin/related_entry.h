// RelatedEntry ("Pellorin.RelatedEntry"): the entry a user takes roles and
// attributes from, as read when the user asked for it.
#pragma once

#include "interfaces/pellorin.h"
#include "runtime/object.h"
#include "suite/pellorin/directory_store.h"

namespace pellorin {

class RelatedEntry : public rt::Object, public IPellorinRelatedEntry {
 public:
  explicit RelatedEntry(Entry entry) : entry_(std::move(entry)) {}
  std::string TypeName() const override { return "RelatedEntry"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string UserID() override { return entry_.id; }
  rt::Variant Roles() override;
  rt::Variant GetAttribute(const std::string& name) override;

 private:
  Entry entry_;
};

}  // namespace pellorin
