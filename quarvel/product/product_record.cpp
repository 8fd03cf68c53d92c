// Product: the product record (PRODUCT) and its maintenance. Insert20 and
// Update20 take a row as parallel arrays of column names and values, test
// the names they know exactly (letter case counts) and assign every value to
// the column of its name in any letter case; Insert and Update are their
// fixed-argument forms. A product's property group gets its default values
// through Quarvel.PropertyGroup, and, when the configuration switches it on,
// the product follows its UNSPSC code into the matching categories.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "quarvel/reference/unspsc_lib.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

namespace {

constexpr const char* kProductRefused =
    "The product record you are trying to insert has an invalid reference to another record";

constexpr int32_t kGtinLength = 14;

// The null-able value as a relinking code: "" for Null.
std::string CodeText(const rt::Variant& code) { return code.IsNull() ? std::string() : rt::CStr(code); }

// Asks the checker about the record's supplier and default buyer.
void CheckProductReferences(data::Recordset& record) {
  const rt::Variant names(rt::SafeArray::From({rt::Variant("BUSINESSPARTNERID"), rt::Variant("USERID")}));
  const rt::Variant values(rt::SafeArray::From({record.Value("BUSINESSPARTNERID"), record.Value("USERID")}));
  if (!CheckerAllowsInsert("PRODUCT", names, values)) RaiseRefused(kProductRefused);
}

// The GTIN prefixed with "0" characters up to 14.
std::string PaddedGtin(const std::string& gtin, bool refuseLonger) {
  const int32_t length = rt::Len(gtin);
  if (length > kGtinLength && refuseLonger) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  return length >= kGtinLength ? gtin : std::string(kGtinLength - length, '0') + gtin;
}

// The names and values of the fixed-argument forms, as parallel arrays.
rt::Variant FixedNames() {
  return rt::Variant(
      rt::SafeArray::From({"UNITCODE", "PROPERTYGROUPID", "MANUFACTURERID", "PARTNUMBER", "PRODUCTDESCRIPTION",
                           "CONFIGURABLE", "PRODUCTREMARK", "IMAGEFILENAME", "URL"}));
}
rt::Variant FixedValues(const std::string& unitCode, int32_t propGroupId, const std::string& manId,
                        const std::string& partNo, const std::string& description, bool configurable,
                        const std::string& remark, const std::string& imgFile, const std::string& url) {
  return rt::Variant(
      rt::SafeArray::From({unitCode, propGroupId, manId, partNo, description, configurable, remark, imgFile, url}));
}

// What Insert20 makes of one named value; false when a field check fails.
struct InsertState {
  rt::Variant unspscCode = rt::Variant::Null();
  int32_t propertyGroup = 0;
};

bool InsertValue(const std::string& name, rt::Variant& value, InsertState& state) {
  if (IsOneOf(name,
              {"UNITCODE", "CLASSCODE", "COMMODITYCODE", "CONTRACTCODE", "PRICINGMETHOD", "MANUFACTURERID", "USERID",
               "IMAGEFILENAME", "TECHNICALIMAGE", "URL", "PRODUCTXML", "DISABLED", "CONFIGURABLE", "BUYFROMPARTNUMBER",
               "BUYFROMCONTACTEMAIL", "MULTIPLEBUYER", "MFRPARTNUMBER", "LOTSIZE", "DELIVERYLEADTIME"})) {
    emptyToNull(value);
  } else if (name == "NUMBER" || name == "BUSINESSPARTNERID") {
    if (NumberEquals(value, -1)) value = rt::Variant::Null();
  } else if (name == "PROPERTYGROUPID") {
    state.propertyGroup = rt::CLng(value);
    if (NumberEquals(value, -1)) value = rt::Variant::Null();
  } else if (name == "PRODUCTDESCRIPTION" || name == "PARTNUMBER") {
    if (rt::CStr(value).empty()) return false;
  } else if (name == "PRODUCTREMARK" || name == "BUYFROMCONTACTINFO") {
    if (!value.IsNull()) {
      const std::string text = rt::CStr(value);
      if (text.empty()) {
        value = rt::Variant::Null();
      } else if (rt::Len(text) > 255) {
        return false;
      }
    }
  } else if (name == "PRODUCTEFFECTIVITYDATE" || name == "PRODUCTEXPIRYDATE") {
    if (!value.IsNull()) {
      const std::string text = rt::Concat(value);
      if (text.empty()) value = rt::Variant::Null();
      if (text == "-1") return false;
    }
  } else if (name == "UNSPSCCODE") {
    emptyToNull(value);
    state.unspscCode = value;
  } else if (name == "GTIN") {
    emptyToNull(value);
    if (!value.IsNull()) value = rt::Variant(PaddedGtin(rt::CStr(value), false));
  }
  return true;
}

// What Update20 makes of one named value.
struct UpdateState {
  rt::Variant newCode;
  bool groupPassed = false;
  int32_t newGroup = 0;
};

void UpdateValue(const std::string& name, rt::Variant& value, UpdateState& state) {
  if (IsOneOf(name, {"COMMODITYCODE", "UNITCODE", "CLASSCODE", "MANUFACTURERID", "MULTIPLEBUYER", "MFRPARTNUMBER",
                     "LOTSIZE", "DELIVERYLEADTIME"})) {
    emptyToNull(value);
  } else if (name == "PROPERTYGROUPID") {
    state.newGroup = rt::CLng(value);
    state.groupPassed = true;
    if (NumberEquals(value, -1)) value = rt::Variant::Null();
  } else if (name == "BUSINESSPARTNERID" || name == "NUMBER") {
    if (NumberEquals(value, -1)) value = rt::Variant::Null();
  } else if (name == "PRICINGMETHOD") {
    if (value.IsString() && value.Get<std::string>()->empty()) value = rt::Variant::Null();
  } else if (name == "UNSPSCCODE") {
    if (value.IsString() && value.Get<std::string>()->empty()) value = rt::Variant::Null();
    state.newCode = value;
  } else if (name == "GTIN") {
    emptyToNull(value);
    if (!value.IsNull()) value = rt::Variant(PaddedGtin(rt::CStr(value), true));
  }
}

}  // namespace

