// TUser: the office script entry points, the office delete, and the delete
// rule for offices and directory users. A script's parallel arrays become a
// data object that the class's own business rules check and write.
#include "brintor/script/script_arrays.h"
#include "brintor/user/tuser.h"
#include "brintor/user/tuser_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "interfaces/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tuser;

namespace {

// An office data object from the script arrays: the kind, then each listed
// column that the key names hold, in the listed order.
template <class Columns>
std::shared_ptr<rt::Dictionary> DataObject(const char* kind, const Columns& columns, const rt::Variant& keys,
                                           const rt::Variant& values) {
  auto bdo = rt::NewDictionary();
  bdo->Add(rt::Variant("METAObjectID"), rt::Variant(kind));
  for (const char* column : columns) script::AddFieldFromArrays(*bdo, column, keys, values);
  return bdo;
}

}  // namespace

// Table names are matched exactly: "office" is no table of this class.
rt::ObjectPtr TUser::InsertFromScript(std::string& iTableName, rt::Variant& KeyArray, rt::Variant& ValuesArray) {
  rt::ContextScope scope(*this);
  try {
    if (iTableName != "OFFICE") return nullptr;
    return BusinessRules_Insert(DataObject(kOfficeKind, kScriptColumns, KeyArray, ValuesArray));
  } catch (...) {
    HandleMethodError(Source("InsertFromScript"), Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr TUser::UpdateFromScript(std::string& iTableName, rt::Variant& KeyArray, rt::Variant& ValuesArray) {
  rt::ContextScope scope(*this);
  try {
    if (iTableName != "OFFICE") return nullptr;
    return BusinessRules_Update(DataObject(kOfficeKind, kScriptColumns, KeyArray, ValuesArray));
  } catch (...) {
    HandleMethodError(Source("UpdateFromScript"), Mts_SetAbort);
  }
  return nullptr;
}

// Commits whatever the rule answered, also for an unknown table, unless a
// user's delete removed links before the directory failed.
rt::ObjectPtr TUser::DeleteFromScript(std::string& iTableName, rt::Variant& KeyArray, rt::Variant& ValuesArray) {
  rt::ContextScope scope(*this);
  try {
    rt::ObjectPtr result;
    bool abortStands = false;
    if (iTableName == "OFFICE") {
      result = RulesDelete(DataObject(kOfficeKind, std::array{"OFFICEDESCRIPTION"}, KeyArray, ValuesArray),
                           abortStands);
    } else if (iTableName == "USER") {
      result = RulesDelete(DataObject(kUserKind, std::array{"USERID"}, KeyArray, ValuesArray), abortStands);
    }
    if (!abortStands) Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError(Source("DeleteFromScript"), Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr TUser::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  bool abortStands = false;
  return RulesDelete(iBDO, abortStands);
}

// A refused office or directory user is a code in the answer, with a commit
// vote, unless a user's links were removed before its directory failed: a
// commit would keep half a delete. After a successful office delete the
// checker's before-delete step is asked once more, now that the row is gone.
rt::ObjectPtr TUser::RulesDelete(const std::shared_ptr<rt::Dictionary>& iBDO, bool& abortStands) {
  try {
    rt::ObjectPtr result = NewResult();
    if (!iBDO) rt::RaiseVb(rt::vberr::kObjectNotSet);
    const std::string kind = TakeKind(*iBDO);
    if (kind == kOfficeKind) {
      std::string description = rt::CStr(Field(*iBDO, "OFFICEDESCRIPTION"));
      if (!DeleteOffice(description)) {
        AddCode(result, "SLBBR1023");
      } else {
        rt::ObjectPtr checker = NewChecker();
        const rt::Variant done = checker->Call("BeforeDelete", {rt::Variant("OFFICE"),
                                                                OneElement(rt::Variant("OFFICEDESCRIPTION")),
                                                                OneElement(rt::Variant(description))});
        if (!rt::CBool(done)) AddCode(result, "SLBBR1023");
      }
    } else if (kind == kUserKind) {
      if (!Delete(rt::CStr(Field(*iBDO, "USERID")), abortStands)) AddCode(result, "SLBBR1020");
    }
    abortStands ? Mts_SetAbort() : Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError(Source("BusinessRules_Delete"), Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr TUser::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return nullptr;
}

bool TUser::DeleteOffice(std::string& iOfficeDescription) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    const rt::Variant names = OneElement(rt::Variant("OFFICEDESCRIPTION"));
    const rt::Variant values = OneElement(rt::Variant(iOfficeDescription));
    rt::ObjectPtr checker = NewChecker();
    if (!rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant("OFFICE"), names, values}))) {
      Mts_SetAbort();
      return false;
    }
    checker->Call("BeforeDelete", {rt::Variant("OFFICE"), names, values});
    cn = getConnection();
    rt::Variant affected;
    cn->Execute("DELETE FROM OFFICE WHERE OFFICEDESCRIPTION='" + Gen_SqlQuote(rt::Variant(iOfficeDescription)) + "'",
                &affected);
    Sql_CloseConnection(cn);
    if (rt::CLng(affected) == 0) Err_Raise(eUserNotFound, Source("DeleteOffice"), "Office not present");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("DeleteOffice"), [&] {
      rt::TryResume([&] { Sql_CloseConnection(cn); });
      Mts_SetAbort();
    });
  }
  return false;
}

}  // namespace brintor
