// TUser: the business partners a user (a sales representative) serves, as
// rows of BPSPERUSER. The links of a user are replaced as a whole, or added
// to; each statement runs on a connection of its own.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "brintor/user/tuser.h"
#include "brintor/user/tuser_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "interfaces/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tuser;

namespace {

// A partner id as a whole 32-bit number. The statement carries it as a
// quoted text that the database would store as it is ('abc', '1.5'), so
// anything else is refused before a row is written: Null with 94, any other
// value with Type mismatch (13).
int32_t PartnerId(const rt::Variant& value) {
  if (value.IsNull()) rt::RaiseVb(rt::vberr::kInvalidUseOfNull);
  if (!value.IsNumericType() && !value.IsString()) rt::RaiseVb(rt::vberr::kTypeMismatch);
  const double number = rt::CDbl(value);
  if (number != std::floor(number) || number < INT32_MIN || number > INT32_MAX) rt::RaiseVb(rt::vberr::kTypeMismatch);
  return static_cast<int32_t>(number);
}

}  // namespace

// However many rows went, also none.
bool TUser::DeleteBPSPerUser(std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getConnection();
    cn->Execute("DELETE FROM BPSPERUSER WHERE USERID='" + Gen_SqlQuote(rt::Variant(i_sUserId)) + "'");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("BPSPERUserDelete"), [&] {
      rt::TryResume([&] { Sql_CloseConnection(cn); });
      Mts_SetAbort();
    });
  }
  return false;
}

// Every id is checked before anything changes, and links are written only
// between a user of the directory and partners that exist (error 5
// otherwise); a link that exists already fails with the database's
// constraint error, and the abort vote takes back the links written before
// it.
bool TUser::InsertBPSPerUser(std::string& i_sUserId, rt::Variant& i_vValues, bool& i_bDelete) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    const rt::SafeArray& values = i_vValues.AsArray();
    std::vector<int32_t> ids;
    for (int32_t i = values.LBound(); i <= values.UBound(); ++i) {
      if (i < INT16_MIN || i > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);  // a 16-bit counter
      ids.push_back(PartnerId(values.At(i)));
    }
    if (!ids.empty()) {
      if (!DirectoryHasUser(i_sUserId)) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
      cn = getConnection();
      for (int32_t id : ids) {
        std::shared_ptr<data::Recordset> rs =
            cn->Execute("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID=" + std::to_string(id));
        const bool exists = !rs->Eof();
        Sql_CloseRecordset(rs);
        if (!exists) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
      }
      Sql_CloseConnection(cn);
    }
    if (i_bDelete) DeleteBPSPerUser(i_sUserId);
    const std::string user = Gen_SqlQuote(rt::Variant(i_sUserId));
    for (int32_t id : ids) {
      cn = getConnection();
      rt::Variant affected;
      cn->Execute("INSERT INTO BPSPERUSER VALUES( '" + user + "', '" + std::to_string(id) + "')", &affected);
      Sql_CloseConnection(cn);
      if (rt::CLng(affected) == 0) {
        Err_Raise(eUserNotFound, Source("InsertBPSPerUser"), "Cannot insert Business partners for user");
      }
    }
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("InsertBPSPerUser"), [&] {
      rt::TryResume([&] { Sql_CloseConnection(cn); });
      Mts_SetAbort();
    });
  }
  return false;
}

}  // namespace brintor
