// Unit: the unit codes and the code for a code or a description, read on a
// connection of their own outside any transaction; the withdrawn deleting
// members.
#include "quarvel/reference/unit.h"

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/classes.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

rt::ClassInfo UnitClass() {
  // {17093CC6-...}: the class does not support transactions.
  return rt::ClassInfo{"Quarvel.Unit", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<Unit>(); }};
}

bool Unit::Delete(std::string&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.TUnit.Delete");
}

std::shared_ptr<rt::Dictionary> Unit::GetAllUnits() {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT UNITCODE FROM UNIT", cn, data::kCursorForwardOnly, data::kLockReadOnly);
    auto units = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) units->Add(rs->Value("UNITCODE"), rs->Value("UNITCODE"));
    Sql_CloseConnection(cn);
    return units;
  } catch (...) {
    HandleMethodError("Quarvel.Unit.getAllUnits", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// The same text is compared with the code and with the description.
std::string Unit::getUnitCodeFromDescription(std::string& iUnitDescription) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::string q = Gen_SqlQuote(rt::Variant(iUnitDescription));
    cn = getConnection();
    rs = cn->Execute("SELECT UNITCODE FROM UNIT WHERE UNITCODE='" + q + "' OR UNITDESCRIPTION = '" + q + "'");
    std::string code = rs->Eof() ? std::string() : rt::CStr(rs->Value("UNITCODE"));
    Sql_CloseConnection(cn);
    return code;
  } catch (...) {
    HandleMethodError("Quarvel.Unit.getUnitCodeFromDescription", [&] { CloseQuietly(rs, cn); });
  }
  return {};
}

bool Unit::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.TUnit.Exists");
}

bool Unit::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.TUnit.IReferentialIntegrity_BeforeDelete");
}

}  // namespace quarvel
