// Product: a user's favourite products (FAVORITES), ordinary or warehouse
// favourites, each in the root (folder 0) or one of the user's favourite
// folders. Creating and deleting read their arguments differently: a kind
// of -1 creates an ordinary favourite but deletes both kinds; a folder of
// -1 creates in the root but deletes from every folder; a folder below 1
// creates in the root, while a delete matches it as given.
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

void Product::CreateFavorite(const std::string& i_sUserID, int32_t i_lProductID,
                             std::optional<int32_t> i_lFavoriteType) {
  rt::ContextScope scope(*this);
  CreateFavoriteEx(i_sUserID, i_lProductID, i_lFavoriteType, 0);
}

void Product::DeleteFavorite(const std::string& i_sUserID, int32_t i_lProductID,
                             std::optional<int32_t> i_lFavoriteType) {
  rt::ContextScope scope(*this);
  DeleteFavoriteEx(i_sUserID, i_lProductID, i_lFavoriteType, -1);
}

// A favourite that exists already (a row whose PRESENT is above 0, or
// Null) is not added again: nothing is written and the call votes abort,
// without an error.
void Product::CreateFavoriteEx(const std::string& i_sUserID, int32_t i_lProductID,
                               std::optional<int32_t> i_lFavoriteType, std::optional<int32_t> i_lFolderID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const bool warehouse = i_lFavoriteType.value_or(-1) == WarehouseFavorite;
    int32_t folder = i_lFolderID.value_or(0);
    cn = getConnection();
    std::string sql = "SELECT * FROM FAVORITES WHERE USERID='" + Gen_SqlQuote(rt::Variant(i_sUserID)) +
                      "' AND PRODUCTID=" + std::to_string(i_lProductID) +
                      (warehouse ? " AND WAREHOUSEFAVORITE=1" : " AND WAREHOUSEFAVORITE=0");
    sql += folder < 1 ? std::string(" AND FOLDERID= 0") : " AND FOLDERID= " + std::to_string(folder);
    if (folder < 0) folder = 0;
    rs = OpenRecordset(sql, cn, data::kCursorKeyset, data::kLockOptimistic);
    bool add = rs->Eof();
    if (!add) {
      const rt::Variant present = rs->Value("PRESENT");
      add = !present.IsNull() && rt::CDbl(present) <= 0;
    }
    if (!add) {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
      return;
    }
    rs->AddNew();
    rs->SetValue("USERID", rt::Variant(i_sUserID));
    rs->SetValue("PRODUCTID", rt::Variant(i_lProductID));
    rs->SetValue("PRESENT", rt::Variant(int32_t{1}));
    rs->SetValue("WAREHOUSEFAVORITE", rt::Variant(int32_t{warehouse ? 1 : 0}));
    rs->SetValue("FOLDERID", rt::Variant(folder));
    rs->Update();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError(Source("CreateFavoriteEx"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
}

// Deleting nothing is no failure.
void Product::DeleteFavoriteEx(const std::string& i_sUserID, int32_t i_lProductID,
                               std::optional<int32_t> i_lFavoriteType, std::optional<int32_t> i_lFolderID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    const int32_t kind = i_lFavoriteType.value_or(-1);
    const int32_t folder = i_lFolderID.value_or(-1);
    std::string sql = "DELETE FROM FAVORITES WHERE USERID='" + Gen_SqlQuote(rt::Variant(i_sUserID)) +
                      "' AND PRODUCTID=" + std::to_string(i_lProductID);
    if (kind == WarehouseFavorite) {
      sql += " AND WAREHOUSEFAVORITE = 1";
    } else if (!isMinusOne(kind)) {
      sql += " AND WAREHOUSEFAVORITE = 0";
    }
    if (!isMinusOne(folder)) sql += " AND FOLDERID = " + std::to_string(folder);
    cn = getConnection();
    cn->Execute(sql);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError(Source("DeleteFavoriteEx"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
}

}  // namespace quarvel
