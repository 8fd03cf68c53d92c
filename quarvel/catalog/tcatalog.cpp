// TCatalog: a new catalog from field and value arrays, and the class's
// referential answers for product categories and partner links.
#include "quarvel/catalog/tcatalog.h"

#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "quarvel/classes.h"
#include "common/method_error.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

rt::ClassInfo TCatalogClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Quarvel.TCatalog", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<TCatalog>(); }};
}

// Each value goes into the column its field names as it is (an empty text
// stays one); a name that is no column of CATALOG fails before anything is
// written. A failure casts no vote: the caller's transaction decides.
int32_t TCatalog::InsertCatalog(const rt::Variant& iFields, const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM CATALOG WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    const rt::SafeArray& values = iValues.AsArray();
    ForEachIndex(iFields, [&](int32_t i, const rt::Variant& field) {
      CountIn16Bits(i);
      rs->SetValue(rt::CStr(field), values.At(i));
    });
    rs->Update();
    const int32_t id = rt::CLng(rs->Value("CATALOGID"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError("Quarvel.TCatalog.InsertCatalog", [&] { CloseQuietly(rs, cn); });
  }
  return -1;
}

bool TCatalog::IReferentialIntegrity_Exists(const std::string&, const rt::Variant& iKeys, const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    bool exists = false;
    const rt::SafeArray& keys = iKeys.AsArray();
    if (keys.Dimensions() != 0 && keys.UBound() >= keys.LBound()) {
      const int32_t first = keys.LBound();
      const std::string key = rt::UCase(rt::CStr(keys.At(first)));
      std::string sql;
      if (key == "CATEGORYID") {
        sql = "SELECT * FROM PRODUCTCATEGORY WHERE CATEGORYID = " + SqlNumber(iValues.AsArray().At(first));
      } else if (key == "BUSINESSPARTNERID") {
        sql = "SELECT BUSINESSPARTNERID FROM CATALOGNODEBYBP WHERE BUSINESSPARTNERID = " +
              SqlNumber(iValues.AsArray().At(first));
      }
      if (!sql.empty()) {
        cn = getConnection();
        rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
        exists = !rs->Eof();
        Sql_CloseRecordset(rs);
        Sql_CloseConnection(cn);
      }
    }
    Mts_SetComplete();
    return exists;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.Exists", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool TCatalog::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
  return true;
}

}  // namespace quarvel
