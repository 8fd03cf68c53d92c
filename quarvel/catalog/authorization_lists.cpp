// Catalog: who holds which catalogs. The catalogs of a profile (its rows
// with ISPROFILE 1) or of a user (ISPROFILE 0) as ids joined by ";", and
// the users or profiles that hold a catalog. Ids go between quotes with
// their quotes doubled. Errors are reported as "Quarvel.Catalog.<member>".
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

// The CATALOGIDs of the rows, in the order read, joined by ";".
std::string JoinedCatalogIds(const std::string& sql, const char* source) {
  return ReadOnOwnConnection<std::string>(source, {}, [&](const std::shared_ptr<data::Connection>& cn) {
    std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
    std::string ids;
    for (; !rs->Eof(); rs->MoveNext()) ids += (ids.empty() ? "" : ";") + rt::CStr(rs->Value("CATALOGID"));
    Sql_CloseRecordset(rs);
    return ids;
  });
}

}  // namespace

// In catalog-name order.
std::string Catalog::GetProfileCatalogIDs(const std::string& i_sProfileID) {
  rt::ContextScope scope(*this);
  return JoinedCatalogIds("SELECT DISTINCT CNU.CATALOGID AS CATALOGID,C.CATALOGNAME FROM CATALOGNODEBYUSER CNU,CATALOG C "
                          "WHERE USERID='" +
                              QuotedId(i_sProfileID) +
                              "' AND ISPROFILE = 1 AND CNU.CATALOGID = C.CATALOGID ORDER BY C.CATALOGNAME",
                          "Quarvel.Catalog.GetProfileCatalogIDs");
}

// In the order the database answers them.
std::string Catalog::GetUserCatalogIDs(const std::string& i_sUserID) {
  rt::ContextScope scope(*this);
  return JoinedCatalogIds("SELECT DISTINCT CATALOGID FROM CATALOGNODEBYUSER WHERE USERID='" + QuotedId(i_sUserID) +
                              "' AND ISPROFILE = 0 ",
                          "Quarvel.Catalog.GetUserCatalogIDs");
}

// The distinct user (or profile) ids of one catalog, or of all catalogs for
// -1, as texts from 0 in the order the database answers them; none gives an
// array without elements.
rt::Variant Catalog::GetCatalogUsers(std::optional<int32_t> i_lCatalogID, std::optional<bool> i_bIsProfile) {
  rt::ContextScope scope(*this);
  const int32_t catalogId = i_lCatalogID.value_or(-1);
  const char* const profile = i_bIsProfile.value_or(false) ? "ISPROFILE = 1" : "ISPROFILE = 0";
  return ReadOnOwnConnection<rt::Variant>(
      "Quarvel.Catalog.GetCatalogUsers", rt::Variant(int32_t{0}), [&](const std::shared_ptr<data::Connection>& cn) {
        std::string sql = "SELECT DISTINCT USERID FROM CATALOGNODEBYUSER  ";
        sql += catalogId == -1 ? std::string("WHERE ") + profile
                               : "WHERE CATALOGID = " + std::to_string(catalogId) + " AND " + profile;
        std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
        auto ids = rt::NewDictionary();
        for (; !rs->Eof(); rs->MoveNext()) {
          const rt::Variant id(rt::CStr(rs->Value("USERID")));
          if (!ids->Exists(id)) ids->Add(id, id);
        }
        Sql_CloseRecordset(rs);
        rt::ArrayPtr users = rt::SafeArray::OneDim(0, ids->Count() - 1, rt::VarType::String);
        int32_t i = 0;
        for (const rt::Dictionary::Entry& e : ids->Entries()) users->At(i++) = e.key;
        return rt::Variant(users);
      });
}

}  // namespace quarvel
