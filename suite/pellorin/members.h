// Members ("Pellorin.Members"): searches of the directory and account changes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "interfaces/pellorin.h"
#include "runtime/object.h"
#include "suite/pellorin/directory_store.h"

namespace pellorin {

class Members : public rt::Object, public IPellorinMembers {
 public:
  std::string TypeName() const override { return "Members"; }
  const rt::DispatchTable* Dispatch() const override;

  rt::ObjectPtr Search(const rt::Variant& filters, const std::string& attributes,
                       const rt::Variant& batchSize) override;
  std::string NextKey() override { return nextKey_; }
  rt::ObjectPtr SearchByRole(const rt::Variant& role, const std::string& attributes) override;
  rt::ObjectPtr SearchByRoleAndFilter(rt::Variant& role, rt::Variant& filters,
                                      rt::Variant& attributes) override;
  rt::ObjectPtr CreateUser(const std::string& userName, const std::string& password,
                           const rt::Variant& attributeNames, const rt::Variant& attributeValues) override;
  void DeleteUser(const std::string& userId) override;

 private:
  // Dispatch adapters for the optional arguments of late-bound callers.
  rt::ObjectPtr SearchLate(const rt::Variant& filters, const rt::Variant& attributes,
                           const rt::Variant& batchSize);
  rt::ObjectPtr SearchByRoleLate(const rt::Variant& role, const rt::Variant& attributes);

  DirectoryStore& Store();
  // The recordset of the ids found, one field per attribute wanted.
  rt::ObjectPtr Rows(const std::vector<std::string>& ids, const std::string& attributes);

  std::shared_ptr<DirectoryStore> store_;
  std::string nextKey_;
};

}  // namespace pellorin
