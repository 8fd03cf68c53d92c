// Catalog.GetValidProductCatalogs: for each product, the catalogs (or the
// catalog nodes) that show it through the product categories it belongs to.
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

// The catalog filter: the elements that are not empty text (nor Null,
// which VB's `<> ""` passes over as well), each as a number, joined by ",".
std::string CatalogFilter(const rt::Variant& catalogIds) {
  std::string list;
  ForEachElement(catalogIds, [&](const rt::Variant& id) {
    if (id.IsNull() || IsEmptyText(id)) return;
    list += (list.empty() ? "" : ",") + SqlNumber(id);
  });
  return list;
}

// The first column of every row as a Long, in an array from 0.
rt::Variant FirstColumnAsLongs(data::Recordset& rs) {
  const rt::Variant rows = rs.GetRows();
  const rt::SafeArray& table = rows.AsArray();
  const int32_t count = table.UBound(2) - table.LBound(2) + 1;
  rt::ArrayPtr ids = rt::SafeArray::OneDim(0, count - 1, rt::VarType::Long);
  for (int32_t row = 0; row < count; ++row) ids->At(row) = rt::Variant(rt::CLng(table.At(0, table.LBound(2) + row)));
  return rt::Variant(ids);
}

}  // namespace

std::shared_ptr<rt::Dictionary> Catalog::GetValidProductCatalogs(const rt::Variant& i_aProductIDs,
                                                                 const rt::Variant& i_aCatalogIDs,
                                                                 const rt::Variant& bCatalogNode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    auto answer = rt::NewDictionary();
    std::string filter;
    if (!i_aCatalogIDs.IsMissing()) {
      if (i_aCatalogIDs.IsNull() || i_aCatalogIDs.IsEmpty()) return answer;
      filter = CatalogFilter(i_aCatalogIDs);
    }
    if (i_aProductIDs.IsEmpty() || i_aProductIDs.IsNull()) return answer;
    const bool nodes = !bCatalogNode.IsMissing() && !bCatalogNode.IsNull() && rt::CBool(bCatalogNode);
    const std::string select = std::string("SELECT DISTINCT CATALOGNODE.") + (nodes ? "NODEID" : "CATALOGID") +
                               " AS CATALOGID FROM PRODUCTSBYCATEGORY,CATALOGNODE";
    const std::string tail = " AND PRODUCTSBYCATEGORY.CATEGORYID = CATALOGNODE.CATEGORYID " +
                             (filter.empty() ? std::string() : "AND CATALOGNODE.CATALOGID IN (" + filter + ") ");
    cn = getConnection();
    ForEachElement(i_aProductIDs, [&](const rt::Variant& product) {
      const std::string id = std::to_string(LongId(product));
      rs = OpenRecordset(select + " WHERE  PRODUCTSBYCATEGORY.PRODUCTID = " + id + tail, cn,
                         data::kCursorForwardOnly, data::kLockReadOnly);
      if (!rs->Eof()) answer->Add(product, FirstColumnAsLongs(*rs));
      Sql_CloseRecordset(rs);
    });
    Sql_CloseConnection(cn);
    return answer;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetValidProductCatalogs", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

}  // namespace quarvel
