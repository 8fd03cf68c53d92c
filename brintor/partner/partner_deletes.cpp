// BusinessPartner: deletes of partners, addresses and customer rows after
// the referential checker agreed (links to addresses and users go first; an
// address that a partner or an office names stays), the delete rule of data
// objects, and the class's referential answers: whether an address,
// partner, customer row, carrier or country exists.
#include <string>
#include <vector>

#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

// What one delete method works on.
struct partner::DeleteTarget {
  const char* checkerTable;  // the table the referential checker is asked about
  const char* key;
  const char* deleteSql;  // the id is appended
  // Queries that find a row still naming the id, which refuses the delete
  // (the id is appended to each); the checker cannot answer for them.
  std::vector<std::string> usedBy;
};

namespace {

const DeleteTarget kPartnerRow{"BUSINESSPARTNER", "BUSINESSPARTNERID",
                               "DELETE FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID=", {}};
// The addresses that partners ship to, post to and sell to, and the
// offices' addresses.
const DeleteTarget kAddressRow{"ADDRESS",
                               "ADDRESSID",
                               "DELETE FROM ADDRESS WHERE ADDRESSID=",
                               {"SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE SHIPPINGADDRESSID=",
                                "SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE POSTALADDRESSID=",
                                "SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE SOLDTOADDRESSID=",
                                "SELECT OFFICEDESCRIPTION FROM OFFICE WHERE ADDRESSID="}};
const DeleteTarget kCustomerRow{"CUSTOMER", "BUSINESSPARTNERID", "DELETE FROM CUSTOMER WHERE BUSINESSPARTNERID=", {}};

// A data object's id column as a Long (Empty when absent, which reads as 0).
int32_t IdOf(const rt::Dictionary& bdo, const char* column) {
  const rt::Variant* value = bdo.Find(rt::Variant(column));
  return rt::CLng(value ? *value : rt::Variant());
}

}  // namespace

BusinessPartner::DeleteStep BusinessPartner::RunDelete(const DeleteTarget& target, int32_t id,
                                                       std::shared_ptr<data::Connection>& connection, bool& touched,
                                                       int32_t& linksRemoved) {
  const rt::Variant names = OneElement(rt::Variant(target.key));
  const rt::Variant values = OneElement(rt::Variant(id));
  rt::ObjectPtr checker = Gen_GetComponent("Solvane.ReferentialChecker");
  if (!rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant(target.checkerTable), names, values})))
    return DeleteStep::Refused;
  for (const std::string& query : target.usedBy) {
    if (Sql_HasRecords(query + std::to_string(id), ConnectionString())) return DeleteStep::Refused;
  }
  // From here on other components and this class may have removed rows.
  touched = true;
  checker->Call("BeforeDelete", {rt::Variant(target.checkerTable), names, values});
  checker.reset();
  std::string table = target.checkerTable;
  if (!BeforeDelete(table, names, values, linksRemoved)) return DeleteStep::Refused;
  connection = OpenConnection();
  rt::Variant rows;
  connection->Execute(target.deleteSql + std::to_string(id), &rows);
  return rt::CLng(rows) > 0 ? DeleteStep::Deleted : DeleteStep::NoRow;
}

