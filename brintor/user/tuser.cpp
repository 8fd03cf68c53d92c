// TUser: creation with the office column table, registration, the class's
// connections, the cached directory user, and the helpers its files share.
#include "brintor/user/tuser.h"

#include <utility>
#include <vector>

#include "brintor/user/tuser_common.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

namespace tuser {

rt::ObjectPtr NewResult() { return Gen_GetComponent("Solvane.ResultObject"); }
rt::ObjectPtr NewChecker() { return Gen_GetComponent("Solvane.ReferentialChecker"); }

void AddCode(const rt::ObjectPtr& result, const std::string& code) {
  result->Call("AddMessage", {rt::Variant(code)});
}

bool Succeeded(const rt::ObjectPtr& result) {
  if (!result) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return rt::CBool(result->Call("Succeeded"));
}

rt::Variant Field(const rt::Dictionary& dataObject, const char* key) {
  const rt::Variant* value = dataObject.Find(rt::Variant(key));
  return value ? *value : rt::Variant();
}

std::string TakeKind(rt::Dictionary& dataObject) {
  const rt::Variant key("METAObjectID");
  const rt::Variant* kind = dataObject.Find(key);
  if (!kind) return {};
  std::string text = rt::CStr(*kind);
  dataObject.Remove(key);
  return text;
}

rt::Variant PropertyNames() {
  std::vector<rt::Variant> names(kPropertyColumns.begin(), kPropertyColumns.end());
  return rt::Variant(rt::SafeArray::From(std::move(names)));
}

rt::Variant PropertyValues(const rt::Dictionary& dataObject) {
  std::vector<rt::Variant> values;
  for (const char* column : kPropertyColumns) values.push_back(Field(dataObject, column));
  return rt::Variant(rt::SafeArray::From(std::move(values)));
}

}  // namespace tuser

namespace {

rt::Variant TextArray(std::initializer_list<const char*> texts) {
  std::vector<rt::Variant> items(texts.begin(), texts.end());
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

}  // namespace

TUser::TUser()
    : officeColumns_(TextArray({"OFFICEDESCRIPTION", "ADDRESSID", "BIS_BISID", "BUSINESSPARTNERID", "CURRENCYCODE",
                                "OFFICETYPE", "CREDITCARDNUMBER", "CREDITCARDEXPIRY", "COSTCENTER", "WAREHOUSE",
                                "SHIPTOCONTACTINFORMATION", "FINANCIALDIMENSION1", "FINANCIALDIMENSION2",
                                "FINANCIALDIMENSION3", "FINANCIALDIMENSION4", "FINANCIALDIMENSION5",
                                "CREDITCARDTYPE", "PROJECTPROP", "PLANPROP", "EXTENSIONPROP", "COSTCOMPONENTPROP",
                                "ACTIVITYPROP", "ELEMENTPROP", "PROPERTYGROUPID"})),
      officeTypes_(TextArray({"String", "Long",   "Long",   "Long",   "String", "Integer", "String", "Date",
                              "String", "String", "String", "String", "String", "String",  "String", "String",
                              "Integer", "Long",  "Long",   "Long",   "Long",   "Long",    "Long",   "Long"})) {}

rt::ClassInfo TUserClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Brintor.TUser", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<TUser>()); }};
}

// The connection is opened here, so a database that cannot be opened is
// reported at once, inside the calling method's block, rather than as an
// unopened connection failing at its first statement.
std::shared_ptr<data::Connection> TUser::getConnection(bool readCommitted) {
  const std::string connectionString = Sql_CommonConnectionString("");
  auto cn = data::Connection::New();
  cn->Open(connectionString);
  if (readCommitted) cn->Execute(kSqlReadCommitted);
  return cn;
}

std::string TUser::ConnectionString() {
  return Sql_CommonConnectionString(tuser::Source("ConnectionString"), false);
}

rt::ObjectPtr TUser::GetAUObject(const std::string& userId) { return directoryUser_.Get(userId); }

}  // namespace brintor
