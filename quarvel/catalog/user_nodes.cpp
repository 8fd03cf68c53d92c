// TCatalog: the authorisation rows of a user or profile (CATALOGNODEBYUSER)
// and the expanded list of the nodes a user may see (USERNODE). Clearing
// removes every row of the user or profile; replacing clears and adds one
// catalog-wide row per catalog; the rebuild of USERNODE expands the user's
// authorisations over the node trees and writes them in one batch. Each
// statement runs on a connection of its own within the object's
// transaction, so the abort vote of a failure undoes what ran before it.
// User ids go between quotes with their quotes doubled. Errors are reported
// as "Quarvel.Catalog.<member>".
#include <unordered_set>
#include <vector>

#include "common/lib_mts.h"
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/catalog/tcatalog.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

bool TCatalog::ClearUserCatalogIDs(const std::string& i_sUserID, std::optional<bool> i_bIsProfile) {
  rt::ContextScope scope(*this);
  try {
    ExecuteOnOwnConnection("DELETE FROM CATALOGNODEBYUSER WHERE USERID='" + QuotedId(i_sUserID) + "' AND ISPROFILE= " +
                           (i_bIsProfile.value_or(false) ? "1 " : "0 "));
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.ClearUserCatalogIDs", Mts_SetAbort);
  }
  return false;
}

// The rows written carry the id without its outer blanks, so the rows of
// both the id as given and that id go first: no earlier row of the user or
// profile survives. Each element must be a number (else 13); an empty
// array leaves none.
bool TCatalog::UpdateUserCatalogIDs(const std::string& i_sUserID, const rt::Variant& i_aCatalogIDs,
                                    std::optional<bool> i_bIsProfile) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const bool profile = i_bIsProfile.value_or(false);
    const std::string trimmed = rt::Trim(i_sUserID);
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM CATALOGNODEBYUSER WHERE 0=1", cn, data::kCursorKeyset,
                       data::kLockBatchOptimistic);
    const bool cleared =
        ClearUserCatalogIDs(i_sUserID, profile) && (trimmed == i_sUserID || ClearUserCatalogIDs(trimmed, profile));
    if (!cleared) {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
      return false;
    }
    ForEachIndex(i_aCatalogIDs, [&](int32_t i, const rt::Variant& catalogId) {
      CountIn16Bits(i);
      rs->AddNew();
      rs->SetValue("CATALOGID", rt::Variant(LongId(catalogId)));
      rs->SetValue("USERID", rt::Variant(trimmed));
      rs->SetValue("LEVEL", rt::Variant(int16_t{0}));
      rs->SetValue("ISPROFILE", rt::Variant(static_cast<int16_t>(profile ? 1 : 0)));
      rs->Update();
    });
    rs->UpdateBatch();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.UpdateUserCatalogIDs", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// The user's catalogs come from Catalog (made here with New, so it reads in
// this object's transaction). A catalog held as a whole gives all its
// nodes; otherwise the user's topmost nodes and every node below them, level
// by level, each level in ascending NODEID. A node is written once however
// often the trees reach it, so a cycle in PARENTNODEID ends the walk. The
// old rows go first and the new ones are sent in one batch; a failure
// discards the batch and votes abort, which brings the old rows back.
bool TCatalog::PopulateUserNodes(const std::string& i_sUserID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cnA, cnB;
  std::shared_ptr<data::Recordset> rows, children;
  try {
    auto catalog = rt::NewObject<Catalog>(*this);
    const std::vector<std::string> catalogIds = SplitList(catalog->GetUserCatalogIDs(i_sUserID));
    const std::string user = QuotedId(i_sUserID);
    cnA = getConnection();
    cnB = getConnection();
    cnA->Execute("DELETE FROM USERNODE WHERE USERID='" + user + "' ");
    rows = OpenRecordset("SELECT * FROM USERNODE WHERE USERID='" + user + "' ", cnA, data::kCursorKeyset,
                         data::kLockBatchOptimistic);
    const rt::Variant userId(i_sUserID);
    std::unordered_set<int32_t> written;
    auto addRow = [&](const rt::Variant& catalogId, const rt::Variant& node) {
      const int32_t nodeId = rt::CLng(node);
      if (!written.insert(nodeId).second) return false;
      rows->AddNew();
      rows->SetValue("CATALOGID", catalogId);
      rows->SetValue("USERID", userId);
      rows->SetValue("NODEID", rt::Variant(nodeId));
      rows->Update();
      return true;
    };
    for (const std::string& text : catalogIds) {
      const int32_t id = LongId(rt::Variant(text));
      const rt::Variant catalogId(id);
      const int16_t top = catalog->GetTopAuthorizedLevel(id, i_sUserID);
      if (top == 0) {
        children = OpenRecordset("SELECT NODEID FROM CATALOGNODE WHERE CATALOGID =" + std::to_string(id) + " ", cnB,
                                 data::kCursorForwardOnly, data::kLockReadOnly);
        for (; !children->Eof(); children->MoveNext()) addRow(catalogId, children->Value("NODEID"));
        Sql_CloseRecordset(children);
        continue;
      }
      std::string level;
      const std::shared_ptr<rt::Dictionary> topNodes = catalog->GetUserTopLevelCatalogNodes(i_sUserID, id);
      for (const rt::Dictionary::Entry& e : topNodes->Entries()) {
        if (addRow(catalogId, e.key)) level += (level.empty() ? "" : ",") + std::to_string(rt::CLng(e.key));
      }
      while (!level.empty()) {
        children = OpenRecordset("SELECT NODEID FROM CATALOGNODE WHERE PARENTNODEID IN (" + level + ") ORDER BY NODEID",
                                 cnB, data::kCursorForwardOnly, data::kLockReadOnly);
        level.clear();
        for (; !children->Eof(); children->MoveNext()) {
          const rt::Variant node = children->Value("NODEID");
          if (addRow(catalogId, node)) level += (level.empty() ? "" : ",") + std::to_string(rt::CLng(node));
        }
        Sql_CloseRecordset(children);
      }
    }
    rows->UpdateBatch();
    Mts_SetComplete();
    Sql_CloseRecordset(rows);
    Sql_CloseConnection(cnA);
    Sql_CloseConnection(cnB);
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.PopulateUserNodes", [&] {
      Mts_SetAbort();
      if (rows && rows->State() == data::kStateOpen) rt::TryResume([&] { rows->CancelBatch(); });
      CloseQuietly(children, cnB);
      CloseQuietly(rows, cnA);
    });
  }
  return false;
}

}  // namespace quarvel
