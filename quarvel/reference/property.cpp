// Property: its class description, its referential answers for the key
// PROPERTYID, and the two withdrawn members.
#include "quarvel/reference/property.h"

#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/classes.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

namespace {

// Error -1 logged and raised with the member's own name and a note as
// information, so the caller's block holds the note in its INFO line.
[[noreturn]] void Withdrawn(const std::string& member) {
  rt::Err() = rt::PendingError{-1, rt::CurrentComponentName(), rt::VbErrorText(-1), {}, 0};
  Err_LogAndRaise("Quarvel.Property." + member, rt::Variant(member + " is deprecated - don't use"));
  rt::Err().RaiseAgain();  // not reached: Err_LogAndRaise raises the pending error
}

}  // namespace

rt::ClassInfo PropertyClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Quarvel.Property", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<Property>(); }};
}

void Property::DeleteUserProperties(std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteUserProperties");
}

void Property::DeleteOfficeProperties(std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteOfficeProperties");
}

// The key name goes into the statement as the caller spelled it (it can
// only be PROPERTYID in some letter case); the value only as a number.
bool Property::IReferentialIntegrity_Exists(const std::string&, const rt::Variant& iKeys,
                                            const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    bool exists = false;
    if (std::optional<int32_t> i = FindKeyIndex(iKeys, "PROPERTYID")) {
      const std::string sql = "SELECT * FROM PROPERTY WHERE " + rt::CStr(iKeys.AsArray().At(*i)) + "=" +
                              SqlNumber(iValues.AsArray().At(*i));
      cn = getReadCommittedConnection();
      rs = cn->Execute(sql);
      exists = !rs->Eof();
      Sql_CloseConnection(cn);
    }
    Mts_SetComplete();
    return exists;
  } catch (...) {
    HandleMethodError("Quarvel.Property.Exists", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool Property::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant& iKeys, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    iKeys.AsArray();
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Property.BeforeDelete", Mts_SetAbort);
  }
  return false;
}

}  // namespace quarvel
