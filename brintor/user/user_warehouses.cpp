// User: the warehouse and work-centre code tables, listed whole, by BIS id,
// or one row's details.
#include <functional>
#include <string>

#include "brintor/user/user.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/field.h"
#include "data/recordset.h"
#include "runtime/context.h"

namespace brintor {

namespace {

// Code to description, for each row in the order the database returns them.
std::shared_ptr<rt::Dictionary> CodeList(const std::shared_ptr<data::Connection>& cn, const std::string& sql,
                                         std::shared_ptr<data::Recordset>& rs) {
  auto list = rt::NewDictionary();
  rs = cn->Execute(sql);
  while (!rs->Eof()) {
    list->Add(rs->Value(0), rs->Value(1));
    rs->MoveNext();
  }
  return list;
}

// Shared by the four list methods: one statement, failures under `source`.
std::shared_ptr<rt::Dictionary> RunList(const std::function<std::shared_ptr<data::Connection>()>& open,
                                        const std::string& sql, const std::string& source) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = open();
    auto list = CodeList(cn, sql, rs);
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return list;
  } catch (...) {
    HandleMethodError(source, [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// The row's listed columns by the names the database reports; a missing row
// votes abort and raises the not-found error to the caller unlogged.
std::shared_ptr<rt::Dictionary> RunDetails(
    const std::function<std::shared_ptr<data::Connection>()>& open, const std::string& sql,
    std::initializer_list<const char*> columns, const std::string& source, int32_t notFound,
    const std::string& notFoundSource, const std::string& notFoundText) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  bool missing = false;
  std::shared_ptr<rt::Dictionary> details;
  try {
    cn = open();
    details = rt::NewDictionary();
    rs = cn->Execute(sql);
    if (rs->Eof()) {
      missing = true;
    } else {
      for (const char* column : columns) {
        auto field = rs->Field(rt::Variant(column));
        details->Add(rt::Variant(field->Name()), field->Value());
      }
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
  } catch (...) {
    HandleMethodError(source, [&] { CloseQuietly(rs, cn); });
  }
  if (missing) {
    Mts_SetAbort();
    Err_Raise(notFound, notFoundSource, notFoundText);
  }
  return details;
}

}  // namespace

std::shared_ptr<rt::Dictionary> User::GetAllWarehouses() {
  rt::ContextScope scope(*this);
  return RunList([this] { return getConnection(); }, "select WAREHOUSECODE, WAREHOUSEDESCRIPTION from WAREHOUSE",
                 "Brintor.User.GetAllWarehouses");
}

std::shared_ptr<rt::Dictionary> User::GetWarehouseDetails(std::string& iWarehouseCode) {
  rt::ContextScope scope(*this);
  return RunDetails([this] { return getConnection(); },
                    "select * from WAREHOUSE where WAREHOUSECODE = '" + Gen_SqlQuote(rt::Trim(iWarehouseCode)) + "'",
                    {"WAREHOUSECODE", "WAREHOUSEDESCRIPTION", "BISID"},
                    "Brintor.User.GetWarehouseDetails Warehouse: " + iWarehouseCode, eWarehouseNotFound,
                    "Brintor.User.GetWarehouseDetails", "WarehouseCode Not Found");
}

std::shared_ptr<rt::Dictionary> User::GetWarehousesByBISID(int16_t& iBISID) {
  rt::ContextScope scope(*this);
  const std::string id = std::to_string(iBISID);
  return RunList([this] { return getConnection(); },
                 "select WAREHOUSECODE, WAREHOUSEDESCRIPTION from WAREHOUSE where BISID = " + id,
                 "Brintor.User.GetWarehousesByBISID defaultBISID: " + id);
}

std::shared_ptr<rt::Dictionary> User::GetAllWorkcenters() {
  rt::ContextScope scope(*this);
  return RunList([this] { return getConnection(); },
                 "select WORKCENTERCODE, WORKCENTERDESCRIPTION from WORKCENTER", "Brintor.User.GetAllWorkcenters");
}

std::shared_ptr<rt::Dictionary> User::GetWorkcenterDetails(std::string& iWorkcenterCode) {
  rt::ContextScope scope(*this);
  return RunDetails([this] { return getConnection(); },
                    "select * from WORKCENTER where WORKCENTERCODE = '" + Gen_SqlQuote(rt::Trim(iWorkcenterCode)) +
                        "'",
                    {"WORKCENTERCODE", "WORKCENTERDESCRIPTION", "COSTCENTER", "BISID"},
                    "Brintor.User.GetWorkcenterDetails Workcenter: " + iWorkcenterCode, eWorkcenterNotFound,
                    "Brintor.User.GetWorkcenterDetails", "WorkcenterCode Not Found");
}

std::shared_ptr<rt::Dictionary> User::GetWorkcentersByBISID(int16_t& iBISID) {
  rt::ContextScope scope(*this);
  const std::string id = std::to_string(iBISID);
  return RunList([this] { return getConnection(); },
                 "select WORKCENTERCODE, WORKCENTERDESCRIPTION from WORKCENTER where BISID = " + id,
                 "Brintor.User.GetWorkcentersByBISID BISID: " + id);
}

}  // namespace brintor
