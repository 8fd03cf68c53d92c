// TCatalog: product categories. The delete asks the referential checker
// first and then removes the category's visibility rows, product links and
// the nodes that show it before the category itself; the insert and the
// update relink the category's products by UNSPSC code when the switch
// "UNSPSCIMPLEMENTED" is "Yes" exactly. Each statement runs on a connection
// of its own within the caller's transaction, so the abort vote of a
// failure undoes what ran before it. Errors are reported as
// "Quarvel.Catalog.<member>".
#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/catalog/tcatalog.h"
#include "quarvel/reference/unspsc_lib.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

// Writes each field's value (an empty text as Null) to the current row of
// `rs`, skipping the fields that `skip` names. Answers whether a field
// UNSPSCCODE was given, and its value in `code`.
template <class Skip>
bool WriteFields(data::Recordset& rs, const rt::Variant& fields, const rt::Variant& values, rt::Variant& code,
                 Skip skip) {
  const rt::SafeArray& valueArray = values.AsArray();
  bool named = false;
  ForEachIndex(fields, [&](int32_t i, const rt::Variant& field) {
    const rt::Variant value = IsEmptyText(valueArray.At(i)) ? rt::Variant::Null() : valueArray.At(i);
    const std::string name = rt::CStr(field);
    const std::string upper = rt::UCase(name);
    if (upper == "UNSPSCCODE") {
      code = value;
      named = true;
    }
    if (!skip(upper)) rs.SetValue(name, value);
  });
  return named;
}

}  // namespace

bool TCatalog::DeleteProductCategory(int32_t iCategoryID) {
  rt::ContextScope scope(*this);
  try {
    if (!CheckerAllowsDelete("ProductCategory", "CATEGORYID", rt::Variant(iCategoryID))) {
      Mts_SetAbort();
      return false;
    }
    const std::string id = std::to_string(iCategoryID);
    ExecuteOnOwnConnection("DELETE FROM VISIBILITIESBYCATEGORY WHERE CATEGORYID=" + id);
    ExecuteOnOwnConnection("DELETE FROM PRODUCTSBYCATEGORY WHERE CATEGORYID=" + id);
    // Nodes below a deleted node stay where they are.
    ExecuteOnOwnConnection("DELETE FROM CATALOGNODE WHERE CATEGORYID=" + id);
    if (ExecuteOnOwnConnection("DELETE FROM PRODUCTCATEGORY WHERE CATEGORYID = " + id) == 0)
      Err_Raise(ErrorNumber(QuarvelErrors::eCatalogNotFound), "Quarvel.Catalog.Delete", "Catalog doesn't exist");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.DeleteProductCategory", Mts_SetAbort);
  }
  return false;
}

// The new CATEGORYID is not answered.
bool TCatalog::InsertProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM PRODUCTCATEGORY WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rt::Variant code = rt::Variant::Null();
    WriteFields(*rs, i_aFields, i_aValues, code, [](const std::string&) { return false; });
    rs->Update();
    const int32_t id = rt::CLng(rs->Value("CATEGORYID"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    if (UNSPSCLib::UNSPSCImplemented())
      UNSPSCLib::UpdateProductCategoryLinksForUNSPSCCode(id, std::string(), rt::Concat(code), true);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.InsertProductCategory", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// The category is the one whose id the first CATEGORYID field holds (0
// without one). The stored code is read before any column changes; an update
// that names no UNSPSCCODE keeps it, and relinks nothing.
bool TCatalog::UpdateProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    int32_t categoryId = 0;
    bool found = false;
    ForEachIndex(i_aFields, [&](int32_t i, const rt::Variant& field) {
      if (found || rt::UCase(rt::CStr(field)) != "CATEGORYID") return;
      categoryId = LongId(i_aValues.AsArray().At(i));
      found = true;
    });
    const std::string id = std::to_string(categoryId);
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM PRODUCTCATEGORY WHERE CATEGORYID=" + id, cn, data::kCursorStatic,
                       data::kLockOptimistic);
    if (rs->Eof())
      Err_Raise(ErrorNumber(QuarvelErrors::eProductCategoryNotFound), "Quarvel.Catalog.UpdateProductCategory",
                "Product Category (" + id + ") not found");
    const rt::Variant previous = rs->Value("UNSPSCCODE");
    rt::Variant code = rt::Variant::Null();
    if (!WriteFields(*rs, i_aFields, i_aValues, code, [](const std::string& upper) { return upper == "CATEGORYID"; }))
      code = previous;
    rs->Update();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    if (UNSPSCLib::UNSPSCImplemented())
      UNSPSCLib::UpdateProductCategoryLinksForUNSPSCCode(categoryId, rt::Concat(previous), rt::Concat(code), false);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.UpdateProductCategory", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

}  // namespace quarvel
