// ProductXML: the import's own writers of the PRODUCT row and of the
// product's buyers. They take a row as parallel names and values, as the
// product object's writers do, with the import's rules: no referential
// check and no vote; MINORDERQTY and MULTIPLEOF 0 become 1, LOTSIZE and
// DELIVERYLEADTIME -1 become Null; USERID carries a buyer list, of which
// the column takes the first id and PRODUCTBUYER all of them; a GTIN longer
// than 14 characters is kept on update too. Numbers are compared as
// numbers ("0.0" is 0).
#include <functional>

#include "common/lib_general.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/import/product_writer.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_calls.h"
#include "quarvel/import/product_xml_common.h"
#include "quarvel/reference/unspsc_lib.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace productxml;

namespace {

constexpr int32_t kGtinLength = 14;
constexpr int32_t kLongestRemark = 255;

// GTIN: blank is Null, else prefixed with "0" up to 14 characters (a
// longer one stays as it is).
void PadGtin(rt::Variant& value) {
  emptyToNull(value);
  if (value.IsNull()) return;
  const std::string gtin = rt::CStr(value);
  const int32_t length = rt::Len(gtin);
  if (length < kGtinLength) value = rt::Variant(std::string(kGtinLength - length, '0') + gtin);
}

// The code as the relinking takes it: "" for Null.
std::string CodeText(const rt::Variant& code) { return code.IsNull() || code.IsEmpty() ? "" : rt::CStr(code); }

// What the writers remember of the values they treat.
struct RowState {
  rt::Variant unspscCode = rt::Variant::Null();
  bool groupGiven = false;
  int32_t group = 0;
  std::optional<std::string> buyers;  // the buyer list USERID carried
};

enum class Treated { kAssign, kSkip, kRefused };

// The rules both writers share; `insert` adds the insert's own checks.
// `separator` answers the separator of buyer lists, asked only for one.
Treated Treat(const std::string& name, rt::Variant& value, RowState& state,
              const std::function<const std::string&()>& separator, bool insert) {
  if (IsOneOf(name, {"LOTSIZE", "DELIVERYLEADTIME", "NUMBER", "BUSINESSPARTNERID"})) {
    if (NumberEquals(value, -1)) value = rt::Variant::Null();
  } else if (name == "MINORDERQTY" || name == "MULTIPLEOF") {
    if (NumberEquals(value, 0)) value = rt::Variant(int32_t{1});
  } else if (name == "USERID") {
    emptyToNull(value);
    if (value.IsNull()) return Treated::kAssign;
    state.buyers = rt::CStr(value);
    const std::vector<std::string> ids = ListEntries(*state.buyers, separator());
    if (ids.empty()) return Treated::kSkip;
    value = rt::Variant(ids.front());
  } else if (name == "PROPERTYGROUPID") {
    state.group = rt::CLng(value);
    state.groupGiven = true;
    if (NumberEquals(value, -1)) value = rt::Variant::Null();
  } else if (name == "GTIN") {
    PadGtin(value);
  } else if (name == "UNSPSCCODE") {
    if (insert) {
      emptyToNull(value);
    } else if (value.IsString() && value.Get<std::string>()->empty()) {
      value = rt::Variant::Null();
    }
    state.unspscCode = value;
  } else if (insert) {
    if (IsOneOf(name, {"UNITCODE", "CLASSCODE", "COMMODITYCODE", "CONTRACTCODE", "PRICINGMETHOD", "MANUFACTURERID",
                       "IMAGEFILENAME", "TECHNICALIMAGE", "URL", "PRODUCTXML", "DISABLED", "CONFIGURABLE",
                       "BUYFROMPARTNUMBER", "BUYFROMCONTACTEMAIL", "MULTIPLEBUYER", "MFRPARTNUMBER"})) {
      emptyToNull(value);
    } else if (name == "PRODUCTDESCRIPTION" || name == "PARTNUMBER") {
      if (rt::CStr(value).empty()) return Treated::kRefused;
    } else if (name == "PRODUCTREMARK" || name == "BUYFROMCONTACTINFO") {
      if (!value.IsNull()) {
        const std::string text = rt::CStr(value);
        if (text.empty()) value = rt::Variant::Null();
        if (rt::Len(text) > kLongestRemark) return Treated::kRefused;
      }
    } else if (name == "PRODUCTEFFECTIVITYDATE" || name == "PRODUCTEXPIRYDATE") {
      const std::string text = rt::Concat(value);
      if (text == "-1") return Treated::kRefused;
      if (text.empty()) value = rt::Variant::Null();
    }
  } else {
    if (IsOneOf(name, {"COMMODITYCODE", "UNITCODE", "CLASSCODE", "MANUFACTURERID", "MULTIPLEBUYER", "MFRPARTNUMBER"})) {
      emptyToNull(value);
    } else if (name == "PRICINGMETHOD") {
      if (value.IsString() && value.Get<std::string>()->empty()) value = rt::Variant::Null();
    }
  }
  return Treated::kAssign;
}

}  // namespace

