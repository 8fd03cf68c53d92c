// TCatalog: the links of business partners to a catalog as a whole (a node
// id below 1: NODEID Null) or to one of its nodes. The partners come as ids
// joined by ";", split as VB splits ("" is none, "12;" ends in an empty
// part); the caller's variable is given the array of parts. Each part must
// be a 16-bit number: an empty or other text fails with 13, one above 32767
// with 6, and then nothing is written. The same partner may be linked
// twice. Errors are reported as "Quarvel.Catalog.<member>", the replacing
// one with "()"; the delete answers False for any failure and reports
// nothing.
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/catalog/tcatalog.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

// The rows of the catalog's or node's links.
std::string LinksOf(int16_t nodeId, int16_t catalogId) {
  return nodeId < 1 ? "SELECT * FROM CATALOGNODEBYBP WHERE NODEID IS NULL  AND CATALOGID = " + std::to_string(catalogId)
                    : "SELECT * FROM CATALOGNODEBYBP WHERE NODEID = " + std::to_string(nodeId) +
                          " AND CATALOGID = " + std::to_string(catalogId);
}

// Adds one link per part to a batch recordset of CATALOGNODEBYBP.
void AddLinks(data::Recordset& rs, int16_t nodeId, int16_t catalogId, const std::vector<std::string>& parts) {
  for (size_t i = 0; i < parts.size(); ++i) {
    CountIn16Bits(static_cast<int32_t>(i));
    rs.AddNew();
    if (nodeId > 0) rs.SetValue("NODEID", rt::Variant(nodeId));
    rs.SetValue("CATALOGID", rt::Variant(catalogId));
    rs.SetValue("BUSINESSPARTNERID", rt::Variant(rt::CInt(rt::Variant(parts[i]))));
    rs.Update();
  }
}

}  // namespace

// The links are sent together: all or none.
bool TCatalog::InsertCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::vector<std::string> parts = SplitList(rt::CStr(i_aBPValues));
    i_aBPValues = PartsArray(parts);
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM  CATALOGNODEBYBP WHERE 0=1", cn, data::kCursorKeyset, data::kLockBatchOptimistic);
    AddLinks(*rs, i_iNoideId, i_iCatalogId, parts);
    rs->UpdateBatch();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.InsertCatalogNodeByBP", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// As many parts as links: the links are rewritten in place, in the order
// the database answers them. Otherwise they are removed and one link per
// part is added; when the removal fails the answer is False with an abort
// vote, so the old links stay and no new ones join them. No vote when it
// succeeds.
bool TCatalog::UpdateCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = SQL_GetWritableRecordset(LinksOf(i_iNoideId, i_iCatalogId), cn, data::kLockBatchOptimistic);
    Sql_CloseConnection(cn);
    const std::vector<std::string> parts = SplitList(rt::CStr(i_aBPValues));
    i_aBPValues = PartsArray(parts);
    if (rs->RecordCount() == static_cast<int32_t>(parts.size())) {
      int32_t i = 0;
      for (; !rs->Eof(); rs->MoveNext(), ++i) {
        CountIn16Bits(i);
        rs->SetValue("BUSINESSPARTNERID", rt::Variant(rt::CInt(rt::Variant(parts[static_cast<size_t>(i)]))));
        rs->Update();
      }
    } else {
      int16_t nodeId = i_iNoideId, catalogId = i_iCatalogId;
      if (!DeleteCatalogNodeByBP(nodeId, catalogId)) {
        Sql_CloseRecordset(rs);
        Mts_SetAbort();
        return false;
      }
      if (parts.empty()) {
        Sql_CloseRecordset(rs);
        return true;
      }
      AddLinks(*rs, i_iNoideId, i_iCatalogId, parts);
    }
    cn = getConnection();
    rs->SetActiveConnection(cn);
    rs->UpdateBatch();
    Sql_CloseRecordsetAndConnection(rs);
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.UpdateCatalogNodeByBP()", [&] {
      Mts_SetAbort();
      CloseQuietly(rs, cn);
    });
  }
  return false;
}

// Any failure closes the connection and answers False: nothing is logged,
// raised or voted.
bool TCatalog::DeleteCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    const std::string catalogId = std::to_string(i_iCatalogId);
    cn = getConnection();
    cn->Execute(i_iNoideId < 1 ? "DELETE CATALOGNODEBYBP WHERE NODEID IS NULL AND CATALOGID = " + catalogId
                               : "DELETE CATALOGNODEBYBP WHERE NODEID = " + std::to_string(i_iNoideId) +
                                     " AND CATALOGID = " + catalogId);
    Sql_CloseConnection(cn);
    return true;
  } catch (...) {
    CloseQuietly(cn);
  }
  return false;
}

}  // namespace quarvel
