// Catalog: the product categories as a paged list, and the categories shown
// under a set of visibility ids.
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/services/catalog_connection.h"
#include "quarvel/services/catalog_paging.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

rt::ObjectPtr Catalog::GetProductCategoryData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                              int32_t i_iPageSize, const rt::Variant& i_asProductCategoryIDs,
                                              const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this);
  try {
    return CatalogPagedQuery("SELECT * FROM PRODUCTCATEGORY", "CATEGORYID", IdListForm::kNumbers,
                             ListRequest(i_oPage, i_sPersistedStateInfo, i_iPageSize, i_asProductCategoryIDs,
                                         i_sSortTableFieldNames));
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetProductCategoryData");
  }
  return nullptr;
}

// An array (of any element type) filters by its ids, each as a number;
// anything else reads no row.
std::shared_ptr<rt::Dictionary> Catalog::GetVisibleProductCategories(rt::Variant& iVisibility) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::string filter =
        iVisibility.IsArray() ? " WHERE " + IdInList("VBC.VISIBILITYID", iVisibility, ",") : " WHERE 1=0";
    cn = getConnection();
    rs = OpenRecordset("SELECT DISTINCT VBC.CATEGORYID, PC.CATEGORYNAME FROM VISIBILITIESBYCATEGORY VBC "
                       "INNER JOIN PRODUCTCATEGORY PC ON VBC.CATEGORYID = PC.CATEGORYID" +
                           filter + " ORDER BY CATEGORYNAME",
                       cn, data::kCursorForwardOnly, data::kLockReadOnly);
    auto categories = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) categories->SetItem(rs->Value("CATEGORYID"), rs->Value("CATEGORYNAME"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return categories;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetVisibleProductCategories", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

}  // namespace quarvel
