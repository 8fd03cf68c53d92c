// PriceXML: the product of a part number, on the connection the object
// keeps for its life, and the currency codes its checks accept.
#include "common/lib_general.h"
#include "common/method_error.h"
#include "data/command.h"
#include "data/recordset.h"
#include "quarvel/import/import_xml.h"
#include "quarvel/import/price_xml.h"
#include "quarvel/import/price_xml_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace pricexml;

// The connection opens on the first lookup, READ COMMITTED, and stays open
// (a failed lookup leaves it for the next).
rt::Variant PriceXML::getProductNameOrID(const std::string& partNumber, bool nameFlag) {
  try {
    if (!connection_) connection_ = getConnection(true);
    auto command = data::Command::New();
    command->SetActiveConnection(connection_);
    command->SetCommandText(nameFlag ? import::kDescriptionQuery : import::kIdQuery);
    const std::vector<rt::Variant> values{rt::Variant(partNumber)};
    std::shared_ptr<data::Recordset> rs = command->Execute(nullptr, &values);
    if (rs->Eof()) return nameFlag ? rt::Variant("") : rt::Variant::Null();
    const rt::Variant value = rs->Value(int32_t{0});
    // A Null description counts as none.
    return rt::Variant(nameFlag ? rt::Concat(value) : rt::CStr(value));
  } catch (...) {
    HandleMethodError(Source("getProductNameOrID"));
  }
  return {};
}

void PriceXML::ReadCurrencies() {
  rt::ObjectPtr currency = Gen_GetComponent("Brintor.Currency");
  auto codes = std::dynamic_pointer_cast<rt::Dictionary>(currency->Call("GetCurrenciesInDictionary").AsObject());
  if (!codes) rt::RaiseVb(rt::vberr::kTypeMismatch);
  currencies_ = std::move(codes);
}

// Checks that run before GetCheckedPriceList on this object (the error
// report, the import) read the codes here rather than find none.
const rt::Dictionary& PriceXML::Currencies() {
  if (!currencies_) ReadCurrencies();
  return *currencies_;
}

}  // namespace quarvel
