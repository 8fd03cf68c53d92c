// Catalog: every catalog, one catalog's record and the catalog that the
// one-key getters remember, and the active catalogs of a business partner.
#include "common/lib_errorhandling.h"
#include "common/lib_sql.h"
#include "quarvel/classes.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

namespace {

// The columns of a catalog record, in its order.
constexpr const char* kRecordColumns[] = {"CATALOGID",         "CATALOGNAME", "ACTIVE",       "APPROVALCATALOG",
                                          "SUPPLIERCATALOGID", "VERSION",     "CATALOGLAYOUT"};

// A flag of the record: Null reads as False.
bool Flag(const rt::Variant& value) { return !value.IsNull() && rt::CBool(value); }

// The rows of a two-column query (id, name) as a dictionary in row order.
std::shared_ptr<rt::Dictionary> IdsToNames(const std::string& sql, const char* errorSource) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
    auto names = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) names->Add(rs->Value("CATALOGID"), rs->Value("CATALOGNAME"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return names;
  } catch (...) {
    HandleMethodError(errorSource, [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

}  // namespace

rt::ClassInfo CatalogClass() {
  // {17093CC6-...}: the class does not support transactions.
  return rt::ClassInfo{"Quarvel.Catalog", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<Catalog>(); }};
}

std::shared_ptr<rt::Dictionary> Catalog::GetAllCatalogs() {
  rt::ContextScope scope(*this);
  return IdsToNames("SELECT CATALOGID, CATALOGNAME FROM CATALOG ORDER BY CATALOGNAME",
                    "Quarvel.Catalog.getAllCatalogs");
}

std::shared_ptr<rt::Collection> Catalog::GetCatalog(int32_t iCatalogID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("select * from catalog where CATALOGID=" + std::to_string(iCatalogID), cn,
                       data::kCursorForwardOnly, data::kLockReadOnly);
    if (rs->Eof())
      Err_Raise(ErrorNumber(QuarvelErrors::eCatalogNotFound), "Quarvel.Catalog.GetCatalog", "Catalog not present");
    auto record = std::make_shared<rt::Collection>();
    for (const char* column : kRecordColumns) record->Add(rs->Value(column), rt::Variant(column));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return record;
  } catch (...) {
    HandleMethodError("Quarvel.Catalog.getCatalog", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// No handler: a failed load (logged by GetCatalog) reaches the caller as it
// came, and a new object's id 0 has no record to read (91).
rt::Variant Catalog::RememberedItem(int32_t id, const char* key) {
  if (id != rememberedId_) {
    std::shared_ptr<rt::Collection> record = GetCatalog(id);
    rememberedRecord_ = std::move(record);
    rememberedId_ = id;
  }
  if (!rememberedRecord_) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return rememberedRecord_->Item(rt::Variant(key));
}

std::string Catalog::getName(int32_t iCatalogID) {
  rt::ContextScope scope(*this);
  return rt::CStr(RememberedItem(iCatalogID, "CATALOGNAME"));
}

bool Catalog::getActive(int32_t iCatalogID) {
  rt::ContextScope scope(*this);
  return Flag(RememberedItem(iCatalogID, "ACTIVE"));
}

bool Catalog::getApproval(int32_t iCatalogID) {
  rt::ContextScope scope(*this);
  return Flag(RememberedItem(iCatalogID, "APPROVALCATALOG"));
}

bool Catalog::UseCatalogLayOutParameter(int32_t iCatalogID) {
  rt::ContextScope scope(*this);
  return Flag(RememberedItem(iCatalogID, "CATALOGLAYOUT"));
}

std::shared_ptr<rt::Dictionary> Catalog::GetCatalogByBP(int32_t i_lBusinessPartnerID) {
  rt::ContextScope scope(*this);
  return IdsToNames("SELECT DISTINCT CATALOGNODEBYBP.CATALOGID AS CATALOGID, CATALOG.CATALOGNAME AS CATALOGNAME "
                    "FROM CATALOGNODEBYBP,  CATALOG WHERE CATALOGNODEBYBP.BUSINESSPARTNERID = " +
                        std::to_string(i_lBusinessPartnerID) +
                        " AND CATALOGNODEBYBP.CATALOGID = CATALOG.CATALOGID  AND CATALOG.ACTIVE=1 "
                        "ORDER BY CATALOG.CATALOGNAME ",
                    "Quarvel.Catalog.GetCatalogByBP");
}

}  // namespace quarvel
