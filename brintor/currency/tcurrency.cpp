// TCurrency: creation with its column-type tables, registration, the
// connections of its writers, the existence query of its checks, Release,
// and the helpers its files share.
#include "brintor/currency/tcurrency.h"

#include "brintor/currency/currency_support.h"
#include "brintor/currency/tcurrency_common.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace currency_detail;

namespace tcurrency {

namespace {

const char* MemberName(BrintorError member) {
  switch (member) {
    case BrintorError::MissingCurrencyCode: return "MissingCurrencyCode";
    case BrintorError::MissingCurrencyName: return "MissingCurrencyName";
    case BrintorError::MissingHomeCurrency: return "MissingHomeCurrency";
    case BrintorError::MissingEuroCurrency: return "MissingEuroCurrency";
    case BrintorError::MissingEPC: return "MissingEPC";
    case BrintorError::MissingDecimals: return "MissingDecimals";
    case BrintorError::InvalidDecimals: return "InvalidDecimals";
    case BrintorError::InvalidLocaleID: return "InvalidLocaleID";
    case BrintorError::DuplicateHomeCurrency: return "DuplicateHomeCurrency";
    case BrintorError::DuplicateEuroCurrency: return "DuplicateEuroCurrency";
    case BrintorError::MissingEffectiveDate: return "MissingEffectiveDate";
    case BrintorError::MissingRateFactor: return "MissingRateFactor";
    case BrintorError::InvalidEPCRate: return "InvalidEPCRate";
    case BrintorError::InvalidNonEPCRate: return "InvalidNonEPCRate";
    case BrintorError::InvalidEffectiveDate: return "InvalidEffectiveDate";
    case BrintorError::InvalidExpiryDate: return "InvalidExpiryDate";
    case BrintorError::EffectiveDateRange: return "EffectiveDateRange";
    case BrintorError::ExpiryDateRange: return "ExpiryDateRange";
    case BrintorError::CurrencyNotFound: return "CurrencyNotFound";
    default: return "";
  }
}

}  // namespace

void Invalid(BrintorError member) { RaiseError(member, MemberName(member)); }

bool IsTrue(const rt::Variant& flag) {
  if (flag.IsNull() || flag.IsEmpty()) return false;
  try {
    return rt::CBool(flag);
  } catch (const rt::ComError&) {
    return false;
  }
}

rt::Variant Field(const rt::Dictionary& dataObject, const char* key) {
  const rt::Variant* value = dataObject.Find(rt::Variant(key));
  return value ? *value : rt::Variant();
}

rt::Variant AsDate(const rt::Variant& value) {
  if (value.IsString() && rt::IsDate(value)) return rt::Variant(rt::CDate(value));
  return value;
}

}  // namespace tcurrency

namespace {

rt::Variant TextArray(std::initializer_list<const char*> texts) {
  std::vector<rt::Variant> items;
  for (const char* text : texts) items.emplace_back(text);
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

}  // namespace

TCurrency::TCurrency()
    : currencyColumns_(TextArray({"CURRENCYCODE", "CURRENCYNAME", "HOMECURRENCY", "EURO", "EPC", "DECIMALS",
                                  "LOCALEID"})),
      currencyTypes_(TextArray({"String", "String", "Boolean", "Boolean", "Boolean", "Integer", "Integer"})),
      rateColumns_(TextArray({"CURRENCYCODE", "EFFECTIVEDATE", "EXPIRYDATE", "HOMESALESRATE", "EUROSALESRATE",
                              "RATEFACTOR"})),
      rateTypes_(TextArray({"String", "Date", "Date", "Double", "Double", "Integer"})) {}

rt::ClassInfo TCurrencyClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Brintor.TCurrency", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<TCurrency>(); }};
}

std::shared_ptr<data::Connection> TCurrency::OpenConnection() {
  const std::string connectionString = Sql_CommonConnectionString(kConnectionStringSource);
  auto connection = data::Connection::New();
  connection->Open(connectionString);
  return connection;
}

std::shared_ptr<data::Connection> TCurrency::getConnection() {
  // No handler of its own: a failure reaches the caller as it came.
  const std::string connectionString = Sql_CommonConnectionString(std::string(), false);
  auto connection = data::Connection::New();
  connection->Open(connectionString);
  return connection;
}

void TCurrency::CommitAndClose(std::shared_ptr<data::Connection>& connection) {
  Sql_CloseConnection(connection);
  Mts_SetComplete();
}

void TCurrency::AbortAndClose(std::shared_ptr<data::Connection>& connection) {
  Mts_SetAbort();
  Sql_CloseConnection(connection);  // rolls back a transaction of the connection's own
}

bool TCurrency::CheckExistenceUsingSQL(const std::string& sql) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = OpenConnection();
    cn->Execute(kSqlReadCommitted);
    rs = data::Recordset::New();
    rs->Open(sql, cn, data::kCursorKeyset, data::kLockReadOnly);
    const bool found = !rs->Eof();
    Sql_CloseRecordset(rs);
    cn->Close();
    return found;
  } catch (...) {
    HandleMethodError(tcurrency::Source("CheckExistenceUsingSQL"), ConnectionErrors(cn) + " Executing: '" + sql + "' ",
                      [&] {
                        rs.reset();
                        if (cn && cn->State() == data::kStateOpen) cn->Close();
                      });
  }
  return false;
}

void TCurrency::Release() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
}

}  // namespace brintor
