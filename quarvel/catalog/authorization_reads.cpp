// Catalog: what a user may see and order. The user's own rows of
// CATALOGNODEBYUSER (ISPROFILE 0) and USERNODE answer which nodes a user
// holds, at which levels, and whether a catalog or node is view-only; a
// view-only mark on the catalog or on any ancestor makes a node view-only.
// User ids go between quotes with their quotes doubled; the ids of a
// caller's array must be numbers (else 13). Members that ask other members
// call them through the object's own interface, so an inner failure is
// logged there and fails the outer call too. Errors are reported as
// "Quarvel.Catalog.<member>".
#include <unordered_set>

#include "common/lib_paging.h"
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

// The user's own row for a node: "SELECT  VIEWONLY ..." (two blanks).
std::string NodeRowSql(const std::string& user, const std::string& node) {
  return "SELECT  VIEWONLY FROM CATALOGNODEBYUSER WHERE USERID='" + QuotedId(user) + "' AND NODEID=" + node +
         " AND ISPROFILE = 0";
}

// The node row's VIEWONLY as a Boolean (Null fails with 94); False without a row.
bool NodeRowIsViewOnly(const std::string& user, const std::string& node, const std::shared_ptr<data::Connection>& cn) {
  const rt::Variant viewOnly = FirstValue(NodeRowSql(user, node), cn, "VIEWONLY");
  return !viewOnly.IsMissing() && rt::CBool(viewOnly);
}

// The smallest or largest LEVEL of the user's rows in the catalog; -1 when
// there is none. The number is glued to AND as the statement was always
// written; the data layer reads it as SQL Server does.
int16_t AuthorizedLevel(const char* aggregate, const char* alias, int32_t catalogId, const std::string& user,
                        const char* source) {
  return ReadOnOwnConnection<int16_t>(source, -1, [&](const std::shared_ptr<data::Connection>& cn) -> int16_t {
    const rt::Variant level =
        FirstValue(std::string("SELECT ") + aggregate + "(LEVEL) AS " + alias + " FROM CATALOGNODEBYUSER WHERE CATALOGID=" +
                       std::to_string(catalogId) + "AND USERID='" + QuotedId(user) + "' AND ISPROFILE = 0",
                   cn, alias);
    return level.IsMissing() || level.IsNull() ? -1 : rt::CInt(level);
  });
}

}  // namespace

// Nodes by name in the database's comparison; a node held twice fails (457).
std::shared_ptr<rt::Dictionary> Catalog::GetAllUserAuthorizedCatalogNodes(const std::string& i_sUserID,
                                                                         const rt::Variant& i_aCatalogIDs) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<std::shared_ptr<rt::Dictionary>>(
      "Quarvel.Catalog.GetAllUserAuthorizedCatalogNodes", nullptr, [&](const std::shared_ptr<data::Connection>& cn) {
        std::string sql =
            "SELECT UN.NODEID as NODEID, CN.NODENAME AS NODENAME FROM USERNODE UN, CATALOGNODE CN WHERE UN.USERID='" +
            QuotedId(i_sUserID) + "' ";
        if (!i_aCatalogIDs.IsMissing()) {
          std::string list;
          ForEachElement(i_aCatalogIDs, [&](const rt::Variant& id) { list += (list.empty() ? "" : ",") + SqlNumber(id); });
          sql += " AND UN.CATALOGID IN (" + list + ") ";
        }
        return ReadNodeNames(sql + " AND UN.NODEID = CN.NODEID ORDER BY NODENAME", cn);
      });
}

