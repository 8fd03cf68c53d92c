// Currency: the class's member table and registration, its properties, and
// the readers of currencies (one currency, all of them, the home and the
// euro currency).
#include "brintor/currency/currency.h"

#include "brintor/currency/currency_support.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/command.h"
#include "data/data_types.h"
#include "data/recordset.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace brintor {

using namespace currency_detail;

namespace currency_detail {

void RaiseError(BrintorError number, const std::string& description) {
  rt::Raise(ErrorNumber(number), kLibrary, description);
}

std::string ConnectionErrors(const std::shared_ptr<data::Connection>& connection) {
  return Err_GetConnectionErrors(connection ? rt::Variant(rt::ObjectPtr(connection)) : rt::Variant::Nothing());
}

rt::Variant Entry(const rt::ObjectPtr& object, const char* key) {
  if (!object) rt::RaiseVb(rt::vberr::kObjectNotSet);
  if (auto dictionary = std::dynamic_pointer_cast<rt::Dictionary>(object)) return dictionary->Item(rt::Variant(key));
  rt::Args args{rt::Variant(key)};
  return object->Invoke("", rt::CallKind::Get, args);
}

}  // namespace currency_detail

namespace {

constexpr const char* kHomeSql =
    "SELECT CURRENCYCODE, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE HOMECURRENCY=1";
constexpr const char* kEuroSql =
    "SELECT CURRENCYCODE, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE EURO=1";
constexpr const char* kCurrencySql =
    "SELECT CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE CURRENCYCODE=?";
constexpr const char* kCurrenciesSql = "SELECT CURRENCYCODE, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY";
constexpr const char* kCurrencyAsDictSql =
    "SELECT CURRENCYCODE, CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE CURRENCYCODE='";

// LOCALEID as the shapes carry it: Null, or a 16-bit integer (6 above 32767).
rt::Variant LocaleValue(const rt::Variant& column) {
  return column.IsNull() ? rt::Variant::Null() : rt::Variant(rt::CInt(column));
}

// VB's Trim of a Variant: Null stays Null.
rt::Variant Trimmed(const rt::Variant& value) {
  return value.IsNull() ? value : rt::Variant(rt::Trim(rt::CStr(value)));
}

std::string FlagText(const rt::Variant& column) { return rt::CBool(column) ? "True" : "False"; }

const rt::DispatchTable& Table() {
  using C = Currency;
  // The interface members whose typed parameters would refuse some
  // arguments; withdrawn, they must fail the same way whatever is passed.
  auto ignoringArguments = [](auto call) {
    return [call](rt::Object& self, rt::Args&) -> rt::Variant { return call(static_cast<C&>(self)); };
  };
  static const rt::DispatchTable table =
      rt::DispatchBuilder<C>("Currency")
          .Get("CurrencyCode", &C::CurrencyCode)
          .Let("CurrencyCode", &C::SetCurrencyCode)
          .Get("CurrencyName", &C::CurrencyName)
          .Let("CurrencyName", &C::SetCurrencyName)
          .Get("HomeCurrency", &C::HomeCurrency)
          .Let("HomeCurrency", &C::SetHomeCurrency)
          .Get("EuroCurrency", &C::EuroCurrency)
          .Let("EuroCurrency", &C::SetEuroCurrency)
          .Get("LocaleID", &C::LocaleID)
          .Let("LocaleID", &C::SetLocaleID)
          .Get("EPC", &C::EPC)
          .Let("EPC", &C::SetEPC)
          .Get("Decimals", &C::Decimals)
          .Let("Decimals", &C::SetDecimals)
          .Method("GetError", &C::GetError)
          .Method("SetHomeCurrencyObject", &C::SetHomeCurrencyObject)
          .Method("GetHomeCurrencyObject", &C::GetHomeCurrencyObject)
          .Method("GetHomeCurrency", &C::GetHomeCurrency)
          .Method("GetEuroCurrency", &C::GetEuroCurrency)
          .Method("ConvertTo", &C::ConvertTo)
          .Method("ConvertAmount", &C::ConvertAmount)
          .Method("GetCurrency", &C::GetCurrency)
          .Method("GetCurrencyRate", &C::GetCurrencyRate)
          .Method("AddCurrency", &C::AddCurrency)
          .Method("UpdateCurrency", &C::UpdateCurrency)
          .Method("DeleteCurrency", &C::DeleteCurrency)
          .Method("CurrencyDelete", &C::CurrencyDelete)
          .Method("AddCurrencyRate", &C::AddCurrencyRate)
          .Method("UpdateCurrencyRate", &C::UpdateCurrencyRate)
          .Method("DeleteCurrencyRate", &C::DeleteCurrencyRate)
          .Method("GetSpecificCurrencyRate", &C::GetSpecificCurrencyRate)
          .Method("GetCurrencies", &C::GetCurrencies)
          .Method("GetCurrenciesInDictionary", &C::GetCurrenciesInDictionary)
          .Method("GetCurrencyAsDict", &C::GetCurrencyAsDict)
          .Method("Release", &C::Release)
          .Method("InsertFromScript", &C::InsertFromScript)
          .Method("UpdateFromScript", &C::UpdateFromScript)
          .Method("DeleteFromScript", &C::DeleteFromScript)
          .Method("GetEuroCurrencyCode", &C::GetEuroCurrencyCode)
          .Method("GetHomeCurrencyCode", &C::GetHomeCurrencyCode)
          .Method("HasValidCurrencyRate", &C::HasValidCurrencyRate)
          .Method("HasValidCurrencyRateEx", &C::HasValidCurrencyRateEx)
          .Method("CanConvertToHomeCurrency", &C::CanConvertToHomeCurrency)
          .Method("GetCurrencyCodesHavingValidCurrencyRate", &C::GetCurrencyCodesHavingValidCurrencyRate)
          .Method("GetCurrencyCodesHavingAnyCurrencyRate", &C::GetCurrencyCodesHavingAnyCurrencyRate)
          .Method("GetCurrencyCodesHavingNoValidCurrencyRate", &C::GetCurrencyCodesHavingNoValidCurrencyRate)
          .Method("AreCurrencyRatesValid", &C::AreCurrencyRatesValid)
          .Method("Activate", &C::Activate)
          .Method("Deactivate", &C::Deactivate)
          .Method("CanBePooled", &C::CanBePooled)
          .Raw("IReferentialIntegrity_Exists", rt::CallKind::Method,
               ignoringArguments([](C& c) { return rt::Variant(c.IReferentialIntegrity_Exists({}, {}, {})); }))
          .Raw("IReferentialIntegrity_BeforeDelete", rt::CallKind::Method,
               ignoringArguments([](C& c) { return rt::Variant(c.IReferentialIntegrity_BeforeDelete({}, {}, {})); }))
          .Raw("BusinessRules_Insert", rt::CallKind::Method,
               ignoringArguments([](C& c) { return rt::Variant(c.BusinessRules_Insert(nullptr)); }))
          .Raw("BusinessRules_Update", rt::CallKind::Method,
               ignoringArguments([](C& c) { return rt::Variant(c.BusinessRules_Update(nullptr)); }))
          .Raw("BusinessRules_Delete", rt::CallKind::Method,
               ignoringArguments([](C& c) { return rt::Variant(c.BusinessRules_Delete(nullptr)); }))
          .Raw("BusinessRules_GetInstance", rt::CallKind::Method,
               ignoringArguments([](C& c) { return rt::Variant(c.BusinessRules_GetInstance(nullptr)); }))
          .Build();
  return table;
}

}  // namespace

