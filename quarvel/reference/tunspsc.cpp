// TUNSPSC: deleting a code, the referential answers, the dispatch table.
#include "quarvel/reference/tunspsc.h"

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/reference/unspsc_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace quarvel {

namespace {

std::string Quoted(const std::string& text) { return Gen_SqlQuote(rt::Variant(text)); }

}  // namespace

rt::ClassInfo TUNSPSCClass() {
  // {17093CC5-...}: requires a transaction.
  return rt::ClassInfo{"Quarvel.TUNSPSC", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<TUNSPSC>(); }};
}

const rt::DispatchTable* TUNSPSC::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<TUNSPSC>("TUNSPSC")
          .Method("Delete", &TUNSPSC::Delete)
          .Method("UploadFromXLS", &TUNSPSC::UploadFromXLS)
          .Method("UploadFromXML", &TUNSPSC::UploadFromXML)
          .Method("IReferentialIntegrity_Exists", &TUNSPSC::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &TUNSPSC::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

// Only the code's own row goes: the rows below it, its commodity and the
// links of products and categories stay. The checker is asked about the
// code with its blanks trimmed, the code that is deleted: asked with the
// blanks, it would find no row that uses it.
bool TUNSPSC::Delete(std::string& iUNSPSCCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  try {
    const std::string code = rt::Trim(iUNSPSCCode);
    if (!CheckerAllowsDelete("UNSPSCCodes", "UNSPSCCode", rt::Variant(code))) {
      Mts_SetAbort();
      return false;
    }
    const std::string parent = rt::Len(code) > 2 ? Left(code, rt::Len(code) - 2) : std::string();
    const std::string own = Right(code, 2);
    connection = getConnection(false);
    rt::Variant deleted(int32_t{0});
    connection->Execute("DELETE FROM UNSPSCCODES WHERE PARENTCODE = '" + Quoted(parent) + "'" +
                            " and UNSPSCCODE = '" + Quoted(own) + "'",
                        &deleted);
    if (rt::CLng(deleted) == 0)
      rt::Raise(ErrorNumber(QuarvelErrors::eUNSPSCCodeNotFound), "Quarvel.UNSPSCCode.Delete", "UNSPSCCode not found");
    Sql_CloseConnection(connection);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.UNSPSCCode.Delete", [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return false;
}

bool TUNSPSC::IReferentialIntegrity_Exists(const std::string&, const rt::Variant& iKeys,
                                           const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> connection;
  try {
    bool exists = false;
    const rt::SafeArray& keys = iKeys.AsArray();
    const int32_t lower = keys.LBound(), upper = keys.UBound();
    // The index is a 16-bit counter.
    if (lower < INT16_MIN || upper > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
    for (int32_t i = lower; i <= upper; ++i) {
      if (rt::UCase(rt::CStr(keys.At(i))) != "UNSPSCCODES") continue;
      // A value shorter than two characters has no row key: Left raises 5.
      const unspsc::RowKey key = unspsc::SplitCode(rt::Trim(rt::CStr(iValues.AsArray().At(i))));
      connection = getConnection(true);
      exists = !connection
                    ->Execute("SELECT * FROM UNSPSCCodes WHERE PARENTCODE = '" + Quoted(key.parent) +
                              "' and UNSPSCCODE = '" + Quoted(key.own) + "'")
                    ->Eof();
      break;
    }
    Sql_CloseConnection(connection);
    Mts_SetComplete();
    return exists;
  } catch (...) {
    HandleMethodError("Quarvel.UNSPSCCode.Exists", [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return false;
}

bool TUNSPSC::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
  return true;
}

}  // namespace quarvel