// Level 1 or more: the user's nodes of that level in display order. Level
// 0: the catalog's top nodes when the user holds all of it, else Nothing.
// A negative level: Nothing.
std::shared_ptr<rt::Dictionary> Catalog::GetUserCatalogNodesByLevel(const std::string& i_sUserID,
                                                                   int32_t i_lCatalogID, int16_t i_iLevel) {
  rt::ContextScope scope(*this);
  const std::string catalogId = std::to_string(i_lCatalogID);
  if (i_iLevel < 0) return nullptr;
  if (i_iLevel == 0) {
    // Asked before a connection is opened, on the member's own.
    bool whole = false;
    try {
      whole = IsEntireCatalogAuthorized(i_lCatalogID, i_sUserID);
    } catch (...) {
      HandleMethodError("Quarvel.Catalog.GetUserCatalogNodesByLevel");
    }
    if (!whole) return nullptr;
  }
  return ReadOnOwnConnection<std::shared_ptr<rt::Dictionary>>(
      "Quarvel.Catalog.GetUserCatalogNodesByLevel", nullptr, [&](const std::shared_ptr<data::Connection>& cn) {
        if (i_iLevel == 0)
          return ReadNodeNames("SELECT NODEID, NODENAME FROM CATALOGNODE WHERE CATALOGID =" + catalogId +
                                   " AND PARENTNODEID IS NULL ORDER BY NODEID",
                               cn);
        return ReadNodeNames(
            "SELECT CNU.NODEID as NODEID, CN.NODENAME AS NODENAME FROM CATALOGNODEBYUSER CNU, CATALOGNODE CN WHERE "
            "CNU.USERID='" +
                QuotedId(i_sUserID) + "' AND LEVEL=" + std::to_string(i_iLevel) + " AND CNU.CATALOGID = " + catalogId +
                " AND CNU.NODEID = CN.NODEID AND CNU.ISPROFILE = 0 ORDER BY CN.SEQUENCE",
            cn);
      });
}

bool Catalog::IsViewOnlyCatalog(const std::string& i_sUserID, int32_t i_lCatalogID) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<bool>("Quarvel.Catalog.IsViewOnlyCatalog", false,
                                   [&](const std::shared_ptr<data::Connection>& cn) {
                                     const rt::Variant viewOnly = FirstValue(
                                         "SELECT  VIEWONLY FROM CATALOGNODEBYUSER WHERE USERID='" + QuotedId(i_sUserID) +
                                             "' AND CATALOGID=" + std::to_string(i_lCatalogID) +
                                             " AND NODEID IS NULL AND ISPROFILE = 0",
                                         cn, "VIEWONLY");
                                     return !viewOnly.IsMissing() && rt::CBool(viewOnly);
                                   });
}

// The path is the catalog id, the node's ancestors from the top down and
// the node. The ancestors are taken as given (not checked against the
// tree); empty texts among them are passed over.
bool Catalog::IsViewOnlyCatalogNode(const std::string& i_sUserID, const rt::Variant& i_aIDs) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    if (i_aIDs.IsNull()) return false;
    const rt::SafeArray& path = i_aIDs.AsArray();
    if (path.Dimensions() == 0 || path.UBound() - path.LBound() < 1) return false;
    const int32_t catalogId = LongId(path.At(path.LBound()));
    const int32_t nodeId = LongId(path.At(path.UBound()));
    std::string ancestors;
    for (int32_t i = path.LBound() + 1; i < path.UBound(); ++i) {
      if (IsEmptyText(path.At(i))) continue;
      ancestors += (ancestors.empty() ? "" : ",") + SqlNumber(path.At(i));
    }
    if (IsViewOnlyCatalog(i_sUserID, catalogId)) return true;
    cn = getConnection();
    bool viewOnly = false;
    if (!ancestors.empty()) {
      std::shared_ptr<data::Recordset> rs =
          OpenRecordset("SELECT VIEWONLY FROM CATALOGNODEBYUSER WHERE USERID='" + QuotedId(i_sUserID) +
                            "' AND NODEID in (" + ancestors + ") AND ISPROFILE = 0 AND VIEWONLY=1",
                        cn, data::kCursorForwardOnly, data::kLockReadOnly);
      viewOnly = !rs->Eof();
      Sql_CloseRecordset(rs);
    }
    if (!viewOnly) viewOnly = NodeRowIsViewOnly(i_sUserID, std::to_string(nodeId), cn);
    Sql_CloseConnection(cn);
    return viewOnly;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.IsViewOnlyCatalogNode", [&] { CloseQuietly(cn); });
  }
  return false;
}

