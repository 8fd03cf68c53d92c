// PropertyGroup: whether a group may go (the referential checker, then the
// products and commodities that have it) and its delete with its
// memberships. A refusal answers False and votes commit; a group without a
// row fails, and the abort vote brings its memberships back.
#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/reference/property_group.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

namespace {

// The number of rows the query finds, read on a READ COMMITTED connection
// of its own.
int32_t RowsFound(const std::string& sql) {
  std::shared_ptr<data::Connection> cn = getConnection(true);
  std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorStatic, data::kLockReadOnly);
  const int32_t rows = rs->RecordCount();
  Sql_CloseConnection(cn);
  return rows;
}

}  // namespace

bool PropertyGroup::CanDelete(int32_t& iPropertyGroupId) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  rt::Err().Clear();
  try {
    bool allowed = CheckerAllowsDelete("PROPERTYGROUP", "PROPERTYGROUPID", rt::Variant(iPropertyGroupId));
    if (allowed) {
      const std::string id = std::to_string(iPropertyGroupId);
      const int32_t users = RowsFound("SELECT PROPERTYGROUPID FROM PRODUCT WHERE PROPERTYGROUPID = " + id) +
                            RowsFound("SELECT PROPERTYGROUPID FROM COMMODITY WHERE PROPERTYGROUPID = " + id);
      allowed = users <= 0;
    }
    Mts_SetComplete();
    return allowed;
  } catch (...) {
    HandleMethodError("Quarvel.PropertyGroup.CanDelete", Mts_SetAbort);
  }
  return false;
}

bool PropertyGroup::Delete(int32_t& iPropertyGroupId) {
  rt::ContextScope scope(*this);
  rt::Err().Clear();
  try {
    if (!CanDelete(iPropertyGroupId)) {
      Mts_SetComplete();
      return false;
    }
    const std::string id = std::to_string(iPropertyGroupId);
    ExecuteOnOwnConnection("DELETE FROM propsbypropgroup WHERE propertygroupid = " + id, false);
    if (ExecuteOnOwnConnection("DELETE FROM propertygroup WHERE propertygroupid = " + id, false) == 0)
      Err_Raise(ErrorNumber(QuarvelErrors::ePropertyGroupNotFound), "Quarvel.PropertyGroup.Delete",
                "Property group not present");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.PropertyGroup.Delete", Mts_SetAbort);
  }
  return false;
}

}  // namespace quarvel
