// User: the employees (one row's columns, whole or chosen columns, a paged
// list, a range of ids and departments, one department's ids) and the list
// of departments. Nothing here votes.
#include <string>
#include <vector>

#include "brintor/user/user.h"
#include "common/lib_general.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/engine.h"
#include "data/field.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

namespace {

// The query's rows read client-side on the caller's open connection, which
// is then closed; the rows are detached from it. Null when there are none.
rt::ObjectPtr DetachedClone(const std::string& sql, std::shared_ptr<data::Connection>& cn,
                            std::shared_ptr<data::Recordset>& rs) {
  rs = data::Recordset::New();
  rs->SetCursorLocation(data::kUseClient);
  rs->Open(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  rs->SetActiveConnection(nullptr);
  Sql_CloseConnection(cn);
  if (rs->Eof()) return nullptr;
  std::shared_ptr<data::Recordset> clone = rs->Clone();
  rs.reset();
  return clone;
}

// The column names that `iFields` gives by index 0 to Count - 1 (a
// Scripting.Dictionary keyed 0, 1, 2, ... serves), joined by ",". They go
// into the statement as names, so each must be a column of EMPLOYEE or "*";
// another is refused as the database refuses an unknown column.
std::string FieldPart(const rt::Variant& iFields, const std::shared_ptr<data::Connection>& cn) {
  if (!iFields.IsObject()) rt::RaiseVb(rt::vberr::kNotAnObject);
  const rt::ObjectPtr& fields = iFields.AsObject();
  if (!fields) rt::RaiseVb(rt::vberr::kObjectNotSet);
  const std::vector<data::TableColumn> columns = cn->Lease().session->TableColumns("EMPLOYEE");
  auto known = [&](const std::string& name) {
    if (name == "*" || columns.empty()) return true;  // no table: the statement says so
    for (const data::TableColumn& column : columns)
      if (rt::TextCompare(column.name, name) == 0) return true;
    return false;
  };
  const int16_t count = rt::CInt(fields->GetProperty("Count"));
  std::string part;
  for (int16_t i = 0; i < count; ++i) {
    rt::Args index{rt::Variant(i)};
    const std::string name = rt::CStr(fields->Invoke("", rt::CallKind::Get, index));
    if (!known(name)) {
      cn->Guard([&] {
        rt::Raise(rt::hr::kSqlFailed, "Brintor.User.getAllEmployees", "Invalid column name '" + name + "'");
      });
    }
    part += (i ? "," : "") + name;
  }
  return part;
}

}  // namespace

std::string User::buildWhereClause(const std::string& sql, const std::string& condition) {
  const char* joining = sql.find("WHERE") != std::string::npos ? "AND" : "WHERE";
  return sql + " " + joining + " (" + condition + ")";
}

std::shared_ptr<rt::Dictionary> User::GetEmployeeDetails(std::string& iEmployee) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = data::Recordset::New();
    rs->Open("SELECT Employee.* FROM EMPLOYEE WHERE EMPLOYEE.EMPLOYEEID ='" + Gen_SqlQuote(iEmployee) + "'", cn,
             data::kCursorForwardOnly, data::kLockReadOnly);
    auto details = rt::NewDictionary();
    if (!rs->Eof()) {
      for (int32_t i = 0; i < rs->FieldCount(); ++i) {
        auto field = rs->Field(rt::Variant(i));
        details->Add(rt::Variant(field->Name()), field->Value());
      }
    }
    Sql_CloseConnection(cn);
    rs.reset();
    return details;
  } catch (...) {
    HandleMethodError("Brintor.User.getEmployeeDetails", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

rt::ObjectPtr User::GetAllEmployees(rt::Variant& iFields) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    const std::string part = iFields.IsMissing() ? " * " : FieldPart(iFields, cn);
    return DetachedClone("SELECT " + part + " FROM EMPLOYEE ORDER BY EMPLOYEEID", cn, rs);
  } catch (...) {
    HandleMethodError("Brintor.User.getAllEmployees", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// The paged list over all employees, or over the ids given. Without a page
// the list is made here on the configuration's connection string.
rt::ObjectPtr User::GetEmployeeData(rt::Variant& i_oPage, std::string& i_sPersistedStateInfo, int16_t& i_iPageSize,
                                    rt::Variant& i_asEmployeeIDs, rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this);
  try {
    std::string sql = "SELECT * FROM EMPLOYEE";
    if (!i_asEmployeeIDs.IsMissing()) {
      std::string ids;
      for (const rt::Variant& id : i_asEmployeeIDs.AsArray().data)
        ids += (ids.empty() ? "'" : ", '") + Gen_SqlQuote(rt::CStr(id)) + "'";
      sql = buildWhereClause(sql, "EMPLOYEEID IN (" + ids + ")");
    }
    PagedQueryArgs args;
    if (i_oPage.IsObject()) args.page = i_oPage.AsObject();
    args.persistedState = i_sPersistedStateInfo;
    args.pageSize = i_iPageSize;
    // Always set: the empty text when the caller gave none.
    args.sortFields =
        rt::Variant(i_sSortTableFieldNames.IsMissing() ? std::string() : rt::Concat(i_sSortTableFieldNames));
    args.sql = sql;
    args.keyColumn = "EMPLOYEEID";
    args.connectionName = "BrintorConnection";
    args.connectionString = [this] { return ConnectionString(); };
    return PagedQuery(args);
  } catch (...) {
    HandleMethodError("Brintor.User.GetEmployeeData");
  }
  return nullptr;
}

// All four bounds inclusive, compared as text by the database; ordered by
// department, then id. An employee without department is never in range.
rt::ObjectPtr User::GetRangeOfEmployees(std::string& i_sFromEmp, std::string& i_sToEmp, std::string& i_sFromDep,
                                        std::string& i_sToDep) {
  rt::ContextScope scope(*this);
  try {
    const std::string sql = std::string("SELECT * FROM EMPLOYEE WHERE ") + "EMPLOYEEID>='" +
                            Gen_SqlQuote(i_sFromEmp) + "' " + "AND EMPLOYEEID<='" + Gen_SqlQuote(i_sToEmp) + "' " +
                            "AND DEPARTMENT>='" + Gen_SqlQuote(i_sFromDep) + "' " + "AND DEPARTMENT<='" +
                            Gen_SqlQuote(i_sToDep) + "' " + "ORDER BY DEPARTMENT, EMPLOYEEID";
    return Sql_GetDisconnectedRecordset(sql, ConnectionString());
  } catch (...) {
    HandleMethodError("Brintor.User.GetRangeOfEmployees");
  }
  return nullptr;
}

rt::ObjectPtr User::GetAllEmployeesbyDepartment(std::string& iDepartment) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    return DetachedClone("SELECT Employee.EmployeeID FROM EMPLOYEE where EMPLOYEE.DEPARTMENT = '" +
                             Gen_SqlQuote(iDepartment) + "'",
                         cn, rs);
  } catch (...) {
    HandleMethodError("Brintor.User.getAllEmployeesbyDepartment", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// Each department once, in the order the database returns them.
std::shared_ptr<rt::Dictionary> User::GetAllDepartments() {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Recordset> rs;
  try {
    rs = Sql_GetDisconnectedRecordset("SELECT DISTINCT DEPARTMENT FROM EMPLOYEE WHERE NOT DEPARTMENT IS NULL",
                                      ConnectionString());
    auto departments = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) {
      const rt::Variant department(rt::CStr(rs->Value("DEPARTMENT")));
      departments->Add(department, department);
    }
    Sql_CloseRecordset(rs);
    return departments;
  } catch (...) {
    HandleMethodError("Brintor.User.GetAllDepartments", [&] { rt::TryResume([&] { Sql_CloseRecordset(rs); }); });
  }
  return nullptr;
}

}  // namespace brintor
