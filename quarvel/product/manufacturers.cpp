// Product: manufacturers (MANUFACTURER), keyed by a code the caller gives:
// the paged list and the adding of one.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "quarvel/services/catalog_paging.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

std::shared_ptr<rt::Dictionary> Product::GetAllManufacturers() {
  rt::ContextScope scope(*this);
  DeprecatedStub(
      "Function GetAllManufacturers() is a 'full table scan' function and is not supported anymore.\r\n"
      "Use new function GetManufacturerData() that supports paging (=based on DRecordset component).");
}

// The manufacturers (or those of the codes given, each as a quoted text) as
// a paged list keyed by MANUFACTURERID. No vote.
rt::ObjectPtr Product::GetManufacturerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                           int32_t i_iPageSize, const rt::Variant& i_alManufacturerIDs,
                                           std::optional<std::string> i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return CatalogPagedQuery("SELECT * FROM MANUFACTURER", "MANUFACTURERID", IdListForm::kQuotedTexts,
                             ListRequest(i_oPage, i_sPersistedStateInfo, i_iPageSize, i_alManufacturerIDs,
                                         rt::Variant(i_sSortTableFieldNames.value_or(std::string()))),
                             ConnectionSource::kApplicationFirst);
  } catch (...) {
    HandleMethodError(Source("GetManufacturerData"));
  }
  return nullptr;
}

// A code that exists fails at the database.
void Product::InsertManufacturer(std::string& iManufacturerCode, std::string& iManufacturerName) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getConnection();
    cn->Execute("INSERT INTO MANUFACTURER (MANUFACTURERID, MANUFACTURERNAME) VALUES('" +
                Gen_SqlQuote(rt::Variant(iManufacturerCode)) + "', '" + Gen_SqlQuote(rt::Variant(iManufacturerName)) +
                "')");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError("Quarvel.Manufacturer.InsertManufacturer", [&] {
      Mts_SetAbort();
      CloseQuietly(cn);
    });
  }
}

}  // namespace quarvel