const rt::DispatchTable* Currency::Dispatch() const { return &Table(); }

rt::ClassInfo CurrencyClass() {
  return rt::ClassInfo{"Brintor.Currency", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<Currency>(); }};
}

std::shared_ptr<data::Connection> Currency::OpenConnection(std::shared_ptr<data::Connection>& connection) {
  const std::string& connectionString = Sql_CommonConnectionString(kConnectionStringSource);
  connection = data::Connection::New();
  connection->Open(connectionString);
  return connection;
}

rt::Variant Currency::GetError() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return rt::Variant("");
}

void Currency::SetHomeCurrencyObject(rt::ObjectPtr& iHomeCurrencyObject) {
  rt::ContextScope scope(*this);
  homeCache_ = iHomeCurrencyObject;
}

rt::ObjectPtr Currency::GetHomeCurrencyObject() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return GetHomeCurrency();
}

rt::ObjectPtr Currency::GetHomeCurrency() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return ReadFlaggedCurrency(homeCache_, kHomeSql, "Brintor.Currency.GetHomeCurrency");
}

rt::ObjectPtr Currency::GetEuroCurrency() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return ReadFlaggedCurrency(euroCache_, kEuroSql, "Brintor.Currency.GetEuroCurrency");
}

// The cache answers as long as it holds something; without a row it stays
// empty, so the next call asks the database again.
rt::ObjectPtr Currency::ReadFlaggedCurrency(rt::ObjectPtr& cache, const char* sql, const char* errorSource) {
  if (cache) return cache;
  std::shared_ptr<data::Connection> cn;
  try {
    OpenConnection(cn);
    std::shared_ptr<data::Recordset> rs = cn->Execute(sql);
    if (!rs->Eof()) {
      auto currency = rt::NewDictionary();
      currency->Add("CURRENCYCODE", rt::Trim(rt::CStr(rs->Value("CURRENCYCODE"))));
      currency->Add("HOMECURRENCY", rt::CBool(rs->Value("HOMECURRENCY")));
      currency->Add("EURO", rt::CBool(rs->Value("EURO")));
      currency->Add("EPC", rt::CBool(rs->Value("EPC")));
      currency->Add("DECIMALS", rt::CInt(rs->Value("DECIMALS")));
      currency->Add("LOCALEID", LocaleValue(rs->Value("LOCALEID")));
      cache = currency;
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return cache;
  } catch (...) {
    HandleMethodError(errorSource, ConnectionErrors(cn), [&] { Sql_CloseConnection(cn); });
  }
  return nullptr;
}

std::string Currency::GetHomeCurrencyCode() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    rt::ObjectPtr home = GetHomeCurrency();
    return home ? rt::Concat(Entry(home, "CURRENCYCODE")) : std::string();
  } catch (...) {
    // GetHomeCurrency has logged its own failure.
    rt::Err().Clear();
  }
  return {};
}