// Field checks that fail answer -1 and write nothing, without an error.
int32_t ProductXML::Insert20(const std::vector<std::string>& fields, std::vector<rt::Variant> values) {
  data::Recordset* record = nullptr;
  try {
    const auto separator = [this]() -> const std::string& { return EffectiveSeparator(); };
    record = &writer_->Adder("PRODUCT");
    record->AddNew();
    RowState state;
    for (size_t i = 0; i < fields.size(); ++i) {
      const Treated treated = Treat(fields[i], values[i], state, separator, true);
      if (treated == Treated::kRefused) {
        record->CancelUpdate();
        return -1;
      }
      if (treated == Treated::kAssign) record->SetValue(fields[i], values[i]);
    }
    record->SetValue("DATEUPDATED", rt::Variant(LocalNow()));
    record->Update();
    writer_->RowAdded();
    const int32_t productId = rt::CLng(record->Value("PRODUCTID"));
    const bool hasGroup = !record->Value("PROPERTYGROUPID").IsNull();
    record = nullptr;
    if (state.buyers && !state.buyers->empty()) WriteBuyers(rt::Variant(productId), rt::Variant(*state.buyers));
    if (hasGroup) {
      writer_->CommitOpenGroup();
      UpdateGroupChange(state.group, productId);
    }
    if (UnspscImplemented()) Relink(productId, "", CodeText(state.unspscCode), true);
    return productId;
  } catch (...) {
    HandleMethodError(Source("Insert20"), [&] {
      if (record) rt::TryResume([&] { record->CancelUpdate(); });
    });
  }
  return -1;
}

// Every update rewrites the product's buyers: those of the list when its
// MULTIPLEBUYER is True, none otherwise (and none when no USERID is given).
// Without UNSPSCCODE among the names the product keeps its code and its
// categories.
bool ProductXML::Update20(int32_t productId, const std::vector<std::string>& fields, std::vector<rt::Variant> values) {
  try {
    const rt::Variant id(productId);
    std::shared_ptr<data::Recordset> old =
        writer_->Query("SELECT PROPERTYGROUPID, UNSPSCCODE FROM PRODUCT WHERE PRODUCTID = ?", {id});
    if (old->Eof()) rt::Raise(kProductNotFound, Source("Update20"), kProductNotPresent);
    const rt::Variant oldGroup = old->Value(int32_t{0});
    const rt::Variant oldCode = old->Value(int32_t{1});

    const auto separator = [this]() -> const std::string& { return EffectiveSeparator(); };
    RowState state;
    state.unspscCode = oldCode;
    std::vector<std::pair<int32_t, rt::Variant>> assigned;
    auto assign = [&](int32_t column, rt::Variant value) {
      for (auto& [c, v] : assigned) {
        if (c == column) {
          v = std::move(value);
          return;
        }
      }
      assigned.emplace_back(column, std::move(value));
    };
    rt::Variant newGroupValue = oldGroup;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (Treat(fields[i], values[i], state, separator, false) == Treated::kSkip) continue;
      if (fields[i] == "PRODUCTID") continue;
      const int32_t column = writer_->ProductColumn(fields[i]);
      if (fields[i] == "PROPERTYGROUPID") newGroupValue = values[i];
      assign(column, writer_->FitToProductColumn(column, values[i]));
    }
    assign(writer_->ProductColumn("DATEUPDATED"), rt::Variant(LocalNow()));

    std::string sql = "UPDATE PRODUCT SET ";
    std::vector<rt::Variant> parameters;
    for (const auto& [column, value] : assigned) {
      sql += (parameters.empty() ? "" : ", ") + writer_->ProductColumnName(column) + " = ?";
      parameters.push_back(value);
    }
    parameters.push_back(id);
    writer_->Write(sql + " WHERE PRODUCTID = ?", parameters);

    WriteBuyers(id, rt::Variant(state.buyers.value_or("")));

    if (state.groupGiven && state.group != (oldGroup.IsNull() ? 0 : rt::CLng(oldGroup))) {
      if (newGroupValue.IsNull()) {
        writer_->Write("DELETE FROM PRODUCTPROPVALUE WHERE PRODUCTID = ?", {id});
      } else {
        writer_->CommitOpenGroup();
        UpdateGroupChange(state.group, productId);
      }
    }
    if (UnspscImplemented()) Relink(productId, CodeText(oldCode), CodeText(state.unspscCode), false);
    return true;
  } catch (...) {
    HandleMethodError(Source("Update20"));
  }
  return false;
}

