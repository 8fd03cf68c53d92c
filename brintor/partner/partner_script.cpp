// BusinessPartner: maintenance from scripts. A script names a table
// ("BUSINESSPARTNER", "ADDRESS", "CUSTOMER", exactly so) and passes two
// parallel arrays of column names and values; they become a data object of
// the table's kind, which the class's own business rules check and write.
#include <vector>

#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "brintor/script/script_arrays.h"
#include "common/lib_mts.h"
#include "common/method_error.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

namespace {

// A script table: its data object's kind, the columns an insert or update
// picks (in the data object's key order) and the one a delete picks.
struct ScriptTable {
  const char* name;
  const char* kind;
  std::vector<const char*> columns;
  const char* deleteColumn;
};

const ScriptTable kScriptTables[] = {
    {"BUSINESSPARTNER",
     "BPDataObject",
     {"BUSINESSPARTNERID", "GLOBALPARTNERCLASSIFICATIONCODE", "SHIPPINGADDRESSID", "POSTALADDRESSID",
      "SOLDTOADDRESSID", "CURRENCYCODE", "NAME", "BISCUSTOMERCODE", "BISSUPPLIERCODE", "USERID",
      "DEFAULTSUPPLIERCODE", "BUSINESSID", "PRICINGMETHOD", "OWBENABLED", "ORDERREQUESTURL", "BPURL",
      "BISCREDITCARDCUSTOMERCODE", "DUNSNUMBER", "ISONETIMEBP", "ISINTERNALBP", "COMPANYNUMBER"},
     "BUSINESSPARTNERID"},
    {"ADDRESS",
     "AddressDataObject",
     {"ADDRESSID", "COUNTRYCODE", "NAME1", "NAME2", "STREET1", "STREET2", "CITY1", "CITY2", "STATEPROVINCE", "ZIPCODE",
      "PHONE", "FAX", "SHORTDESCRIPTION", "BISADDRESSCODE"},
     "ADDRESSID"},
    {"CUSTOMER",
     "CustomerDataObject",
     {"BUSINESSPARTNERID", "CUSTOMERNAME", "ORDERDISCOUNTPERC", "CARRIERCODE"},
     "BUSINESSPARTNERID"},
};

// The table of that exact name, or none.
const ScriptTable* FindScriptTable(const std::string& name) {
  for (const ScriptTable& table : kScriptTables) {
    if (name == table.name) return &table;
  }
  return nullptr;
}

// "METAObjectID" with the kind, then each picked column that the names hold.
std::shared_ptr<rt::Dictionary> DataObject(const ScriptTable& table, const std::vector<const char*>& columns,
                                           const rt::Variant& keys, const rt::Variant& values) {
  auto dataObject = rt::NewDictionary();
  dataObject->Add(rt::Variant("METAObjectID"), rt::Variant(table.kind));
  for (const char* column : columns) script::AddFieldFromArrays(*dataObject, column, keys, values);
  return dataObject;
}

}  // namespace

rt::ObjectPtr BusinessPartner::InsertFromScript(const std::string& iTableName, rt::Variant& iKeys,
                                                rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  try {
    rt::ObjectPtr result;
    if (const ScriptTable* table = FindScriptTable(iTableName)) {
      result = BusinessRules_Insert(DataObject(*table, table->columns, iKeys, iValues));
    }
    // An unknown table leaves no answer to ask: 91.
    ResultSucceeded(result) ? Mts_SetComplete() : Mts_SetAbort();
    return result;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.InsertFromScript", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::UpdateFromScript(const std::string& iTableName, rt::Variant& iKeys,
                                                rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  try {
    rt::ObjectPtr result;
    if (const ScriptTable* table = FindScriptTable(iTableName)) {
      result = BusinessRules_Update(DataObject(*table, table->columns, iKeys, iValues));
    }
    ResultSucceeded(result) ? Mts_SetComplete() : Mts_SetAbort();
    return result;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.UpdateFromScript", Mts_SetAbort);
  }
  return nullptr;
}

// A refused delete answers its message code and still commits; an unknown
// table answers nothing and commits. Only a delete that failed after it
// had written something keeps its abort.
rt::ObjectPtr BusinessPartner::DeleteFromScript(const std::string& iTableName, rt::Variant& iKeys,
                                                rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  try {
    rt::ObjectPtr result;
    bool abortStands = false;
    if (const ScriptTable* table = FindScriptTable(iTableName)) {
      result = RulesDelete(DataObject(*table, {table->deleteColumn}, iKeys, iValues), abortStands);
    }
    if (!abortStands) Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.DeleteFromScript", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.BusinessRules_GetInstance", Mts_SetAbort);
  }
  return nullptr;
}

}  // namespace brintor
