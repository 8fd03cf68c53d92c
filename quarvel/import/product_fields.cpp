// ProductXML: the rules of the product fields that are checked against the
// catalog and the master data. The checks for the caller (product_checks.cpp)
// and the values made ready for writing (product_values.cpp) both walk this
// one table, so a field is judged alike by both.
#include "quarvel/import/product_xml.h"
#include "quarvel/services/util.h"

namespace quarvel {

using namespace productxml;

const ProductXML::FieldRule* ProductXML::FieldRuleOf(const std::string& name) {
  using Values = const rt::Dictionary&;
  using Value = const rt::Variant&;
  static constexpr const char* kText = "STRING";
  // The checks shared by several fields.
  static constexpr FieldCheck kUsDate = [](ProductXML&, Values, Value value) { return IsValidUSDate(rt::CStr(value)); };
  static constexpr FieldCheck kNumeric = [](ProductXML&, Values, Value value) { return rt::IsNumeric(value); };

  static const FieldRule kRules[] = {
      // Each id in order; the first that is no buyer ends the test.
      {"BUYERID",
       [](ProductXML& self, Values, Value value) {
         for (const std::string& piece : ListEntries(rt::CStr(value), self.EffectiveSeparator())) {
           const std::string id = rt::Trim(piece);
           if (!id.empty() && !self.IsBuyer(id)) return false;
         }
         return true;
       },
       FieldUse::kBuyerList},
      {"COMMODITYCODE",
       [](ProductXML& self, Values, Value value) {
         return self.Exists("COMMODITY", {"COMMODITYCODE"}, {value}, {kText});
       },
       FieldUse::kKeepWhenValid},
      // A unit is known by its description or by its code; both are asked.
      {"UNITCODE",
       [](ProductXML& self, Values, Value value) {
         const bool byDescription = self.Exists("UNIT", {"UNITDESCRIPTION"}, {value}, {kText});
         const bool byCode = self.Exists("UNIT", {"UNITCODE"}, {value}, {kText});
         return byDescription || byCode;
       },
       FieldUse::kUnitCode},
      // The two halves of a contract line are each checked with the other
      // as the product holds it; without the other half there is no line.
      {"CONTRACTCODE",
       [](ProductXML& self, Values values, Value value) {
         const rt::Variant* number = values.Find(rt::Variant("NUMBER"));
         return number && self.ContractLineExists(value, *number);
       },
       FieldUse::kKeepWhenValid},
      {"NUMBER",
       [](ProductXML& self, Values values, Value value) {
         const rt::Variant* code = values.Find(rt::Variant("CONTRACTCODE"));
         return code && self.ContractLineExists(*code, value);
       },
       FieldUse::kKeepWhenValid},
      {"BUSINESSID",
       [](ProductXML& self, Values, Value value) { return self.PartnerIdOf(rt::CStr(value)) != -1; },
       FieldUse::kPartnerId},
      {"PRODUCTEFFECTIVITYDATE", kUsDate, FieldUse::kKeepWhenValid},
      {"PRODUCTEXPIRYDATE", kUsDate, FieldUse::kKeepWhenValid},
      {"MINORDERQTY", kNumeric, FieldUse::kKeepWhenValid},
      {"MULTIPLEOF", kNumeric, FieldUse::kKeepWhenValid},
      {"GTIN", kNumeric, FieldUse::kKeepWhenValid},
      {"LOTSIZE", kNumeric, FieldUse::kKeepWhenValid},
      {"DELIVERYLEADTIME", kNumeric, FieldUse::kKeepWhenValid},
      {"MULTIPLEBUYER", [](ProductXML&, Values, Value value) { return IsZeroOrOne(value); },
       FieldUse::kKeepWhenValid},
      {kSeparatorField,
       [](ProductXML&, Values, Value value) { return IsOneOf(rt::CStr(value), {"\\", "/", "\"", ";", ","}); },
       FieldUse::kSeparator},
      {"UNSPSCCODE",
       [](ProductXML& self, Values, Value value) {
         return !self.UnspscImplemented() || self.UnspscPairExists(rt::CStr(value));
       },
       FieldUse::kKeepWhenValid},
      {"CLASSCODE",
       [](ProductXML& self, Values, Value value) {
         return self.Exists("HAZARDOUSCLASS", {"CLASSCODE"}, {value}, {kText});
       },
       FieldUse::kKeepWhenValid},
  };
  for (const FieldRule& rule : kRules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

}  // namespace quarvel
