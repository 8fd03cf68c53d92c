// ReferentialChecker: answers from the reference registry (references.ini)
// by asking each component's IReferentialIntegrity.
//
// CanInsert and CanUpdate: every given column of the table that the registry
// lists as referring to another table's key is checked with the key's owner
// (IReferentialIntegrity_Exists with the key's own column name, or the
// section's OwnerKey where the owner answers under another name). CanDelete
// asks every component that refers to the table's key whether it still uses
// the value; BeforeDelete lets each of them remove its rows. A Null or Empty
// value refers to nothing and passes; names the registry does not know pass.
//
// The components asked are created in the checker's context (or plainly
// when it has none), so their work joins the caller's transaction.
#include "suite/solvane/referential_checker.h"

#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "suite/solvane/ini_file.h"
#include "suite/solvane/reference_registry.h"

namespace solvane {
namespace {

rt::ObjectPtr CreateComponent(const std::string& progId) {
  if (rt::ObjectContext* context = rt::GetObjectContext()) return context->CreateInstance(progId);
  return rt::CreateObject(progId);
}

bool RefersToNothing(const rt::Variant& value) {
  return value.IsNull() || value.IsEmpty() || value.IsMissing();
}

// Calls "IReferentialIntegrity_<member>" of a new `progId` object for one key.
bool Ask(const std::string& progId, const char* member, const std::string& origin,
         const std::string& keyName, const rt::Variant& value) {
  rt::ObjectPtr component = CreateComponent(progId);
  if (!component) rt::RaiseVb(rt::vberr::kObjectNotSet);
  rt::Variant answer = component->Call(
      std::string("IReferentialIntegrity_") + member,
      {rt::Variant(origin), rt::Variant(rt::SafeArray::From({rt::Variant(keyName)})),
       rt::Variant(rt::SafeArray::From({value}))});
  return rt::CBool(answer);
}

// Walks the parallel arrays, calling f(name, value) until it answers false.
template <class F>
bool ForEachKey(const rt::Variant& keyNames, const rt::Variant& keyValues, F&& f) {
  const rt::SafeArray& names = keyNames.AsArray();
  const rt::SafeArray& values = keyValues.AsArray();
  if (names.Dimensions() == 0) return true;
  for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
    if (!f(rt::CStr(names.At(i)), values.At(i))) return false;
  }
  return true;
}

}  // namespace

const rt::DispatchTable* ReferentialChecker::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<ReferentialChecker>("ReferentialChecker")
          .Method("CanInsert", &ReferentialChecker::CanInsert)
          .Method("CanUpdate", &ReferentialChecker::CanUpdate)
          .Method("CanDelete", &ReferentialChecker::CanDelete)
          .Method("BeforeDelete", &ReferentialChecker::BeforeDelete)
          .Build();
  return &table;
}

bool ReferentialChecker::ReferencesExist(const std::string& origin, const std::string& table,
                                         const rt::Variant& keyNames,
                                         const rt::Variant& keyValues) {
  ReferenceRegistry registry = ReferenceRegistry::Load(ReferenceRegistry::DefaultPath());
  return ForEachKey(keyNames, keyValues, [&](const std::string& name, const rt::Variant& value) {
    if (RefersToNothing(value)) return true;
    for (const ReferencedKey* key : registry.KeysReferredToBy(table, name)) {
      if (key->owner.empty()) continue;
      if (!Ask(key->owner, "Exists", origin, key->OwnerKeyName(), value)) return false;
    }
    return true;
  });
}

bool ReferentialChecker::CanInsert(const std::string& component, const std::string& table,
                                   const rt::Variant& keyNames, const rt::Variant& keyValues) {
  rt::ContextScope scope(*this);
  return ReferencesExist(component, table, keyNames, keyValues);
}

// The caller of an update is not named; an empty origin keeps the owners'
// answers free of any origin-specific rule.
bool ReferentialChecker::CanUpdate(const std::string& table, const rt::Variant& keyNames,
                                   const rt::Variant& keyValues) {
  rt::ContextScope scope(*this);
  return ReferencesExist(std::string(), table, keyNames, keyValues);
}

bool ReferentialChecker::CanDelete(const std::string& component, const std::string& table,
                                   const rt::Variant& keyNames, const rt::Variant& keyValues) {
  rt::ContextScope scope(*this);
  ReferenceRegistry registry = ReferenceRegistry::Load(ReferenceRegistry::DefaultPath());
  const ReferencedKey* key = registry.FindKey(table);
  if (!key) return true;
  return ForEachKey(keyNames, keyValues, [&](const std::string& name, const rt::Variant& value) {
    if (!SameName(name, key->key) || RefersToNothing(value)) return true;
    for (const Referrer& r : key->referrers) {
      if (Ask(r.progId, "Exists", component, r.column, value)) return false;
    }
    return true;
  });
}

// Every referring component gets its turn, also after one has refused.
bool ReferentialChecker::BeforeDelete(const std::string& table, const rt::Variant& keyNames,
                                      const rt::Variant& keyValues) {
  rt::ContextScope scope(*this);
  ReferenceRegistry registry = ReferenceRegistry::Load(ReferenceRegistry::DefaultPath());
  const ReferencedKey* key = registry.FindKey(table);
  if (!key) return true;
  bool allDone = true;
  ForEachKey(keyNames, keyValues, [&](const std::string& name, const rt::Variant& value) {
    if (!SameName(name, key->key) || RefersToNothing(value)) return true;
    for (const Referrer& r : key->referrers) {
      if (!Ask(r.progId, "BeforeDelete", std::string(), r.column, value)) allDone = false;
    }
    return true;
  });
  return allDone;
}

}  // namespace solvane
