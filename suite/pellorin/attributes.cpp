// The directory's attribute catalogue and value conversions.
#include "suite/pellorin/attributes.h"

#include "interfaces/pellorin.h"
#include "runtime/com_error.h"

namespace pellorin {
namespace {

using T = AttributeType;

AttributeInfo Known(const char* name, AttributeType type, bool multi = false) {
  return AttributeInfo{name, type, multi, true};
}

bool NameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

const char* TypeName(AttributeType type) {
  switch (type) {
    case T::Text: return "text";
    case T::Int16: return "16-bit integer";
    case T::Int32: return "32-bit integer";
    case T::Boolean: return "Boolean";
    case T::Currency: return "currency amount";
    case T::Date: return "date";
  }
  return "value";
}

}  // namespace

const std::vector<AttributeInfo>& KnownAttributes() {
  static const std::vector<AttributeInfo> known = {
      Known("Name", T::Text),
      Known("Surname", T::Text),
      Known("Email", T::Text),
      Known("Language", T::Text),
      Known("Locale", T::Int16),
      Known("AdminOffice", T::Text),
      Known("PurOffice", T::Text),
      Known("AddressID", T::Int32),
      Known("PropertyGroupID", T::Int32),
      Known("BusinessPartnerID", T::Int32),
      Known("BillToBusinessPartnerID", T::Int32),
      Known("FallbackValues", T::Int32, true),
      Known("VYRole", T::Int32, true),
      Known("ProjectRole", T::Text, true),
      Known("ProjectUserType", T::Int16),
      Known("BuyerRole", T::Boolean),
      Known("RequisitionerRole", T::Boolean),
      Known("ApproverRole", T::Boolean),
      Known("FinancialRole", T::Boolean),
      Known("ExternalRole", T::Boolean),
      Known("OutOfOfficeOn", T::Boolean),
      Known("ChargeLines", T::Boolean),
      Known("SpendLimit", T::Currency),
      Known("ApproverLimit", T::Currency),
      Known("LimitForRFQ", T::Currency),
      Known("LimitForContract", T::Currency),
      Known("ReqPrefix", T::Text),
      Known("WhReqPrefix", T::Text),
      Known("CompanyName", T::Text),
      Known("CompanyNumber", T::Text),
      Known("FinancialCompanyAdmin", T::Text),
      Known("FinancialCompanyCardUser", T::Text),
      Known("EmployeeNumber", T::Text),
      Known("RequisitionerManager", T::Text),
      Known("BuyerManager", T::Text),
      Known("CardUserManager", T::Text),
      Known("ApproverManager", T::Text),
      Known("OutOfOfficeApprover", T::Text),
      Known("SubstituteBuyer", T::Text),
      Known("UserCreditCardNumber", T::Text),
      Known("UserCreditCardExpiry", T::Date),
      Known("CreditCardType", T::Int16),
      Known("CostCenter", T::Text),
      Known("RelatedEntry", T::Text),
      // Read by the user details: the user's (or its related entry's)
      // language id, applications, catalogs, dashboards and FAQ visibility.
      Known("LanguageID", T::Int16),
      Known("VYApps", T::Int32, true),
      Known("VYCatalogIDs", T::Int32, true),
      Known("VYDashboardIDs", T::Int32, true),
      Known("EFAQVisibility", T::Int32),
  };
  return known;
}

AttributeInfo DescribeAttribute(std::string_view name) {
  bool valid = !name.empty();
  for (char c : name) valid = valid && NameCharacter(c);
  if (!valid)
    RaiseDirectoryError(eInvalidValue, "Pellorin.Directory", "'" + std::string(name) + "' is not an attribute name");
  if (rt::TextCompare(name, "cn") == 0 || rt::TextCompare(name, "password") == 0)
    RaiseDirectoryError(eInvalidValue, "Pellorin.Directory",
                        "'" + std::string(name) + "' is not an attribute that can be set");
  std::string_view lookup = name;
  if (rt::TextCompare(name, "Roles") == 0) lookup = "VYRole";
  if (rt::TextCompare(name, "ProjectRoles") == 0) lookup = "ProjectRole";
  for (const AttributeInfo& info : KnownAttributes())
    if (rt::TextCompare(info.name, lookup) == 0) return info;
  return AttributeInfo{std::string(name), T::Text, false, false};
}

std::string ToStoredText(const AttributeInfo& info, const rt::Variant& value) {
  try {
    switch (info.type) {
      case T::Text: return rt::CStr(value);
      case T::Int16: return std::to_string(rt::CInt(value));
      case T::Int32: return std::to_string(rt::CLng(value));
      case T::Boolean: return rt::CBool(value) ? "1" : "0";
      case T::Currency: return rt::CStr(rt::Variant(rt::CCur(value)));
      case T::Date: return rt::CStr(rt::Variant(rt::CDate(value)));
    }
  } catch (const rt::ComError&) {
  }
  std::string shown = value.IsArray() ? "an array" : "'" + rt::Concat(value) + "'";
  RaiseDirectoryError(eInvalidValue, "Pellorin.Directory",
                      info.name + ": " + shown + " is not a " + TypeName(info.type));
}

rt::Variant FromStoredText(const AttributeInfo& info, const std::string& text) {
  // Stored texts were written by ToStoredText; a text changed by hand that
  // no longer converts reads as the plain text rather than failing the read.
  try {
    switch (info.type) {
      case T::Text: return rt::Variant(text);
      case T::Int16: return rt::Variant(rt::CInt(rt::Variant(text)));
      case T::Int32: return rt::Variant(rt::CLng(rt::Variant(text)));
      case T::Boolean: return rt::Variant(text == "1" || rt::CBool(rt::Variant(text)));
      case T::Currency: return rt::Variant(rt::CCur(rt::Variant(text)));
      case T::Date: return rt::Variant(rt::CDate(rt::Variant(text)));
    }
  } catch (const rt::ComError&) {
  }
  return rt::Variant(text);
}

rt::Variant UnsetValue(const AttributeInfo& info) {
  switch (info.type) {
    case T::Text: return rt::Variant(std::string());
    case T::Int16:
      // An unset locale answers the suite's default locale.
      return rt::Variant(static_cast<int16_t>(info.name == "Locale" ? 1033 : 0));
    case T::Int32: return rt::Variant(int32_t{0});
    case T::Boolean: return rt::Variant(false);
    case T::Currency: return rt::Variant(rt::Currency{});
    case T::Date: return rt::Variant(rt::Date{});
  }
  return {};
}

std::vector<rt::Variant> ValuesOf(const rt::Variant& value) {
  std::vector<rt::Variant> values;
  if (value.IsArray()) {
    const rt::SafeArray& array = value.AsArray();
    if (array.Dimensions() == 0) return values;
    for (int32_t i = array.LBound(); i <= array.UBound(); ++i)
      if (!array.At(i).IsEmpty() && !array.At(i).IsMissing()) values.push_back(array.At(i));
  } else if (!value.IsEmpty() && !value.IsMissing()) {
    values.push_back(value);
  }
  return values;
}

void RaiseDirectoryError(int32_t number, const std::string& source, const std::string& description) {
  rt::Raise(number, source, description);
}

}  // namespace pellorin
