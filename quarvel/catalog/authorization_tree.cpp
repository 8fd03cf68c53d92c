// Catalog: a node's level and a user's topmost nodes, read from the tree of
// CATALOGNODE. The level is counted along the catalog's nodes in ascending
// NODEID, as the suite has always counted it: it equals the depth while node
// ids grow level by level. The topmost nodes are the user's nodes at the top
// authorised level and, for every deeper node of the user, the highest node
// the user holds on the way up to the top of its branch. Walks up the tree
// remember the nodes they passed, so that a cycle in PARENTNODEID ends them.
// Errors are reported as "Quarvel.Catalog.<member>".
#include <unordered_set>
#include <vector>

#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

// A counter starts at 1 and grows each time a row's parent differs from the
// parent of the row before that had one (a top node answers 1). A node
// that is not in the catalog gets the counter after the last row; a catalog
// without nodes -1. The counter is 16-bit: past 32767 the call fails (6).
int16_t Catalog::GetNodeLevel(int32_t i_lCatalogID, int32_t i_lNodeID) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<int16_t>(
      "Quarvel.Catalog.GetNodeLevel", -1, [&](const std::shared_ptr<data::Connection>& cn) -> int16_t {
        std::shared_ptr<data::Recordset> rs =
            OpenRecordset("SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE CATALOGID=" + std::to_string(i_lCatalogID) +
                              " ORDER BY NODEID",
                          cn, data::kCursorForwardOnly, data::kLockReadOnly);
        if (rs->Eof()) {
          Sql_CloseRecordset(rs);
          return -1;
        }
        // The columns by position: NODEID, PARENTNODEID.
        int32_t level = 1;
        int32_t lastParent = -1;
        for (; !rs->Eof(); rs->MoveNext()) {
          const bool isNode = rt::CLng(rs->Value(0)) == i_lNodeID;
          const rt::Variant parent = rs->Value(1);
          if (isNode && parent.IsNull()) {
            level = 1;
            break;
          }
          if (!parent.IsNull() && rt::CLng(parent) != lastParent) {
            CountIn16Bits(++level);
            lastParent = rt::CLng(parent);
          }
          if (isNode) break;
        }
        Sql_CloseRecordset(rs);
        return static_cast<int16_t>(level);
      });
}

// Top level below 0: no nodes. Top 0 (the whole catalog): its top nodes in
// NODEID order. Otherwise the user's nodes at the top level in display
// order, then, in the order the deeper nodes are read, the highest node the
// user holds in each further branch. A node of a walk that the catalog does
// not hold fails the call; a cycle ends its walk and the branch adds nothing.
std::shared_ptr<rt::Dictionary> Catalog::GetUserTopLevelCatalogNodes(const std::string& i_sUserID,
                                                                    int32_t i_lCatalogID) {
  rt::ContextScope scope(*this);
  // One connection per recordset kept open at a time.
  std::shared_ptr<data::Connection> deeperCn, walkCn, highestCn;
  std::shared_ptr<data::Recordset> deeper, walk, highest;
  try {
    const std::string catalogId = std::to_string(i_lCatalogID);
    const std::string user = QuotedId(i_sUserID);
    const int16_t top = GetTopAuthorizedLevel(i_lCatalogID, i_sUserID);
    if (top < 0) return rt::NewDictionary();
    deeperCn = getConnection();
    if (top == 0) {
      auto nodes = ReadNodeNames("SELECT NODEID, NODENAME FROM CATALOGNODE WHERE CATALOGID =" + catalogId +
                                     " AND PARENTNODEID IS NULL ORDER BY NODEID",
                                 deeperCn);
      Sql_CloseConnection(deeperCn);
      return nodes;
    }
    std::shared_ptr<rt::Dictionary> nodes = GetUserCatalogNodesByLevel(i_sUserID, i_lCatalogID, top);
    deeper = OpenRecordset("SELECT NODEID FROM CATALOGNODEBYUSER WHERE  CATALOGID =" + catalogId + " AND USERID = '" +
                               user + "'  AND ISPROFILE = 0  AND LEVEL > " + std::to_string(top) + " ",
                           deeperCn, data::kCursorForwardOnly, data::kLockReadOnly);
    walkCn = getConnection();
    highestCn = getConnection();
    // The walk runs one statement per node: the node ids are bound as
    // parameters, so that one prepared statement serves every step.
    const std::string walkSql =
        "SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE  CATALOGID =" + catalogId + " AND NODEID = ? ";
    auto readNode = [&](const rt::Variant& id) {
      Sql_CloseRecordset(walk);
      walk = OpenRecordset(walkSql, walkCn, data::kCursorForwardOnly, data::kLockReadOnly,
                           {rt::Variant(LongId(id))});
    };
    for (; !deeper->Eof(); deeper->MoveNext()) {
      // The path: the node and its ancestors below the top of the branch.
      std::vector<rt::Variant> path;
      std::string marks;
      std::unordered_set<int32_t> visited;
      bool cycle = false;
      readNode(deeper->Value("NODEID"));
      // A missing node has no current row: its fields fail with 3021.
      while (!walk->Value("PARENTNODEID").IsNull()) {
        const int32_t id = rt::CLng(walk->Value("NODEID"));
        if (!visited.insert(id).second) {
          cycle = true;
          break;
        }
        path.emplace_back(id);
        marks += marks.empty() ? "?" : ",?";
        readNode(walk->Value("PARENTNODEID"));
      }
      if (cycle || path.empty() || nodes->Exists(walk->Value("NODEID"))) continue;
      highest = OpenRecordset(
          "SELECT TOP 1 CNU.NODEID AS NODEID, CN.NODENAME AS NODENAME  FROM CATALOGNODEBYUSER CNU, CATALOGNODE CN "
          "WHERE  CNU.CATALOGID =" +
              catalogId + " AND CNU.NODEID IN (" + marks + ")  AND CNU.USERID = '" + user +
              "'  AND CNU.NODEID = CN.NODEID AND CNU.ISPROFILE = 0  ORDER BY CNU.LEVEL ",
          highestCn, data::kCursorForwardOnly, data::kLockReadOnly, path);
      if (!highest->Eof() && !nodes->Exists(highest->Value("NODEID")))
        nodes->Add(highest->Value("NODEID"), rt::Variant(rt::Concat(highest->Value("NODENAME"))));
      Sql_CloseRecordset(highest);
    }
    Sql_CloseRecordset(walk);
    Sql_CloseRecordset(deeper);
    Sql_CloseConnection(highestCn);
    Sql_CloseConnection(walkCn);
    Sql_CloseConnection(deeperCn);
    return nodes;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.GetUserTopLevelCatalogNodes", [&] {
      CloseQuietly(highest, highestCn);
      CloseQuietly(walk, walkCn);
      CloseQuietly(deeper, deeperCn);
    });
  }
  return nullptr;
}

}  // namespace quarvel