std::string Currency::GetEuroCurrencyCode() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    rt::ObjectPtr euro = GetEuroCurrency();
    return euro ? rt::Concat(Entry(euro, "CURRENCYCODE")) : std::string();
  } catch (...) {
    rt::Err().Clear();
  }
  return {};
}

bool Currency::GetCurrency(rt::Variant& iCurrencyCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  // Checked before the handler: the caller gets the plain error, unlogged.
  if (IsMissingCode(iCurrencyCode)) RaiseError(BrintorError::MissingCurrencyCode, "MissingCurrencyCode");
  std::shared_ptr<data::Connection> cn;
  try {
    OpenConnection(cn);
    auto command = data::Command::New();
    command->SetActiveConnection(cn);
    command->SetCommandText(kCurrencySql);
    command->SetCommandType(data::kCmdText);
    command->Parameters()->Append(
        command->CreateParameter("CurrencyCode", data::adtype::kWChar, data::kParamInput, 3, iCurrencyCode));
    std::shared_ptr<data::Recordset> rs = command->Execute();
    if (rs->Eof()) {
      RaiseError(BrintorError::CurrencyNotFound, "Currency '" + rt::Concat(iCurrencyCode) + "' not found");
    }
    currencyCode_ = iCurrencyCode;
    currencyName_ = Trimmed(rs->Value("CURRENCYNAME"));
    homeCurrency_ = rt::CBool(rs->Value("HOMECURRENCY"));
    euroCurrency_ = rt::CBool(rs->Value("EURO"));
    epc_ = rt::CBool(rs->Value("EPC"));
    decimals_ = rt::CInt(rs->Value("DECIMALS"));
    localeId_ = LocaleValue(rs->Value("LOCALEID"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return true;
  } catch (...) {
    HandleMethodError("Brintor.Currency.GetCurrency", ConnectionErrors(cn), [&] { Sql_CloseConnection(cn); });
  }
  return false;
}

rt::ObjectPtr Currency::GetCurrencies() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    OpenConnection(cn);
    auto rs = data::Recordset::New();
    rs->SetCursorLocation(data::kUseClient);
    rs->Open(kCurrenciesSql, cn, data::kCursorKeyset, data::kLockReadOnly);
    rs->SetActiveConnection(nullptr);
    Sql_CloseConnection(cn);
    return rs->Clone();
  } catch (...) {
    HandleMethodError("Brintor.Currency.GetCurrencies", ConnectionErrors(cn), [&] { Sql_CloseConnection(cn); });
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> Currency::GetCurrenciesInDictionary() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    rt::ObjectPtr currencies = GetCurrencies();
    auto rs = std::dynamic_pointer_cast<data::Recordset>(currencies);
    if (!rs) rt::RaiseVb(rt::vberr::kObjectNotSet);
    auto codes = rt::NewDictionary();
    while (!rs->Eof()) {
      rt::Variant code = rs->Value("CURRENCYCODE");
      codes->Add(code, code);  // a code met twice fails here (457)
      rs->MoveNext();
    }
    return codes;
  } catch (...) {
    rt::TrapError();
    rt::Err().number = ErrorNumber(BrintorError::UnexpectedGetCurrency);
    Mts_SetAbort();
    Err_LogAndRaise(" / Brintor.Currency.GetCurrenciesInDictionary");
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> Currency::GetCurrencyAsDict(rt::Variant& istrCurrencyCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  bool notFound = false;
  try {
    OpenConnection(cn);
    rs = data::Recordset::New();
    rs->Open(kCurrencyAsDictSql + Gen_SqlQuote(istrCurrencyCode) + "'", cn);
    if (rs->Eof()) {
      notFound = true;
    } else {
      auto currency = rt::NewDictionary();
      currency->Add("CURRENCYCODE", rt::CStr(rs->Value("CURRENCYCODE")));
      currency->Add("CURRENCYNAME", rt::CStr(rs->Value("CURRENCYNAME")));
      currency->Add("HOMECURRENCY", FlagText(rs->Value("HOMECURRENCY")));
      currency->Add("EURO", FlagText(rs->Value("EURO")));
      currency->Add("EPC", FlagText(rs->Value("EPC")));
      currency->Add("DECIMALS", rt::CStr(rs->Value("DECIMALS")));
      currency->Add("LOCALEID", LocaleValue(rs->Value("LOCALEID")));
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      return currency;
    }
  } catch (...) {
    rt::TrapError();
    const rt::PendingError failure = rt::Err();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    rt::Err() = failure;
    rt::Err().number = ErrorNumber(BrintorError::UnexpectedGetCurrencyAsDict);
    Err_LogAndRaise(" / Brintor.Currency.GetCurrencyAsDict");
  }
  // Not found: raised past the handler, so it reaches the caller unformatted
  // and unlogged; a failing vote must not hide it.
  Sql_CloseRecordset(rs);
  Sql_CloseConnection(cn);
  if (notFound) {
    rt::TryResume([] { Mts_SetAbort(); });
    rt::Err().Clear();
    Err_Raise(ErrorNumber(BrintorError::CurrencyNotFound), "Brintor.Currency.GetCurrencyAsDict",
              "Currency " + rt::Concat(istrCurrencyCode) + " not found", "", 0);
  }
  return nullptr;
}

void Currency::Release() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
}

}  // namespace brintor
