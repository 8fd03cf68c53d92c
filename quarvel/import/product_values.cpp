// ProductXML: one product's values made ready for writing. Invalid values
// are dropped, codes become the ids and codes the tables keep, texts are
// cut to their columns (counting characters), and every other field (a
// property) to 30 characters of name and value. The caller compares the
// count of entries before and after to learn whether anything was dropped.
#include <set>
#include <unordered_map>
#include <vector>

#include "common/method_error.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_common.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace productxml;

namespace {

// The width a text column's value is cut to, 0 for other fields.
int32_t ColumnWidth(const std::string& name) {
  static const std::unordered_map<std::string, int32_t> widths{
      {"PARTNUMBER", 50},         {"MFRPARTNUMBER", 50},  {"PRODUCTDESCRIPTION", 255}, {"PRODUCTREMARK", 255},
      {"IMAGEFILENAME", 255},     {"TECHNICALIMAGE", 255}, {"URL", 255},               {"PRODUCTXML", 255},
      {"BUYFROMCONTACTINFO", 255}, {"BUYFROMCONTACTEMAIL", 30}, {"CLASSIFICATION", 32},
  };
  auto it = widths.find(name);
  return it == widths.end() ? 0 : it->second;
}

// Cuts the entry's text to `width` characters; a cut entry moves to the end.
void truncateValue(rt::Dictionary& values, const rt::Variant& key, const std::string& text, int32_t width) {
  if (rt::Len(text) <= width) return;
  values.Remove(key);
  values.Add(key, rt::Variant(Left(text, width)));
}

}  // namespace

// The walk follows the fields as they were when it began; a field that a
// conversion has replaced meanwhile (BUSINESSID onto BUSINESSPARTNERID,
// BUYERID onto USERID) is not treated again.
void ProductXML::getValidatedProductValues(rt::Dictionary& values) {
  try {
    if (values.Count() > kMostEntries) rt::RaiseVb(rt::vberr::kOverflow);
    if (values.Count() > 0) UnspscImplemented();
    std::vector<rt::Variant> keys;
    // The document position of the field each name holds now: of two
    // properties whose names agree in their first 30 characters the later
    // one wins.
    std::unordered_map<std::string, size_t> origin;
    for (const rt::Dictionary::Entry& entry : values.Entries()) {
      origin[rt::CStr(entry.key)] = keys.size();
      keys.push_back(entry.key);
    }
    std::set<std::string> replaced;
    auto convertOnto = [&](const char* name, const rt::Variant& value) {
      const rt::Variant key(name);
      if (values.Exists(key)) {
        values.Remove(key);
        replaced.insert(name);
      }
      values.Add(key, value);
    };

    for (size_t position = 0; position < keys.size(); ++position) {
      const rt::Variant& key = keys[position];
      const std::string keyText = rt::CStr(key);
      if (replaced.count(keyText) || !values.Exists(key)) continue;
      const rt::Variant value = values.Item(key);
      const std::string name = rt::UCase(keyText);
      const FieldRule* rule = FieldRuleOf(name);
      bool keep = true;
      if (!rule) {
        if (const int32_t width = ColumnWidth(name)) {
          truncateValue(values, key, rt::Concat(value), width);
          continue;
        }
        // A property: name and value cut to 30 characters.
        const std::string text = rt::Concat(value);
        if (rt::Len(keyText) > kPropertyWidth || rt::Len(text) > kPropertyWidth) {
          const std::string cutName = Left(keyText, kPropertyWidth);
          const rt::Variant cutKey(cutName);
          values.Remove(key);
          if (values.Exists(cutKey)) {
            // The field of the document's later position wins.
            if (origin[cutName] > position) continue;
            values.Remove(cutKey);
          }
          values.Add(cutKey, rt::Variant(Left(text, kPropertyWidth)));
          origin[cutName] = position;
        }
        continue;
      }
      switch (rule->use) {
        case FieldUse::kKeepWhenValid:
          keep = rule->valid(*this, values, value);
          break;
        case FieldUse::kUnitCode: {
          // A unit given by its description becomes its code.
          const std::string code = UnitCodeOf(rt::CStr(value));
          values.Remove(key);
          if (!code.empty()) values.Add(key, rt::Variant(code));
          break;
        }
        case FieldUse::kPartnerId: {
          // An unknown business id is handed on as -1, which the writer stores as Null.
          const int32_t partner = PartnerIdOf(rt::CStr(value));
          values.Remove(key);
          convertOnto("BUSINESSPARTNERID", rt::Variant(std::to_string(partner)));
          break;
        }
        case FieldUse::kBuyerList: {
          // USERID: each id after one separator (";" while the object has
          // none), trimmed and cut to 30 characters; empty ones left out.
          const std::string separator = separator_.empty() ? std::string(kDefaultSeparator) : separator_;
          std::string list;
          for (const std::string& piece : ListEntries(rt::CStr(value), separator)) {
            const std::string id = rt::Trim(piece);
            if (!id.empty()) list += separator + Left(id, kPropertyWidth);
          }
          values.Remove(key);
          convertOnto("USERID", rt::Variant(list));
          break;
        }
        case FieldUse::kSeparator:
          // Kept whatever it holds: the object splits its buyer lists at it.
          separator_ = rt::CStr(value);
          if (separator_.empty()) separator_ = kDefaultSeparator;
          break;
      }
      if (!keep) values.Remove(key);
    }
  } catch (...) {
    HandleMethodError(Source("getValidatedProductValues"));
  }
}

}  // namespace quarvel
