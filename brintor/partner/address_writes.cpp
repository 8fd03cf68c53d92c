// BusinessPartner: linking an existing address to a partner and creating a
// new address from an address dictionary. No business rule runs here; the
// row and its link are written in the caller's transaction.
#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

namespace {

std::string LinkSql(int32_t partnerId, int32_t addressId) {
  return "INSERT INTO BUSINESSPARTNERADDRESS (BUSINESSPARTNERID, ADDRESSID) VALUES (" + std::to_string(partnerId) +
         ", " + std::to_string(addressId) + ")";
}

// An item that VB's "= Empty" calls unassigned: Empty, empty text, 0, False.
bool IsUnassigned(const rt::Variant& item) {
  if (item.IsEmpty()) return true;
  if (item.IsString()) return item.Get<std::string>()->empty();
  if (item.IsNumericType()) return rt::CDbl(item) == 0;
  if (const bool* b = item.Get<bool>()) return !*b;
  return false;
}

}  // namespace

int32_t BusinessPartner::PartnerForLink(const rt::Variant& iBPID) {
  LoadIfGiven(iBPID);
  // Without a loaded partner the link would name partner -1 (or 0 on an
  // object that was never activated): refuse it instead of writing a link
  // to nobody.
  if (loadedId_ <= 0)
    rt::Raise(kBrintorBusinessPartnerNotFound, kClassSource,
              "No BusinessPartner is loaded to link the address to");
  return loadedId_;
}

bool BusinessPartner::AddExistingAddress(int32_t& iAddressID, const rt::Variant& iBPID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  try {
    const int32_t partnerId = PartnerForLink(iBPID);
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    connection->Execute(LinkSql(partnerId, iAddressID));
    Sql_CloseConnection(connection);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.AddExistingAddress", [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return false;
}

int32_t BusinessPartner::AddNewAddressRow(const char* method, std::shared_ptr<rt::Dictionary>& iAddress,
                                          const rt::Variant& iBPID) {
  std::shared_ptr<data::Connection> connection;
  try {
    const int32_t partnerId = PartnerForLink(iBPID);
    if (!iAddress) rt::RaiseVb(rt::vberr::kObjectNotSet);
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    auto rs = data::Recordset::New();
    rs->Open(
        "SELECT ADDRESSID, COUNTRYCODE, NAME1, NAME2, STREET1, STREET2, CITY1, CITY2, STATEPROVINCE, ZIPCODE, PHONE, "
        "FAX, SHORTDESCRIPTION FROM ADDRESS",
        connection, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    std::shared_ptr<rt::Dictionary> columns = Fieldnames();
    for (const rt::Dictionary::Entry& entry : iAddress->Entries()) {
      if (entry.item.IsNull() || IsUnassigned(entry.item)) continue;
      // A key that names no address field gives no column name: the
      // recordset refuses it, and the call fails through the handler.
      const rt::Variant* column = columns->Find(entry.key);
      rs->SetValue(column ? rt::CStr(*column) : std::string(), entry.item);
    }
    rs->Update();
    const int32_t addressId = rt::CLng(rs->Value("ADDRESSID"));
    rs->Close();
    connection->Execute(LinkSql(partnerId, addressId));
    Sql_CloseConnection(connection);
    Mts_SetComplete();
    return addressId;
  } catch (...) {
    HandleMethodError(std::string(kClassSource) + "." + method, [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return 0;
}

bool BusinessPartner::AddNewAddress(std::shared_ptr<rt::Dictionary>& iAddress, const rt::Variant& iBPID) {
  rt::ContextScope scope(*this);
  AddNewAddressRow("AddNewAddress", iAddress, iBPID);
  return true;
}

int32_t BusinessPartner::AddNewAddressEx(std::shared_ptr<rt::Dictionary>& iAddress, const rt::Variant& iBPID) {
  rt::ContextScope scope(*this);
  return AddNewAddressRow("AddNewAddressEx", iAddress, iBPID);
}

}  // namespace brintor
