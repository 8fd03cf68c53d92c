// Brintor.User's employees and departments: one employee, the detached
// lists (Nothing when empty), the range, the departments, the refused
// column names and the paged list as the suite's paging objects see it.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"
#include "tests/common/recording_fake.h"

namespace {

using ::testing::ElementsAre;

class UserEmployees : public UserFixture {
 protected:
  void AddEmployees() {
    Exec("INSERT INTO EMPLOYEE VALUES ('E1', 'Sales', 'Ann'), ('E''2', 'Finance', 'Bob O''Neill'),"
         " ('E3', 'Finance', NULL), ('E4', NULL, 'Dan'), ('E5', 'Sales', 'Eve');");
  }
  static rt::Variant Fields(std::vector<const char*> names) {
    auto fields = rt::NewDictionary();
    for (size_t i = 0; i < names.size(); ++i) fields->Add(rt::Variant(static_cast<int32_t>(i)), rt::Variant(names[i]));
    return rt::Variant(rt::ObjectPtr(fields));
  }
};

// Lists are detached, Nothing when empty; range bounds are inclusive;
// departments are listed once; a field name that is no column is refused
// through the handler.
TEST_F(UserEmployees, EmployeesRangesDepartmentsAndRefusedColumnNames) {
  Run([&] {
    AddEmployees();
    auto user = NewUser();
    std::string quoted = "E'2", unknown = "E9", finance = "Finance", nobody = "Nowhere";
    std::string e1 = "E1", e5 = "E5", sales = "Sales", a = "A", z = "Z", e3 = "E3";
    rt::Variant all = rt::Variant::Missing(), two = Fields({"NAME", "employeeid"}), star = Fields({"*"});
    rt::Variant injected = Fields({"EMPLOYEEID", "1 FROM OFFICE; --"});
    rt::ObjectPtr chosen = user->GetAllEmployees(two), none = user->GetRangeOfEmployees(e3, e3, sales, sales);
    ASSERT_TRUE(none);
    Golden seen;
    seen.Add("E'2", Render(user->GetEmployeeDetails(quoted)));
    seen.Add("E9 fields", user->GetEmployeeDetails(unknown)->Count());
    seen.Add("all", Rows(user->GetAllEmployees(all))).Add("NAME, employeeid", Rows(chosen));
    seen.Add("detached", !std::dynamic_pointer_cast<data::Recordset>(chosen)->ActiveConnection());
    seen.Add("Finance", Rows(user->GetAllEmployeesbyDepartment(finance)));
    seen.Add("Nowhere is Nothing", user->GetAllEmployeesbyDepartment(nobody) == nullptr);
    seen.Add("E1 to E5, A to Z", Rows(user->GetRangeOfEmployees(e1, e5, a, z))).Add("E3, Sales", Rows(none));
    seen.Add("departments", Render(user->GetAllDepartments()));
    seen.Add("*", Rows(user->GetAllEmployees(star)).substr(0, 21));
    seen.Add("injected", Failure([&] { user->GetAllEmployees(injected); }));
    seen.Add("log entries", LogEntries());
    Exec("UPDATE EMPLOYEE SET DEPARTMENT = NULL;");
    seen.Add("departments, none set", user->GetAllDepartments()->Count());
    Exec("DELETE FROM EMPLOYEE;");
    EXPECT_EQ(seen.Add("none is Nothing", user->GetAllEmployees(all) == nullptr).Lines(),
              "E'2: EMPLOYEEID=String:E'2; DEPARTMENT=String:Finance; NAME=String:Bob O'Neill\nE9 fields: 0\n"
              "all:\nE'2|Finance|Bob O'Neill\nE1|Sales|Ann\nE3|Finance|null\nE4|null|Dan\nE5|Sales|Eve\n"
              "NAME, employeeid:\nBob O'Neill|E'2\nAnn|E1\nnull|E3\nDan|E4\nEve|E5\ndetached: true\n"
              "Finance:\nE'2\nE3\nNowhere is Nothing: true\n"
              "E1 to E5, A to Z:\nE3|Finance|null\nE1|Sales|Ann\nE5|Sales|Eve\nE3, Sales: \n"
              "departments: Finance=String:Finance; Sales=String:Sales\n*: E'2|Finance|Bob O'Nei\n"
              "injected: 80040E14 Brintor.User.getAllEmployees: |ERROR 0x80040E14| METHOD: "
              "Brintor.User.getAllEmployees| DESC: Invalid column name '1 FROM OFFICE; --'.|\nlog entries: 1\n"
              "departments, none set: 0\nnone is Nothing: true\n");
  });
}

TEST_F(UserEmployees, ThePagedListAsThePagingObjectsSeeIt) {
  Run([&] {
    auto log = std::make_shared<RecordingFake::Log>();
    auto list = [log] { return rt::ObjectPtr(std::make_shared<RecordingFake>("DRecordset", log)); };
    FakeClass drecordset("Tamrick.DRecordset", list);
    auto user = NewUser();
    rt::Variant none = rt::Variant::Nothing(), ids = Array({rt::Variant("A"), rt::Variant("B")});
    rt::Variant noSort = rt::Variant::Missing(), sort("NAME DESC");
    std::string state = "state";
    int16_t size = 10;
    user->GetEmployeeData(none, state, size, ids, noSort);
    EXPECT_THAT(*log, ElementsAre("Let ConnectionString=String:" + sandbox_.ConnectionString(),
                                  "Let PersistedStateInfo=String:state", "Let PageSize=Long:10",
                                  "Let SortFields=String:",
                                  "Call Open(String:SELECT * FROM EMPLOYEE WHERE (EMPLOYEEID IN ('A', 'B')), "
                                  "String:EMPLOYEEID)"));

    // With a page: its list, and the page the caller asked for.
    log->clear();
    auto page = std::make_shared<RecordingFake>("Page", log);
    page->On("Recordset", [list](rt::Args&) { return rt::Variant(list()); });
    page->On("GetRequest", [](rt::Args& args) {
      args[0] = rt::Variant(int32_t{3});
      args[1] = rt::Variant(true);
      return rt::Variant();
    });
    rt::Variant pageArg{rt::ObjectPtr(page)}, quoted = Array({rt::Variant("O'X")});
    user->GetEmployeeData(pageArg, state, size, quoted, sort);
    EXPECT_THAT(*log, ElementsAre("Let ConnectionName=String:BrintorConnection", "Get Recordset",
                                  "Let PageSize=Long:10", "Let SortFields=String:NAME DESC",
                                  "Call GetRequest(Long:0, Boolean:False, Empty)", "Call Reset()",
                                  "Call ApplyRequest(Boolean:True, Long:3)",
                                  "Call Open(String:SELECT * FROM EMPLOYEE WHERE (EMPLOYEEID IN ('O''X')), "
                                  "String:EMPLOYEEID)"));
  });
}

TEST_F(UserEmployees, FailuresAreFormattedUnderEachMethodsName) {
  Run([&] {
    Exec("DROP TABLE EMPLOYEE;");
    auto user = NewUser();
    std::string id = "E1";
    rt::Variant all = rt::Variant::Missing();
    const char* const kBlock = "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Brintor.User.";
    EXPECT_EQ(Failure([&] { user->GetEmployeeDetails(id); }),
              kBlock + std::string("getEmployeeDetails| DESC: no such table: EMPLOYEE.|"));
    EXPECT_EQ(Failure([&] { user->GetAllEmployeesbyDepartment(id); }),
              kBlock + std::string("getAllEmployeesbyDepartment| DESC: no such table: EMPLOYEE.|"));
  });
}

}  // namespace
