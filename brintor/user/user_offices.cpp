// User: the lists of administrative and purchase offices and all columns of
// one office, read straight from OFFICE (not through the office cache).
#include <string>

#include "brintor/user/user.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/field.h"
#include "data/recordset.h"
#include "runtime/context.h"

namespace brintor {

namespace {

std::shared_ptr<data::Recordset> OpenForwardReadOnly(const std::string& sql,
                                                     const std::shared_ptr<data::Connection>& cn) {
  auto rs = data::Recordset::New();
  rs->Open(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  return rs;
}

}  // namespace

// The offices in the order the database returns them, each keyed by its
// description (keys compare without regard to case); empty, never Nothing,
// when there are none.
std::shared_ptr<rt::Collection> User::getOffices(const std::string& sql) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenForwardReadOnly(sql, cn);
    auto offices = std::make_shared<rt::Collection>();
    for (; !rs->Eof(); rs->MoveNext()) {
      offices->Add(rs->Value("OFFICEDESCRIPTION"), rt::Variant(rt::CStr(rs->Value("OFFICEDESCRIPTION"))));
    }
    Sql_CloseConnection(cn);
    return offices;
  } catch (...) {
    HandleMethodError("Brintor.User.getOffices", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

std::shared_ptr<rt::Collection> User::GetAllAdministrativeOffices() {
  rt::ContextScope scope(*this);
  return getOffices("SELECT * FROM OFFICE WHERE OFFICETYPE=1");
}

std::shared_ptr<rt::Collection> User::GetAllPurchaseOffices() {
  rt::ContextScope scope(*this);
  return getOffices("SELECT * FROM OFFICE WHERE OFFICETYPE=2");
}

// Every column under the name the database reports, in the table's order,
// nulls kept; empty when no office has the description.
std::shared_ptr<rt::Dictionary> User::GetOfficeParams(std::string& iOffice) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenForwardReadOnly(
        "SELECT OFFICE.* FROM OFFICE WHERE OFFICE.OFFICEDESCRIPTION ='" + Gen_SqlQuote(iOffice) + "'", cn);
    auto params = rt::NewDictionary();
    if (!rs->Eof()) {
      for (int32_t i = 0; i < rs->FieldCount(); ++i) {
        auto field = rs->Field(rt::Variant(i));
        params->Add(rt::Variant(field->Name()), field->Value());
      }
    }
    Sql_CloseConnection(cn);
    return params;
  } catch (...) {
    HandleMethodError("Brintor.User.getOfficeParams", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

}  // namespace brintor
