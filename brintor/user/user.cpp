// User: registration, the attribute resolution rule with its office
// fallback, the cached directory user and office, and the class's own
// connection to the common database.
#include "brintor/user/user.h"

#include <utility>

#include "brintor/user/directory_access.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/lib_userlib.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/context.h"

namespace brintor {

namespace {

// What a null office column becomes, by type code.
enum NullAs { kFalse = 1, kEmpty = 2, kZero = 3, kMinusOne = 4, kEmptyText = 5 };

// The office columns in the order OfficeProperties holds them.
constexpr std::pair<const char*, NullAs> kOfficeColumns[] = {
    {"OFFICEDESCRIPTION", kEmptyText}, {"ADDRESSID", kMinusOne},
    {"BIS_BISID", kMinusOne},          {"BUSINESSPARTNERID", kMinusOne},
    {"CURRENCYCODE", kEmptyText},      {"OFFICETYPE", kMinusOne},
    {"CREDITCARDNUMBER", kEmptyText},  {"CREDITCARDEXPIRY", kEmpty},
    {"CREDITCARDTYPE", kMinusOne},     {"COSTCENTER", kEmptyText},
    {"WAREHOUSE", kEmptyText},         {"SHIPTOCONTACTINFORMATION", kEmptyText},
    {"FINANCIALDIMENSION1", kEmptyText}, {"FINANCIALDIMENSION2", kEmptyText},
    {"FINANCIALDIMENSION3", kEmptyText}, {"FINANCIALDIMENSION4", kEmptyText},
    {"FINANCIALDIMENSION5", kEmptyText}, {"PROJECTPROP", kMinusOne},
    {"PLANPROP", kMinusOne},           {"EXTENSIONPROP", kMinusOne},
    {"COSTCOMPONENTPROP", kMinusOne},  {"ACTIVITYPROP", kMinusOne},
    {"ELEMENTPROP", kMinusOne},        {"PROPERTYGROUPID", kMinusOne},
};

void setDictionaryValue(rt::Dictionary& dictionary, const std::string& key, const rt::Variant& value,
                        int typeCode) {
  rt::Variant stored = value;
  if (value.IsNull()) {
    switch (typeCode) {
      case kFalse: stored = rt::Variant(false); break;
      case kZero: stored = rt::Variant(0.0); break;
      case kMinusOne: stored = rt::Variant(int16_t{-1}); break;
      case kEmptyText: stored = rt::Variant(""); break;
      default: stored = rt::Variant(); break;
    }
  }
  dictionary.Add(rt::Variant(key), stored);
}

// Whether a directory value counts as set: it differs from the unset marker
// as VB's "=" decides (texts binary, a number never equals a text, Empty
// equals 0 and ""), and Null equals nothing.
bool DiffersFromMarker(const rt::Variant& value, const rt::Variant& marker) {
  return !rt::VbEquals(value, marker);
}

}  // namespace

rt::ClassInfo UserClass() {
  return rt::ClassInfo{"Brintor.User", "", rt::TransactionAttribute::NotSupported,
                       [] { return rt::ObjectPtr(std::make_shared<User>()); }};
}

rt::Variant User::GetUserField(const std::string& userId, const std::string& label, bool officeFallback,
                               const rt::Variant& defaultValue, const rt::Variant& directoryValue,
                               const rt::Variant& unsetMarker) {
  try {
    if (DiffersFromMarker(directoryValue, unsetMarker)) return directoryValue;
    if (!officeFallback) return defaultValue;
    rt::Variant fallback = Element0(GetAUObject(userId)->GetProperty("FallbackValues"));
    if (!fallback.IsEmpty()) return fallback;
    std::string id = userId;
    const std::string office = GetAdminOffice(id);
    if (office.empty()) return defaultValue;
    return getOfficeField(office, label);
  } catch (...) {
    HandleMethodError("Brintor.User.GetUserField User: " + userId + " Field:" + label);
  }
  return {};
}

rt::Variant User::getOfficeField(const std::string& office, const std::string& column) {
  try {
    if (office.empty()) return {};
    if (office != officeDescription_ || !officeProperties_) {
      auto properties = getOfficeProperties(office);
      officeProperties_ = std::move(properties);
      officeDescription_ = office;
    }
    const rt::Variant* value = officeProperties_->Find(rt::Variant(column));
    return value ? *value : rt::Variant();
  } catch (...) {
    HandleMethodError("Brintor.User.getOfficeField Field: " + column + " Office: " + office);
  }
  return {};
}

std::shared_ptr<rt::Dictionary> User::getOfficeProperties(const std::string& office) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = cn->Execute("select * from OFFICE where OFFICEDESCRIPTION='" + Gen_SqlQuote(office) + "'");
    auto properties = rt::NewDictionary();
    if (rs->Eof()) {
      // No such office: every key but PROPERTYGROUPID, texts and the expiry empty, numbers -1.
      for (const auto& [key, nullAs] : kOfficeColumns) {
        if (std::string_view(key) == "PROPERTYGROUPID") continue;
        properties->Add(rt::Variant(key), nullAs == kMinusOne ? rt::Variant(int16_t{-1}) : rt::Variant(""));
      }
    } else {
      for (const auto& [key, nullAs] : kOfficeColumns) setDictionaryValue(*properties, key, rs->Value(key), nullAs);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return properties;
  } catch (...) {
    HandleMethodError("Brintor.User.getOfficeProperties", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

rt::ObjectPtr User::GetAUObject(const std::string& userId) { return directoryUser_.Get(userId); }

// No handler of its own: a failure to find the string or to open reaches the
// calling method's handler as it came. The connection is opened here, so a
// database that cannot be opened is reported at once rather than at the
// connection's first use.
std::shared_ptr<data::Connection> User::getConnection() {
  std::string connectionString = Sql_CommonConnectionString("");
  auto cn = data::Connection::New();
  cn->Open(connectionString);
  return cn;
}

std::string User::ConnectionString() {
  return Sql_CommonConnectionString("Brintor.User.ConnectionString", false);
}

rt::Variant User::ResolvedProperty(std::string& userId, const char* property, const char* label,
                                   bool officeFallback, const rt::Variant& defaultValue,
                                   const rt::Variant& unsetMarker) {
  rt::Variant value = GetAUObject(userId)->GetProperty(property);
  return GetUserField(userId, label, officeFallback, defaultValue, value, unsetMarker);
}

rt::Variant User::AdminOfficeField(std::string& userId, const char* column) {
  const std::string office = GetAdminOffice(userId);
  return getOfficeField(office, column);
}

std::string User::GetAdminOffice(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "AdminOffice", "ADMINOFFICE", false, "", ""));
}

bool User::CheckUserExists(std::string& iUserID) {
  rt::ContextScope scope(*this);
  try {
    std::string id = iUserID;
    rt::ObjectPtr user = UL_CreateUO(id);
    return user != nullptr;
  } catch (...) {
    // Already logged by the binding; the answer is simply no.
    rt::Err().Clear();
    return false;
  }
}

void User::Release() {
  rt::ContextScope scope(*this);
  Mts_SetComplete();
}

}  // namespace brintor
