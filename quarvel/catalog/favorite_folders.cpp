// Catalog: a user's favourite folders (FAVORITEFOLDERS): the list by name,
// one folder's name and a folder's id by name. Names compare as the
// database compares them (letter case and trailing blanks ignored). User ids
// and names go between quotes with their quotes doubled. Errors are
// reported as "Quarvel.Catalog.<member>".
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

// FOLDERID -> FOLDERNAME in name order.
std::shared_ptr<rt::Dictionary> Catalog::GetFavoriteFolders(const std::string& i_sUserName) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<std::shared_ptr<rt::Dictionary>>(
      "Quarvel.Catalog.GetFavoriteFolders", nullptr, [&](const std::shared_ptr<data::Connection>& cn) {
        std::shared_ptr<data::Recordset> rs =
            OpenRecordset("SELECT FOLDERID, FOLDERNAME FROM FAVORITEFOLDERS WHERE USERID = '" + QuotedId(i_sUserName) +
                              "' ORDER BY FOLDERNAME",
                          cn, data::kCursorForwardOnly, data::kLockReadOnly);
        auto folders = rt::NewDictionary();
        for (; !rs->Eof(); rs->MoveNext()) folders->Add(rs->Value("FOLDERID"), rs->Value("FOLDERNAME"));
        Sql_CloseRecordset(rs);
        return folders;
      });
}

// "" when the user has no such folder (or it has no name).
std::string Catalog::GetFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<std::string>(
      "Quarvel.Catalog.GetFavoriteFolderName", {}, [&](const std::shared_ptr<data::Connection>& cn) {
        const rt::Variant name =
            FirstValue("SELECT FOLDERNAME FROM FAVORITEFOLDERS WHERE USERID = '" + QuotedId(i_sUserName) +
                           "' AND FOLDERID = " + std::to_string(i_lFolderID) + " ",
                       cn, "FOLDERNAME");
        return name.IsMissing() ? std::string() : rt::Concat(name);
      });
}

// -1 when the user has no folder of that name.
int32_t Catalog::GetFavoriteFolderID(const std::string& i_sFolderName, const std::string& i_sUserName) {
  rt::ContextScope scope(*this);
  return ReadOnOwnConnection<int32_t>(
      "Quarvel.Catalog.GetFavoriteFolderID", -1, [&](const std::shared_ptr<data::Connection>& cn) {
        const rt::Variant id = FirstValue("SELECT FOLDERID FROM FAVORITEFOLDERS WHERE USERID = '" +
                                              QuotedId(i_sUserName) + "' AND FOLDERNAME = '" + QuotedId(i_sFolderName) + "'",
                                          cn, "FOLDERID");
        return id.IsMissing() ? -1 : rt::CLng(id);
      });
}

}  // namespace quarvel
