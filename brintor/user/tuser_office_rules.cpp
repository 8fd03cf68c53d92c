// TUser: the business rules of office inserts and updates. The checks of
// types, presence, credit card and length all run, so one call reports every
// failure among them as codes in the answer; the duplicate test and the
// referential checker are asked only while nothing failed, and the row is
// written only when everything passed. The rules read the data object
// without adding keys to it, so a statement holds exactly the caller's columns.
#include "brintor/user/tuser.h"
#include "brintor/user/tuser_common.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql_tables.h"
#include "common/lib_validate.h"
#include "common/method_error.h"
#include "interfaces/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tuser;

namespace {

// The card checks of the office's card columns, merged on failure.
bool CardPasses(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result) {
  rt::ObjectPtr card = Val_CreditCard(bdo, "CREDITCARDNUMBER", "CREDITCARDTYPE", "CREDITCARDEXPIRY");
  if (Succeeded(card)) return true;
  result->Call("Merge", {rt::Variant(card)});
  return false;
}

}  // namespace

bool TUser::OfficeTypesPass(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result) {
  rt::ObjectPtr checked = Val_DataTypes(bdo, officeColumns_, officeTypes_);
  if (Succeeded(checked)) return true;
  result->Call("Merge", {rt::Variant(checked)});
  return false;
}

// `stage` names the step in progress, for the failure's METHOD line.
rt::ObjectPtr TUser::InsertOffice(const std::shared_ptr<rt::Dictionary>& bdo, std::string& stage) {
  rt::ObjectPtr result = NewResult();
  if (!bdo) rt::RaiseVb(rt::vberr::kObjectNotSet);
  if (TakeKind(*bdo) != kOfficeKind) return result;
  bool valid = true;
  stage = "Data Type";
  if (!OfficeTypesPass(bdo, result)) valid = false;
  stage = "Domain Check";
  if (!Val_HasValue(bdo, "OFFICEDESCRIPTION")) {
    valid = false;
    AddCode(result, "SLBBR1004");
  }
  stage = "CC Check";
  if (!CardPasses(bdo, result)) valid = false;
  stage = "Max Len";
  if (!Val_MaxLength(bdo, "SHIPTOCONTACTINFORMATION", 255)) {
    valid = false;
    AddCode(result, "SLBBR1007");
  }
  if (valid) {
    stage = "Duplicate";
    const bool taken = IReferentialIntegrity_Exists("USER", OneElement(rt::Variant("OFFICEDESCRIPTION")),
                                                    OneElement(Field(*bdo, "OFFICEDESCRIPTION")));
    valid = !taken;
    if (taken) AddCode(result, "SLBBR1008");
  }
  // Only a purchase office's property ids are the checker's business; a
  // null or absent type is no purchase office.
  if (valid && rt::VbEquals(Field(*bdo, "OFFICETYPE"), rt::Variant(int16_t{Purchase}))) {
    stage = "Cross Component";
    rt::ObjectPtr checker = NewChecker();
    valid = rt::CBool(checker->Call("CanInsert", {rt::Variant("Brintor"), rt::Variant("OFFICE"), PropertyNames(),
                                                  PropertyValues(*bdo)}));
    if (!valid) AddCode(result, "SLBBR1025");
  }
  if (valid) {
    stage = "Insert";
    result = Sql_InsertTable("OFFICE", bdo, getConnection());
  }
  return result;
}

rt::ObjectPtr TUser::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  std::string stage;
  try {
    rt::ObjectPtr result = InsertOffice(iBDO, stage);
    Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError(Source("BusinessRules_Insert Error Enrich: ") + stage, Mts_SetAbort);
  }
  return nullptr;
}

// The description selects the row and leaves the data object: an update
// never changes an office's description. The checker is asked about the
// property ids whatever the office's type; there is no duplicate test.
rt::ObjectPtr TUser::UpdateOffice(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result) {
  if (!bdo) rt::RaiseVb(rt::vberr::kObjectNotSet);
  if (TakeKind(*bdo) != kOfficeKind) return result;
  bool valid = OfficeTypesPass(bdo, result);
  if (!Val_HasValue(bdo, "OFFICEDESCRIPTION")) {
    valid = false;
    AddCode(result, "SLBBR1012");
  }
  auto keys = rt::NewDictionary();
  const rt::Variant description("OFFICEDESCRIPTION");
  keys->Add(description, Field(*bdo, "OFFICEDESCRIPTION"));
  if (bdo->Exists(description)) bdo->Remove(description);
  if (!CardPasses(bdo, result)) valid = false;
  if (!Val_MaxLength(bdo, "SHIPTOCONTACTINFORMATION", 255)) {
    valid = false;
    AddCode(result, "SLBBR1015");
  }
  if (valid) {
    rt::ObjectPtr checker = NewChecker();
    valid = rt::CBool(checker->Call("CanUpdate", {rt::Variant("OFFICE"), PropertyNames(), PropertyValues(*bdo)}));
    if (!valid) AddCode(result, "SLBBR1026");
  }
  if (!valid) return result;
  return Sql_UpdateTable("OFFICE", bdo, keys, getConnection());
}

// A statement the database could not process (0x80040E14) is answered as
// "SLBGE1120" with an abort vote; the writer has logged it, the rule raises
// nothing. Every other failure is raised.
rt::ObjectPtr TUser::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  rt::ObjectPtr result;
  try {
    result = NewResult();
    rt::ObjectPtr answer = UpdateOffice(iBDO, result);
    Mts_SetComplete();
    return answer;
  } catch (...) {
    rt::TrapError();
    if (rt::Err().number == rt::hr::kSqlFailed && result) {
      rt::Err().Clear();
      AddCode(result, "SLBGE1120");
      Mts_SetAbort();
      return result;
    }
    HandleMethodError(Source("BusinessRules_Update"), Mts_SetAbort);
  }
  return nullptr;
}

}  // namespace brintor
