// TUnit: the guarded delete of a unit (the referential checker first, then
// the unit's products, then the statement; a refusal answers False with an
// abort vote and no error) and the unit's referential answers. Errors are
// reported under the reading class's name ("Quarvel.Unit.Delete").
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/classes.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/reference/unit.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

rt::ClassInfo TUnitClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Quarvel.TUnit", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<TUnit>(); }};
}

bool TUnit::Delete(std::string& iUnitCode) {
  rt::ContextScope scope(*this);
  rt::Err().Clear();
  std::shared_ptr<data::Connection> cn;
  try {
    if (!CheckerAllowsDelete("UNIT", "UNITCODE", rt::Variant(iUnitCode)) || !canDeleteUnit(iUnitCode)) {
      Mts_SetAbort();
      return false;
    }
    cn = getConnection(false);
    rt::Variant affected;
    cn->Execute("DELETE FROM UNIT WHERE UNITCODE = '" + Gen_SqlQuote(rt::Variant(iUnitCode)) + "'", &affected);
    if (rt::CLng(affected) == 0)
      Err_Raise(ErrorNumber(QuarvelErrors::eUnitNotFound), "Quarvel.Unit.Delete", "Unit not found");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.Unit.Delete", [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool TUnit::canDeleteUnit(const std::string& iUnitCode) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection(true);
    rs = cn->Execute("SELECT * FROM PRODUCT WHERE UNITCODE = '" + Gen_SqlQuote(rt::Variant(iUnitCode)) + "'");
    const bool unused = rs->Eof();
    Sql_CloseConnection(cn);
    return unused;
  } catch (...) {
    HandleMethodError("Quarvel.Unit.canDeleteUnit", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool TUnit::IReferentialIntegrity_Exists(const std::string&, const rt::Variant& iKeys, const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    bool exists = false;
    if (std::optional<int32_t> i = FindKeyIndex(iKeys, "UNITCODE")) {
      cn = getConnection(true);
      rs = cn->Execute("SELECT UNITCODE FROM UNIT WHERE UNITCODE = '" + Gen_SqlQuote(iValues.AsArray().At(*i)) + "'");
      exists = !rs->Eof();
      Sql_CloseConnection(cn);
    }
    Mts_SetComplete();
    return exists;
  } catch (...) {
    HandleMethodError("Quarvel.Unit.Exists", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool TUnit::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
  return true;
}

}  // namespace quarvel