// The key names are not looked at: the table says which key the value is.
// A partner's links to its addresses and to the users who serve it go; an
// address's links to partners go.
bool BusinessPartner::BeforeDelete(std::string& table, const rt::Variant& /*names*/, const rt::Variant& values,
                                   int32_t& linksRemoved) {
  std::shared_ptr<data::Connection> connection;
  try {
    connection = OpenConnection();
    const std::string id = std::to_string(rt::CLng(values.AsArray().At(0)));
    rt::Variant rows;
    linksRemoved = 0;
    auto removeLinks = [&](const std::string& sql) {
      connection->Execute(sql, &rows);
      linksRemoved += rows.IsEmpty() ? 0 : rt::CLng(rows);
    };
    if (table == "BUSINESSPARTNER") {
      removeLinks("DELETE FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID=" + id);
      // The users who served the partner (sales representatives).
      removeLinks("DELETE FROM BPSPERUSER WHERE BUSINESSPARTNERID=" + id);
    } else if (table == "ADDRESS") {
      removeLinks("DELETE FROM BUSINESSPARTNERADDRESS WHERE ADDRESSID=" + id);
    }
    Sql_CloseConnection(connection);
    return true;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.BeforeDelete()", [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return false;
}

bool BusinessPartner::Delete(int32_t& iBPID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  try {
    bool touched = false;
    int32_t linksRemoved = 0;
    const DeleteStep step = RunDelete(kPartnerRow, iBPID, connection, touched, linksRemoved);
    if (step == DeleteStep::NoRow) {
      rt::Raise(static_cast<int32_t>(EBusinessPartnerErrors::BusinessPartnerNotFound), "Brintor.BusinessPartner.Delete",
                "BusinessPartner not present");
    }
    Sql_CloseConnection(connection);
    if (step == DeleteStep::Deleted) {
      Mts_SetComplete();
      return true;
    }
    Mts_SetAbort();
  } catch (...) {
    // The abort takes back the links removed before the row was missed.
    HandleMethodError("Brintor.BusinessPartner.Delete", [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return false;
}

// Every failure, a missing row included, answers False with an abort vote;
// nothing is logged or raised here.
BusinessPartner::DeleteOutcome BusinessPartner::DeleteOwnRow(const DeleteTarget& target, int32_t id) {
  std::shared_ptr<data::Connection> connection;
  bool touched = false;
  int32_t linksRemoved = 0;
  DeleteOutcome outcome;
  try {
    outcome.deleted = RunDelete(target, id, connection, touched, linksRemoved) == DeleteStep::Deleted;
    outcome.wroteBeforeFailing = !outcome.deleted && linksRemoved > 0;
  } catch (...) {
    rt::Err().Clear();
    outcome.deleted = false;
    outcome.wroteBeforeFailing = touched;
  }
  Sql_CloseConnection(connection);
  outcome.deleted ? Mts_SetComplete() : Mts_SetAbort();
  return outcome;
}

bool BusinessPartner::AddressDelete(int32_t& iAddressID) {
  rt::ContextScope scope(*this);
  return DeleteOwnRow(kAddressRow, iAddressID).deleted;
}

bool BusinessPartner::CustomerDelete(int32_t iBPID) {
  rt::ContextScope scope(*this);
  return DeleteOwnRow(kCustomerRow, iBPID).deleted;
}

rt::ObjectPtr BusinessPartner::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  bool abortStands = false;
  return RulesDelete(iBDO, abortStands);
}

// A delete that did not happen answers its code and commits, so that a
// refusal by the referential checker is an answer, not a failure. When it
// failed after rows were already removed (links, or other components' rows
// through the checker), the abort stands: a commit would keep half a delete.
rt::ObjectPtr BusinessPartner::RulesDelete(const std::shared_ptr<rt::Dictionary>& bdo, bool& abortStands) {
  try {
    rt::ObjectPtr result = Gen_GetComponent("Solvane.ResultObject");
    if (!bdo) rt::RaiseVb(rt::vberr::kObjectNotSet);
    const rt::Variant kindKey("METAObjectID");
    std::string kind;
    if (const rt::Variant* value = bdo->Find(kindKey)) {
      kind = rt::CStr(*value);
      bdo->Remove(kindKey);
    }
    abortStands = false;
    auto noteOwnRow = [&](const DeleteOutcome& outcome, const char* code) {
      if (outcome.deleted) return;
      result->Call("AddMessage", {rt::Variant(code)});
      abortStands = outcome.wroteBeforeFailing;
    };
    if (kind == "BPDataObject") {
      int32_t id = IdOf(*bdo, "BUSINESSPARTNERID");
      if (!Delete(id)) result->Call("AddMessage", {rt::Variant("SLBBR0000")});
    } else if (kind == "AddressDataObject") {
      noteOwnRow(DeleteOwnRow(kAddressRow, IdOf(*bdo, "ADDRESSID")), "SLBBR0001");
    } else if (kind == "CustomerDataObject") {
      noteOwnRow(DeleteOwnRow(kCustomerRow, IdOf(*bdo, "BUSINESSPARTNERID")), "SLBBR0002");
    }
    abortStands ? Mts_SetAbort() : Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.BusinessRules_Delete", Mts_SetAbort);
  }
  return nullptr;
}

// --- referential answers --------------------------------------------------------------

// The first of the key names that the class answers for decides; names it
// does not know are passed over, and with none the answer is True. Ids go
// into the statement as the numbers given, a fraction kept (anything else
// fails with 13), codes as quoted text.
bool BusinessPartner::IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                                   const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    const rt::SafeArray& names = iKeys.AsArray();
    for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
      const std::string name = rt::UCase(rt::CStr(names.At(i)));
      // A value that is none (Null, or never assigned) counts as empty text.
      const rt::Variant& raw = iValues.AsArray().At(i);
      const rt::Variant value = raw.IsNull() || raw.IsEmpty() ? rt::Variant("") : raw;
      std::string sql;
      if (name == "ADDRESSID") {
        sql = "SELECT ADDRESSID FROM ADDRESS WHERE ADDRESSID = " + SqlNumber(value);
      } else if (name == "BUSINESSPARTNERID") {
        sql = std::string("SELECT BUSINESSPARTNERID FROM ") + (iOrigin == "CUSTOMER" ? "CUSTOMER" : "BUSINESSPARTNER") +
              " WHERE BUSINESSPARTNERID = " + SqlNumber(value);
      } else if (name == "CARRIERCODE") {
        sql = "SELECT CARRIERCODE FROM TRANSPORTCARRIER WHERE CARRIERCODE = '" + Gen_SqlQuote(value) + "'";
      } else if (name == "COUNTRYCODE") {
        sql = "SELECT COUNTRYCODE FROM COUNTRY WHERE COUNTRYCODE = '" + Gen_SqlQuote(value) + "'";
      } else {
        continue;
      }
      return Sql_HasRecords(sql, ConnectionString(), true);
    }
    return true;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.IReferentialIntegrity_Exists()", Mts_SetAbort);
  }
  return false;
}

// Nothing hangs on the partner's keys that this class would remove here: it
// only votes commit, and a failure of that reaches the caller as it is.
bool BusinessPartner::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Release();
  return true;
}

}  // namespace brintor
