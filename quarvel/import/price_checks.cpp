// PriceXML: the checks of one price line. The per-value checks take the
// element names in any letter case; the cross-field checks and the currency
// check read the exact names PriceEffectiveDate, PriceExpiryDate, Price,
// DiscountAmount and CurrencyCode, and a name the line lacks reads as Empty
// (day 0, the number 0, the text "") and is added to the line so.
#include "common/method_error.h"
#include "quarvel/import/price_xml.h"
#include "quarvel/import/price_xml_common.h"
#include "quarvel/services/util.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace pricexml;

namespace {

bool isInRangeDbl(double value, double low, double high) { return low <= value && value <= high; }

// The serial of a date value as the date-order check reads it.
double DateSerial(const rt::Variant& value) {
  const rt::Variant date = ReadUSDate(value);
  if (date.IsNull()) rt::RaiseVb(rt::vberr::kTypeMismatch);
  return rt::CDate(date).serial;
}

}  // namespace

std::shared_ptr<rt::Dictionary> PriceXML::getTypeAndRangeErrors(rt::Dictionary& priceValues) {
  try {
    auto errors = rt::NewDictionary();
    bool checkDateOrder = true;
    bool checkPriceOverDiscount = true;
    for (const rt::Dictionary::Entry& entry : priceValues.Entries()) {
      const std::string name = rt::UCase(rt::CStr(entry.key));
      const rt::Variant& value = entry.item;
      if (name == "DISCOUNTAMOUNT" || name == "PRICE" || name == "QUANTITYTO") {
        if (rt::IsNumeric(value)) continue;
        checkPriceOverDiscount = false;
      } else if (name == "FREIGHTCOST") {
        if (rt::IsNumeric(value)) continue;
      } else if (name == "DISCOUNTPERC" || name == "PRICETAXPERCENTAGE") {
        if (rt::IsNumeric(value) && isInRangeDbl(rt::CDbl(value), 0, 100)) continue;
      } else if (name == "PRICEEFFECTIVEDATE" || name == "PRICEEXPIRYDATE") {
        if (IsValidUSDate(rt::CStr(value))) continue;
        checkDateOrder = false;
      } else {
        continue;
      }
      errors->Add(entry.key, value);
    }
    if (checkDateOrder) {
      const rt::Variant expiry = priceValues.Item(rt::Variant("PriceExpiryDate"));
      const rt::Variant effective = priceValues.Item(rt::Variant("PriceEffectiveDate"));
      if (!(DateSerial(expiry) > DateSerial(effective))) {
        errors->Add(rt::Variant("PriceEffectiveDate"), effective);
        errors->Add(rt::Variant("PriceExpiryDate"), expiry);
      }
    }
    if (checkPriceOverDiscount) {
      const rt::Variant price = priceValues.Item(rt::Variant("Price"));
      const rt::Variant discount = priceValues.Item(rt::Variant("DiscountAmount"));
      if (!(rt::CDbl(price) > rt::CDbl(discount))) {
        errors->Add(rt::Variant("DiscountAmount"), discount);
        errors->Add(rt::Variant("Price"), price);
      }
    }
    return errors;
  } catch (...) {
    HandleMethodError(Source("getTypeAndRangeErrors"));
  }
  return nullptr;
}

// The code must be one of the common library's, in the same letter case.
std::shared_ptr<rt::Dictionary> PriceXML::GetPriceRuleErrors(rt::Dictionary& priceValues) {
  try {
    const std::string code = rt::CStr(priceValues.Item(rt::Variant("CurrencyCode")));
    auto errors = rt::NewDictionary();
    if (!Currencies().Exists(rt::Variant(code))) errors->Add(rt::Variant("CurrencyCode"), rt::Variant(code));
    return errors;
  } catch (...) {
    HandleMethodError(Source("GetPriceRuleErrors"));
  }
  return nullptr;
}

// The currency fault first, then the others that name another field.
std::shared_ptr<rt::Dictionary> PriceXML::getErrorFields(rt::Dictionary& priceValues) {
  try {
    std::shared_ptr<rt::Dictionary> errors = GetPriceRuleErrors(priceValues);
    std::shared_ptr<rt::Dictionary> others = getTypeAndRangeErrors(priceValues);
    for (const rt::Dictionary::Entry& entry : others->Entries()) {
      if (!errors->Exists(entry.key)) errors->Add(entry.key, entry.item);
    }
    return errors;
  } catch (...) {
    HandleMethodError(Source("getErrorFields"));
  }
  return nullptr;
}

bool PriceXML::isValidPrice(rt::Dictionary& priceValues) {
  const bool typesAndRanges = getTypeAndRangeErrors(priceValues)->Count() == 0;
  return GetPriceRuleErrors(priceValues)->Count() == 0 && typesAndRanges;
}

}  // namespace quarvel