int32_t Product::Insert20(const rt::Variant& iFields, const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  bool stored = false;
  try {
    cn = getConnection();
    rs = OpenForWrite("SELECT * FROM PRODUCT WHERE 0=1", cn, data::kCursorKeyset);
    rs->AddNew();
    InsertState state;
    const rt::SafeArray& names = iFields.AsArray();
    const rt::SafeArray& values = iValues.AsArray();
    for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
      const std::string name = rt::CStr(names.At(i));
      rt::Variant value = values.At(i);
      if (!InsertValue(name, value, state)) {
        // A failed field check: nothing written, nothing logged, no vote.
        CloseQuietly(rs);
        Sql_CloseConnection(cn);
        return -1;
      }
      rs->SetValue(name, value);
    }
    // Part number and description are mandatory: a new row without them,
    // left out or Null under a name in any letter case, is refused as a
    // Null mandatory value is. The empty text is a value.
    if (rs->Value("PARTNUMBER").IsNull() || rs->Value("PRODUCTDESCRIPTION").IsNull())
      rt::RaiseVb(rt::vberr::kInvalidUseOfNull);
    CheckProductReferences(*rs);
    rs->SetValue("DATEUPDATED", rt::Variant(LocalNow()));
    // From here on the row may be stored, even when Update fails after its insert.
    stored = true;
    rs->Update();
    const int32_t productId = rt::CLng(rs->Value("PRODUCTID"));
    if (!rs->Value("PROPERTYGROUPID").IsNull()) UpdateGroupChange(state.propertyGroup, productId);
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    if (UNSPSCLib::UNSPSCImplemented())
      UNSPSCLib::UpdateProductLinksForUNSPSCCode(productId, "", CodeText(state.unspscCode), true);
    Mts_SetComplete();
    return productId;
  } catch (...) {
    // Once the row may be stored a failure must not let it commit.
    HandleMethodError(Source("Insert"), [&] {
      CloseQuietly(rs);
      Sql_CloseConnection(cn);
      if (stored) Mts_SetAbort();
    });
  }
  return 0;
}

int32_t Product::Insert(const std::string& iUnitCode, int32_t iPropGroupID, const std::string& iManID,
                        const std::string& iPartNo, const std::string& iProdDescription, bool iConfigurable,
                        const std::string& iProdRemark, const std::string& iImgFile, const std::string& iURL) {
  rt::ContextScope scope(*this);
  return Insert20(FixedNames(), FixedValues(iUnitCode, iPropGroupID, iManID, iPartNo, iProdDescription, iConfigurable,
                                            iProdRemark, iImgFile, iURL));
}