// The relinking writes on the call's write session, inside its open group,
// so the links are committed with the product's rows; a code without
// product categories (nor the old one) changes no link and is passed over.
void ProductXML::Relink(int32_t productId, const std::string& previousCode, const std::string& newCode,
                        bool newRow) {
  if (previousCode == newCode) return;
  const bool leaves = !previousCode.empty() && CodeHasCategories(previousCode);
  const bool joins = !newCode.empty() && CodeHasCategories(newCode);
  if (!leaves && !joins) return;
  UNSPSCLib::OnCallersConnection onGroup(writer_->Connection());
  UNSPSCLib::UpdateProductLinksForUNSPSCCode(productId, previousCode, newCode, newRow);
}

// The id goes into no statement as text: it must be a number.
bool ProductXML::WriteBuyers(const rt::Variant& productId, const rt::Variant& users) {
  try {
    if (!IsNumberValue(productId)) rt::RaiseVb(rt::vberr::kTypeMismatch);
    std::shared_ptr<data::Recordset> product = writer_->Query(
        "SELECT PRODUCTID, MULTIPLEBUYER FROM PRODUCT WHERE PRODUCTID = ?", {rt::Variant(rt::CDbl(productId))});
    if (product->Eof()) rt::Raise(kProductNotFound, Source("InsertUpdateMultipleBuyer"), kProductNotPresent);
    const rt::Variant id = product->Value(int32_t{0});
    // A product whose MULTIPLEBUYER is Null has no buyers of its own.
    const rt::Variant multiple = product->Value(int32_t{1});
    writer_->Write("DELETE FROM PRODUCTBUYER WHERE PRODUCTID = ?", {id});
    if (!multiple.IsNull() && rt::CBool(multiple)) {
      const std::string& separator = EffectiveSeparator();
      for (const std::string& user : ListEntries(rt::Concat(users), separator))
        writer_->Write("INSERT INTO PRODUCTBUYER (PRODUCTID, USERID) VALUES (?, ?)", {id, rt::Variant(user)});
    }
    return true;
  } catch (...) {
    HandleMethodError(Source("InsertUpdateMultipleBuyer"));
  }
  return false;
}

bool ProductXML::InsertUpdateMultipleBuyer(const rt::Variant& i_lProductID, const rt::Variant& sUserid) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  WritingCall writing(*this);
  try {
    WriteBuyers(i_lProductID, sUserid);
  } catch (...) {
    writing.CommitAfterFailure();
    throw;
  }
  try {
    writing.Commit();
    return true;
  } catch (...) {
    HandleMethodError(Source("InsertUpdateMultipleBuyer"));
  }
  return false;
}

}  // namespace quarvel
