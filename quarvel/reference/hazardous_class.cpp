// HazardousClass: the class codes and the code for a description, read on
// a connection of their own outside any transaction.
#include "quarvel/reference/hazardous_class.h"

#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/classes.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

rt::ClassInfo HazardousClassClass() {
  // {17093CC6-...}: the class does not support transactions.
  return rt::ClassInfo{"Quarvel.HazardousClass", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<HazardousClass>(); }};
}

std::shared_ptr<rt::Dictionary> HazardousClass::GetAllHazardousClass() {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT CLASSCODE FROM HAZARDOUSCLASS", cn, data::kCursorForwardOnly, data::kLockReadOnly);
    auto classes = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) classes->Add(rs->Value("CLASSCODE"), rs->Value("CLASSCODE"));
    Sql_CloseConnection(cn);
    return classes;
  } catch (...) {
    HandleMethodError("Quarvel.HazardousClass.getAllHazardousClass", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// Only the description is compared, never the code.
std::string HazardousClass::getHazardousClassFromDescription(const std::string& iDescription) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = cn->Execute("SELECT CLASSCODE FROM HAZARDOUSCLASS WHERE CLASSDESCRIPTION = N'" +
                     Gen_SqlQuote(rt::Variant(iDescription)) + "'");
    std::string code = rs->Eof() ? std::string() : rt::CStr(rs->Value("CLASSCODE"));
    Sql_CloseConnection(cn);
    return code;
  } catch (...) {
    HandleMethodError("Quarvel.HazardousClass.getHazardousClassFromDescription", [&] { CloseQuietly(rs, cn); });
  }
  return {};
}

}  // namespace quarvel