bool Product::Update20(int32_t iProductID, const rt::Variant& iFields, const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::string id = std::to_string(iProductID);
    cn = getConnection();
    rs = OpenForWrite("SELECT * FROM PRODUCT WHERE PRODUCTID=" + id, cn, data::kCursorStatic);
    if (rs->Eof()) rt::Raise(kProductNotFound, Source("Update"), "Product not present");
    const rt::Variant oldGroupValue = rs->Value("PROPERTYGROUPID");
    const int32_t oldGroup = oldGroupValue.IsNull() ? 0 : rt::CLng(oldGroupValue);
    const rt::Variant oldCode = rs->Value("UNSPSCCODE");
    // Without UNSPSCCODE among the names the product keeps its code, and
    // so its categories.
    UpdateState state;
    state.newCode = oldCode;
    const rt::SafeArray& names = iFields.AsArray();
    const rt::SafeArray& values = iValues.AsArray();
    for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
      const std::string name = rt::CStr(names.At(i));
      rt::Variant value = values.At(i);
      UpdateValue(name, value, state);
      if (name != "PRODUCTID") rs->SetValue(name, value);
    }
    CheckProductReferences(*rs);
    rs->SetValue("DATEUPDATED", rt::Variant(LocalNow()));
    // No MULTIPLEBUYER value (a product inserted with an empty one) counts
    // as False, so that such a product can be updated at all.
    const rt::Variant multipleBuyer = rs->Value("MULTIPLEBUYER");
    if (multipleBuyer.IsNull() || !rt::CBool(multipleBuyer))
      cn->Execute("DELETE FROM productbuyer WHERE PRODUCTID=" + id);
    rs->Update();
    if (state.groupPassed && state.newGroup != oldGroup) {
      if (rs->Value("PROPERTYGROUPID").IsNull()) {
        cn->Execute("DELETE FROM productpropvalue WHERE productid=" + id);
      } else {
        UpdateGroupChange(state.newGroup, iProductID);
      }
    }
    Sql_CloseRecordset(rs);
    if (UNSPSCLib::UNSPSCImplemented())
      UNSPSCLib::UpdateProductLinksForUNSPSCCode(iProductID, CodeText(oldCode), CodeText(state.newCode), false);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("Update"), [&] {
      CloseQuietly(rs);
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool Product::Update(int32_t iProductID, const std::string& iUnitCode, int32_t iPropGroupID, const std::string& iManID,
                     const std::string& iPartNo, const std::string& iProdDescription, bool iConfigurable,
                     const std::string& iProdRemark, const std::string& iImgFile, const std::string& iURL) {
  rt::ContextScope scope(*this);
  return Update20(iProductID, FixedNames(),
                  FixedValues(iUnitCode, iPropGroupID, iManID, iPartNo, iProdDescription, iConfigurable, iProdRemark,
                              iImgFile, iURL));
}

rt::Variant Product::SetUpdateDateToNow(int32_t iProductID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenForWrite("SELECT * FROM PRODUCT WHERE PRODUCTID=" + std::to_string(iProductID), cn, data::kCursorStatic);
    if (rs->Eof()) rt::Raise(kProductNotFound, Source("Update"), "Product not present");
    rs->SetValue("DATEUPDATED", rt::Variant(LocalNow()));
    rs->Update();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return rt::Variant(true);
  } catch (...) {
    HandleMethodError(Source("SetUpdateDateToNow"), [&] {
      CloseQuietly(rs);
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return rt::Variant(false);
}

namespace {

// DISABLED set to `flag` on a plain connection; an id without a row changes
// nothing.
void SetDisabled(int32_t productId, const char* flag, const char* member,
                 const std::function<std::shared_ptr<data::Connection>()>& open) {
  std::shared_ptr<data::Connection> cn;
  try {
    cn = open();
    cn->Execute(std::string("UPDATE PRODUCT SET DISABLED = ") + flag +
                " WHERE PRODUCTID = " + std::to_string(productId));
    Sql_CloseConnection(cn);
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError(Source(member), rt::Variant(Err_GetConnectionErrors(rt::Variant(cn))), [&] {
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
}

}  // namespace

void Product::Disable(int32_t iProductID) {
  rt::ContextScope scope(*this);
  SetDisabled(iProductID, "1", "Disable", &Product::getConnection);
}

void Product::Enable(int32_t iProductID) {
  rt::ContextScope scope(*this);
  SetDisabled(iProductID, "0", "Enable", &Product::getConnection);
}

}  // namespace quarvel
