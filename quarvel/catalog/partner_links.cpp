// Catalog: the business partners linked to a catalog as a whole (a node id
// below 1) or to one of its nodes (CATALOGNODEBYBP), and the shop-out
// folders: nodes marked SHOPOUT that stand for an outside shop, counted
// only through their partner links, with the user's account at the shop.
// Ids here are 16-bit. The account's password is handed out as it is
// stored. The shop-out reads run READ COMMITTED on connections of their own.
#include "common/lib_sql.h"
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

// The partner ids in the order read, joined by ";"; "" without links. The
// row counter is 16-bit.
std::string Catalog::GetBPFromCatalogNodeByBP(int16_t& i_iNodeId, int16_t& i_iCatalogNodeId) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<std::string>(
      "Quarvel.Catalog.GetBPFromCatalogNodeByBP()", {}, [&](const std::shared_ptr<data::Connection>& cn) {
        const std::string catalogId = std::to_string(i_iCatalogNodeId);
        const std::string sql =
            i_iNodeId < 1 ? "SELECT BUSINESSPARTNERID FROM CATALOGNODEBYBP WHERE NODEID IS NULL AND CATALOGID = " + catalogId
                          : "SELECT BUSINESSPARTNERID FROM CATALOGNODEBYBP WHERE NODEID = " + std::to_string(i_iNodeId) +
                                " AND CATALOGID = " + catalogId;
        std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
        std::string partners;
        for (int32_t row = 0; !rs->Eof(); rs->MoveNext()) {
          CountIn16Bits(++row);
          partners += (partners.empty() ? "" : ";") + rt::CStr(rs->Value("BUSINESSPARTNERID"));
        }
        Sql_CloseRecordset(rs);
        return partners;
      });
}

// One element per partner link of a shop-out node, as Integers from 0 in the
// order the database answers them; none gives an array without elements.
rt::Variant Catalog::GetAllShopOutCatalogFolders() {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Recordset> rs;
  try {
    rs = Sql_GetDisconnectedRecordset(
        "SELECT CN.NODEID as NODEID, CNBYBP.BUSINESSPARTNERID as BUSINESSPARTNERID FROM CATALOGNODE CN, "
        "CATALOGNODEBYBP CNBYBP WHERE CN.SHOPOUT = 1  AND CN.NODEID = CNBYBP.NODEID",
        getConnectionString(), true);
    rt::ArrayPtr nodes = rt::SafeArray::OneDim(0, -1, rt::VarType::Integer);
    for (int32_t row = 0; !rs->Eof(); rs->MoveNext(), ++row) {
      CountIn16Bits(row);
      nodes->RedimPreserve(row);
      nodes->At(row) = rt::Variant(rt::CInt(rs->Value("NODEID")));
    }
    Sql_CloseRecordset(rs);
    return rt::Variant(nodes);
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetAllShopOutCatalogFolders()", [&] { rs.reset(); });
  }
  return rt::Variant(int32_t{0});
}

// NODEID, CATALOGID, NODENAME, NODEURL, NODEDESCRIPTION and BUSINESSPARTNERID,
// one row per partner link; none when the node is no shop-out node or has
// no link.
rt::ObjectPtr Catalog::GetShopOutFolderDetails(int16_t& i_iNodeId) {
  rt::ContextScope scope(*this);
  try {
    return Sql_GetDisconnectedRecordset(
        "SELECT CN.NODEID, CN.CATALOGID, CN.NODENAME, CN.NODEURL, CN.NODEDESCRIPTION, CNBYBP.BUSINESSPARTNERID FROM "
        "CATALOGNODE CN, CATALOGNODEBYBP CNBYBP WHERE CN.NODEID = " +
            std::to_string(i_iNodeId) + " AND CN.SHOPOUT = 1 AND CN.NODEID = CNBYBP.NODEID",
        getConnectionString(), true);
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetShopOutFolderDetails()");
  }
  return nullptr;
}

// SHAREDID and SHAREDPWD of the user's rows for the node, a profile's rows
// included.
rt::ObjectPtr Catalog::GetFolderAuthenticationDetails(const std::string& i_sUserID, int16_t& i_iNodeId) {
  rt::ContextScope scope(*this);
  try {
    return Sql_GetDisconnectedRecordset("SELECT SHAREDID, SHAREDPWD FROM CATALOGNODEBYUSER WHERE USERID = '" +
                                            QuotedId(i_sUserID) + "' AND NODEID = " + std::to_string(i_iNodeId),
                                        getConnectionString(), true);
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetFolderAuthenticationDetails()");
  }
  return nullptr;
}

}  // namespace quarvel