// The node's ancestors are found by walking PARENTNODEID up to a top node.
// A node that does not exist, or whose catalog is Null, is not view-only; a
// parent that does not exist, or a cycle in the links, ends the walk with
// False.
bool Catalog::IsViewOnlyCatalogNodeEx(const std::string& i_sUserID, int32_t i_lNodeID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT CATALOGID, PARENTNODEID FROM CATALOGNODE WHERE NODEID = " + std::to_string(i_lNodeID) + " ",
                       cn, data::kCursorForwardOnly, data::kLockReadOnly);
    if (rs->Eof() || rs->Value("CATALOGID").IsNull()) {
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      return false;
    }
    bool viewOnly = IsViewOnlyCatalog(i_sUserID, rt::CLng(rs->Value("CATALOGID"))) ||
                    NodeRowIsViewOnly(i_sUserID, std::to_string(i_lNodeID), cn);
    std::unordered_set<int32_t> visited{i_lNodeID};
    while (!viewOnly) {
      const rt::Variant parent = rs->Value("PARENTNODEID");
      if (parent.IsNull() || !visited.insert(rt::CLng(parent)).second) break;
      Sql_CloseRecordset(rs);
      const std::string parentId = std::to_string(rt::CLng(parent));
      rs = OpenRecordset("SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE NODEID = " + parentId + " ", cn,
                         data::kCursorForwardOnly, data::kLockReadOnly);
      if (rs->Eof()) break;
      viewOnly = NodeRowIsViewOnly(i_sUserID, parentId, cn);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return viewOnly;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.IsViewOnlyCatalogNodeEx", [&] { CloseQuietly(rs, cn); });
  }
  return false;
}

// 0 means that the user holds all of the catalog.
int16_t Catalog::GetTopAuthorizedLevel(int32_t i_lCatalogID, const std::string& i_sUserID) {
  rt::ContextScope scope(*this);
  return AuthorizedLevel("MIN", "MINLEVEL", i_lCatalogID, i_sUserID, "Quarvel.Catalog.GetTopAuthorizedLevel");
}

int16_t Catalog::GetBottomAuthorizedLevel(int32_t i_lCatalogID, const std::string& i_sUserID) {
  rt::ContextScope scope(*this);
  return AuthorizedLevel("MAX", "MAXLEVEL", i_lCatalogID, i_sUserID, "Quarvel.Catalog.GetBottomAuthorizedLevel");
}

bool Catalog::IsEntireCatalogAuthorized(int32_t i_lCatalogID, const std::string& i_sUserID) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<bool>(
      "Quarvel.Catalog.IsEntireCatalogAuthorized", false, [&](const std::shared_ptr<data::Connection>& cn) {
        return !FirstValue("SELECT * FROM CATALOGNODEBYUSER WHERE CATALOGID=" + std::to_string(i_lCatalogID) +
                               "AND USERID='" + QuotedId(i_sUserID) + "' AND NODEID IS NULL AND ISPROFILE = 0",
                           cn, "USERID")
                    .IsMissing();
      });
}

// A USERNODE row answers; without one, the node's catalog held as a whole
// does. A node that does not exist answers False.
bool Catalog::IsAuthorizedCatalogNode(const std::string& i_sUserID, int32_t i_lNodeID) {
  rt::ContextScope scope(*this);
  rt::Variant catalogId;
  const bool listed = ReadOnOwnConnection<bool>(
      "Quarvel.Catalog.IsAuthorizedCatalogNode", false, [&](const std::shared_ptr<data::Connection>& cn) {
        const std::string node = std::to_string(i_lNodeID);
        if (!FirstValue("SELECT * FROM USERNODE WHERE USERID = '" + QuotedId(i_sUserID) + "'  AND NODEID = " + node + " ",
                        cn, "USERID")
                 .IsMissing())
          return true;
        catalogId = FirstValue("SELECT CATALOGID FROM CATALOGNODE WHERE NODEID = " + node + " ", cn, "CATALOGID");
        return false;
      });
  if (listed || catalogId.IsMissing()) return listed;
  try {
    return IsEntireCatalogAuthorized(rt::CLng(catalogId), i_sUserID);
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.IsAuthorizedCatalogNode");
  }
  return false;
}

}  // namespace quarvel
