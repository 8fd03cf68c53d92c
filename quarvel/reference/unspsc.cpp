// UNSPSC: the code lists, lookups and withdrawn members of the reading
// class, and its dispatch table.
#include "quarvel/reference/unspsc.h"

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/reference/unspsc_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace quarvel {

rt::ClassInfo UNSPSCClass() {
  // {17093CC6-...}: never in a transaction.
  return rt::ClassInfo{"Quarvel.UNSPSC", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<UNSPSC>(); }};
}

const rt::DispatchTable* UNSPSC::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<UNSPSC>("UNSPSC")
          .Method("Delete", &UNSPSC::Delete)
          .Method("GetAllUNSPSCCodes", &UNSPSC::GetAllUNSPSCCodes)
          .Method("getUNSPSCDescription", &UNSPSC::getUNSPSCDescription)
          .Method("IsUNSPSCCodeExists", &UNSPSC::IsUNSPSCCodeExists)
          .Method("CheckifChildExists", &UNSPSC::CheckifChildExists)
          .Method("IReferentialIntegrity_Exists", &UNSPSC::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &UNSPSC::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

// --- withdrawn ---------------------------------------------------------------------

bool UNSPSC::Delete(std::string&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.TUNSPSC.Delete");
}

bool UNSPSC::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.TUNSPSC.Exists");
}

bool UNSPSC::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.TUNSPSC.IReferentialIntegrity_BeforeDelete");
}

// --- code lists and lookups ------------------------------------------------------------

std::shared_ptr<rt::Dictionary> UNSPSC::GetAllUNSPSCCodes(int16_t iLevelNumber, const std::string& iParentCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  std::shared_ptr<data::Recordset> recordset;
  try {
    std::string sql = "SELECT * FROM UNSPSCCodes WHERE LEVELNUMBER = " + std::to_string(iLevelNumber);
    if (!iParentCode.empty()) sql += " AND PARENTCODE = '" + Gen_SqlQuote(rt::Variant(iParentCode)) + "'";
    sql += " ORDER BY LEVELNUMBER, PARENTCODE, UNSPSCCODE";
    connection = getConnection();
    recordset = OpenRecordset(sql, connection, data::kCursorForwardOnly, data::kLockReadOnly);
    auto codes = rt::NewDictionary();
    for (; !recordset->Eof(); recordset->MoveNext()) {
      // A full code met twice (a parent stored with a leading blank) fails with 457.
      codes->Add(rt::Variant(rt::Trim(rt::Concat(recordset->Value("ParentCode"))) +
                             rt::Concat(recordset->Value("UNSPSCCode"))),
                 recordset->Value("Description"));
    }
    Sql_CloseRecordset(recordset);
    Sql_CloseConnection(connection);
    return codes;
  } catch (...) {
    HandleMethodError("Quarvel.UNSPSC.getAllUNSPSCCodes", [&] {
      Sql_CloseRecordset(recordset);
      Sql_CloseConnection(connection);
    });
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> UNSPSC::Siblings(const std::string& code) {
  // Half the length as VB's CInt rounds it: halves go to the even neighbour.
  const int16_t level = rt::CInt(rt::Variant(rt::Len(code) / 2.0));
  const std::string parent = Left(code, rt::Len(code) - 2);
  return GetAllUNSPSCCodes(level, parent);
}

std::string UNSPSC::getUNSPSCDescription(std::string& i_UNSPSCCode) {
  rt::ContextScope scope(*this);
  if (i_UNSPSCCode.empty()) return std::string();
  auto codes = Siblings(i_UNSPSCCode);
  const rt::Variant* description = codes->Find(rt::Variant(i_UNSPSCCode));
  // A code stored without a description reads as empty text.
  return description ? rt::Concat(*description) : std::string();
}

bool UNSPSC::IsUNSPSCCodeExists(std::string& i_UNSPSCCode) {
  rt::ContextScope scope(*this);
  if (i_UNSPSCCode.empty()) return false;
  return Siblings(i_UNSPSCCode)->Exists(rt::Variant(i_UNSPSCCode));
}

bool UNSPSC::CheckifChildExists(const std::string& i_sParentCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  std::shared_ptr<data::Recordset> recordset;
  try {
    connection = getConnection();
    recordset = OpenRecordset("SELECT * FROM UNSPSCCodes WHERE PARENTCODE LIKE '" +
                                  Gen_SqlEscapeLike(rt::Variant(i_sParentCode)) + "%'",
                              connection, data::kCursorKeyset, data::kLockReadOnly);
    const bool found = recordset->RecordCount() != 0;
    Sql_CloseRecordset(recordset);
    Sql_CloseConnection(connection);
    return found;
  } catch (...) {
    HandleMethodError("Quarvel.UNSPSC.CheckifChildExists", [&] {
      Sql_CloseRecordset(recordset);
      Sql_CloseConnection(connection);
    });
  }
  return false;
}

}  // namespace quarvel
