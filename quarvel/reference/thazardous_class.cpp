// THazardousClass: the delete of a hazardous class, guarded only by its
// products (a refusal answers False with an abort vote and no error), and
// the class's referential answers.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/classes.h"
#include "quarvel/reference/hazardous_class.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

rt::ClassInfo THazardousClassClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Quarvel.THazardousClass", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<THazardousClass>(); }};
}

bool THazardousClass::Delete(std::string& iClassCode) {
  rt::ContextScope scope(*this);
  rt::Err().Clear();
  std::shared_ptr<data::Connection> cn;
  try {
    if (!canDeleteHazardousClass(iClassCode)) {
      Mts_SetAbort();
      return false;
    }
    cn = getConnection(false);
    rt::Variant affected;
    cn->Execute("DELETE FROM HAZARDOUSCLASS WHERE CLASSCODE = N'" + Gen_SqlQuote(rt::Variant(iClassCode)) + "'",
                &affected);
    if (rt::CLng(affected) == 0)
      Err_Raise(ErrorNumber(QuarvelErrors::eHazardousClassNotFound), "Quarvel.THazardousClass.Delete",
                "HazardousClass not found");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.THazardousClass.Delete", [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// No vote of its own on failure: the caller's handler votes abort.
bool THazardousClass::canDeleteHazardousClass(const std::string& iClassCode) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection(true);
    rs = cn->Execute("SELECT * FROM PRODUCT WHERE CLASSCODE = N'" + Gen_SqlQuote(rt::Variant(iClassCode)) + "'");
    const bool unused = rs->Eof();
    Sql_CloseConnection(cn);
    return unused;
  } catch (...) {
    HandleMethodError("Quarvel.THazardousClass.canDeleteHazardousClass", [&] { CloseQuietly(rs, cn); });
  }
  return false;
}

bool THazardousClass::IReferentialIntegrity_Exists(const std::string&, const rt::Variant& iKeys,
                                                   const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    bool exists = false;
    if (std::optional<int32_t> i = FindKeyIndex(iKeys, "CLASSCODE")) {
      cn = getConnection(true);
      rs = cn->Execute("SELECT CLASSCODE FROM HAZARDOUSCLASS WHERE CLASSCODE = N'" +
                       Gen_SqlQuote(iValues.AsArray().At(*i)) + "'");
      exists = !rs->Eof();
      Sql_CloseConnection(cn);
    }
    Mts_SetComplete();
    return exists;
  } catch (...) {
    HandleMethodError("Quarvel.THazardousClass.Exists", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool THazardousClass::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
  return true;
}

}  // namespace quarvel
