// TCatalog: adding, renaming and deleting a user's favourite folders. A
// folder without a name or an owner is refused, a rename to a name the user
// already has (in the database's comparison, the folder's own name
// included) is refused, and the root folder (an id below 1) is never
// deleted; refusals are answers, not errors. Deleting a folder removes the
// favourites in it only when the folder is the user's. User ids and names
// go between quotes with their quotes doubled. Errors are reported as
// "Quarvel.Catalog.<member>".
#include "common/lib_mts.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/catalog/tcatalog.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

// Each field gets its paired value as given. A FOLDERNAME or USERID field
// (the names exactly so, letter case included) whose value is empty text,
// Empty or Null refuses the folder: -1, nothing written, no vote. Success
// votes commit; a failure (a field that is no column) casts no vote.
int32_t TCatalog::InsertFavoriteFolder(const rt::Variant& i_aFields, const rt::Variant& i_aValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM FAVORITEFOLDERS WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    const rt::SafeArray& values = i_aValues.AsArray();
    bool refused = false;
    ForEachIndex(i_aFields, [&](int32_t i, const rt::Variant& field) {
      if (refused) return;
      const std::string name = rt::CStr(field);
      const rt::Variant& value = values.At(i);
      if ((name == "FOLDERNAME" || name == "USERID") && rt::Concat(value).empty()) {
        refused = true;
        return;
      }
      rs->SetValue(name, value);
    });
    if (refused) {
      rs->CancelUpdate();
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      return -1;
    }
    rs->Update();
    const int32_t id = rt::CLng(rs->Value("FOLDERID"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.InsertFavoriteFolder", [&] { CloseQuietly(rs, cn); });
  }
  return -1;
}

// True whether or not the folder is the user's; no vote unless it fails.
bool TCatalog::UpdateFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName,
                                        const std::string& i_sNewFolderName) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn, updateCn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::string user = QuotedId(i_sUserName);
    const std::string name = QuotedId(i_sNewFolderName);
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM FAVORITEFOLDERS WHERE USERID = '" + user + "' AND FOLDERNAME = '" + name + "' ",
                       cn, data::kCursorKeyset, data::kLockOptimistic);
    const bool taken = !rs->Eof();
    Sql_CloseRecordset(rs);
    if (!taken) {
      updateCn = getConnection();
      updateCn->Execute("UPDATE FAVORITEFOLDERS SET FOLDERNAME= '" + name + "' WHERE FOLDERID = " +
                        std::to_string(i_lFolderID) + " AND USERID = '" + user + "'");
      Sql_CloseConnection(updateCn);
    }
    Sql_CloseConnection(cn);
    return !taken;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.UpdateFavoriteFolderName", [&] {
      Mts_SetAbort();
      CloseQuietly(rs, cn);
      CloseQuietly(updateCn);
    });
  }
  return false;
}

// True whether or not a folder of the user matched; the root folder answers
// False and nothing goes.
bool TCatalog::DeleteFavoriteFolder(int32_t iFolderID, const std::string& i_sUserID) {
  rt::ContextScope scope(*this);
  try {
    if (iFolderID < 1) return false;
    const std::string id = std::to_string(iFolderID);
    const std::string user = QuotedId(i_sUserID);
    ExecuteOnOwnConnection("DELETE FROM FAVORITES WHERE FOLDERID = " + id +
                           " AND EXISTS (SELECT * FROM FAVORITEFOLDERS WHERE FOLDERID = " + id + " AND USERID = '" +
                           user + "')");
    ExecuteOnOwnConnection("DELETE FROM FAVORITEFOLDERS WHERE FOLDERID=" + id + " AND USERID= '" + user + "'");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.DeleteFavoriteFolder", Mts_SetAbort);
  }
  return false;
}

}  // namespace quarvel
