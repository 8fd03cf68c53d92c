// TCatalog.CopyCatalog: a new catalog row copied from another under a given
// or a free generated name, inactive and an approval catalog, with the
// source's node tree when asked. Everything runs in the caller's
// transaction: a failure anywhere votes abort, so neither the row nor any
// node stays. These steps report without the library's name
// ("Catalog.CopyCatalog"), the not-found error as "Quarvel.Catalog.CopyCatalog".
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/catalog/tcatalog.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

const char* const kNodeColumns =
    "SELECT NODEID, ICONID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, "
    "NODETYPE, NODEURL, CATEGORYID, NODEDESCRIPTION FROM CATALOGNODE ";

// What a copied node takes from its source; PARENTNODEID still names the
// source's parent until the second pass. SHOPOUT takes its default.
constexpr const char* kCopiedNodeColumns[] = {"ICONID",   "PARENTNODEID", "NODENAME",   "SEQUENCE",
                                              "NODETYPE", "NODEURL",      "CATEGORYID", "NODEDESCRIPTION"};

}  // namespace

void TCatalog::CopyCatalog(int32_t ilngCatalogIDOrig, int16_t iintDeepCopyLevel, const std::string& istrCopyName) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> sourceCn, copyCn;
  std::shared_ptr<data::Recordset> source, copy;
  try {
    const std::string id = std::to_string(ilngCatalogIDOrig);
    sourceCn = getConnection();
    source = OpenRecordset("SELECT * FROM CATALOG WHERE CATALOGID=" + id, sourceCn, data::kCursorForwardOnly,
                           data::kLockReadOnly);
    if (source->Eof())
      Err_Raise(ErrorNumber(QuarvelErrors::eCatalogNotFound), "Quarvel.Catalog.CopyCatalog",
                "Catalog " + id + "  not present");
    copyCn = getConnection();
    copy = OpenRecordset("SELECT * FROM CATALOG WHERE 0=1", copyCn, data::kCursorKeyset, data::kLockOptimistic);
    copy->AddNew();
    copy->SetValue("ICONID", source->Value("ICONID"));
    // A source without a name cannot give one: CStr of Null fails (94).
    copy->SetValue("CATALOGNAME", istrCopyName.empty()
                                      ? GenerateCopyCatalogNames(rt::CStr(source->Value("CATALOGNAME")))
                                      : istrCopyName);
    copy->SetValue("ACTIVE", rt::Variant(false));
    copy->SetValue("APPROVALCATALOG", rt::Variant(true));
    copy->SetValue("CATALOGDESCRIPTION", source->Value("CATALOGDESCRIPTION"));
    copy->Update();
    const int32_t newId = rt::CLng(copy->Value("CATALOGID"));
    Sql_CloseRecordsetAndConnection(source);
    Sql_CloseRecordsetAndConnection(copy);
    if (iintDeepCopyLevel == 1) CopyCatalogNodes(ilngCatalogIDOrig, newId);
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError("Catalog.CopyCatalog", [&] {
      CloseQuietly(source, sourceCn);
      CloseQuietly(copy, copyCn);
      Mts_SetAbort();
    });
  }
}

// The source is read in NODEID order, so the copies keep the order of the
// ids that node levels are counted along. A parent that is not among the
// copied nodes (one of another catalog) has no copy: the copied node gets
// Null, a top node of the new catalog, never a node of another catalog.
void TCatalog::CopyCatalogNodes(int32_t oldId, int32_t newId) {
  std::shared_ptr<data::Connection> sourceCn, copyCn, parentCn;
  std::shared_ptr<data::Recordset> source, copy, parents;
  try {
    sourceCn = getConnection();
    const std::string sql = std::string(kNodeColumns) + "WHERE CATALOGID = " + std::to_string(oldId) + " ORDER BY NODEID";
    source = OpenRecordset(sql, sourceCn, data::kCursorForwardOnly, data::kLockReadOnly);
    if (source->Eof()) {
      Sql_CloseRecordsetAndConnection(source);
      return;
    }
    copyCn = getConnection();
    copy = OpenRecordset(std::string(kNodeColumns) + "WHERE 0=1", copyCn, data::kCursorKeyset, data::kLockOptimistic);
    std::unordered_map<int32_t, int32_t> newIds;
    for (; !source->Eof(); source->MoveNext()) {
      copy->AddNew();
      for (const char* column : kCopiedNodeColumns) copy->SetValue(column, source->Value(column));
      copy->SetValue("CATALOGID", rt::Variant(newId));
      copy->Update();
      newIds[rt::CLng(source->Value("NODEID"))] = rt::CLng(copy->Value("NODEID"));
    }
    Sql_CloseRecordsetAndConnection(source);
    Sql_CloseRecordsetAndConnection(copy);

    // The key column is among the fields, so that the rows can be written.
    parentCn = getConnection();
    parents = OpenRecordset("SELECT NODEID, PARENTNODEID FROM CATALOGNODE WHERE CATALOGID = " + std::to_string(newId),
                            parentCn, data::kCursorKeyset, data::kLockOptimistic);
    for (; !parents->Eof(); parents->MoveNext()) {
      const rt::Variant parent = parents->Value("PARENTNODEID");
      if (parent.IsNull()) continue;
      const auto copied = newIds.find(rt::CLng(parent));
      parents->SetValue("PARENTNODEID", copied == newIds.end() ? rt::Variant::Null() : rt::Variant(copied->second));
      parents->Update();
    }
    Sql_CloseRecordsetAndConnection(parents);
  } catch (...) {
    HandleMethodError("Catalog.CopyCatalogNodes", [&] {
      CloseQuietly(source, sourceCn);
      CloseQuietly(copy, copyCn);
      CloseQuietly(parents, parentCn);
    });
  }
}

// The names are read once and compared in code, exactly (letter case and
// blanks count), whatever the database's collation says.
std::string TCatalog::GenerateCopyCatalogNames(const std::string& name) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT * FROM CATALOG ORDER BY CATALOGNAME ", cn, data::kCursorForwardOnly,
                       data::kLockReadOnly);
    const bool none = rs->Eof();
    std::unordered_set<std::string> taken;
    for (; !rs->Eof(); rs->MoveNext()) {
      const rt::Variant value = rs->Value("CATALOGNAME");
      if (const std::string* text = value.Get<std::string>()) taken.insert(*text);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    if (none) return {};
    if (!taken.count("Copy Of " + name)) return "Copy Of " + name;
    // The number is a 16-bit counter.
    for (int32_t n = 2;; CountIn16Bits(++n)) {
      std::string candidate = "Copy (" + std::to_string(n) + ") Of " + name;
      if (!taken.count(candidate)) return candidate;
    }
  } catch (...) {
    HandleMethodError("Catalog.GenerateCopyCatalogNames", [&] { CloseQuietly(rs, cn); });
  }
  return {};
}

}  // namespace quarvel
