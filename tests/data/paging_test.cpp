// Paged lists: Tamrick.DRecordset's keyset paging and persisted position,
// Tamrick.Page's requests, the paged-list protocol, the id list, and the
// literals of Tamrick.Utilities.
#include <regex>

#include <gtest/gtest.h>

#include "common/lib_paging.h"
#include "runtime/registry.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;

// 25 addresses; the names repeat so that a sort by name must break ties by key.
std::string Addresses() {
  std::string sql =
      "CREATE TABLE ADDRESS (ADDRESSID INTEGER PRIMARY KEY AUTOINCREMENT, NAME1 nvarchar(40) COLLATE NOCASE,"
      " CITY1 nvarchar(40) COLLATE NOCASE);";
  for (int i = 1; i <= 25; ++i) {
    sql += "INSERT INTO ADDRESS (NAME1, CITY1) VALUES ('name" + std::string(1, static_cast<char>('a' + i % 4)) +
           "', " + (i % 5 == 0 ? std::string("NULL") : "'city" + std::to_string(i % 3) + "'") + ");";
  }
  return sql;
}

// The ids of the current page, "1 2 3".
std::string Ids(const rt::ObjectPtr& list) {
  std::string out;
  while (!rt::CBool(list->GetProperty("EOF"))) {
    rt::ObjectPtr field = list->GetProperty("Fields", {rt::Variant("ADDRESSID")}).AsObject();
    out += (out.empty() ? "" : " ") + rt::CStr(field->GetProperty("Value"));
    list->Call("MoveNext");
  }
  return out;
}

rt::ObjectPtr OpenList(const testdb::TestDatabase& db, const std::string& state, int pageSize,
                       std::optional<std::pair<bool, int32_t>> request = std::nullopt,
                       const std::string& sort = "") {
  rt::ObjectPtr list = rt::CreateObject("Tamrick.DRecordset");
  list->LetProperty("ConnectionString", rt::Variant(db.ConnectionString()));
  list->LetProperty("PersistedStateInfo", rt::Variant(state));
  list->LetProperty("PageSize", rt::Variant(static_cast<int16_t>(pageSize)));
  if (!sort.empty()) list->LetProperty("SortFields", rt::Variant(sort));
  if (request) {
    list->Call("Reset");
    rt::Args args{rt::Variant(request->first), rt::Variant(request->second)};
    list->Invoke("ApplyRequest", rt::CallKind::Method, args);
  }
  list->Call("Open", {rt::Variant("SELECT * FROM ADDRESS"), rt::Variant("ADDRESSID")});
  return list;
}

std::string State(const rt::ObjectPtr& list) { return rt::CStr(list->GetProperty("PersistedStateInfo")); }

TEST(DRecordsetPaging, PagesByNumberAndByMoveAndKeepsItsPositionInTheState) {
  testdb::TestDatabase db(Addresses());
  auto first = OpenList(db, "", 10);
  EXPECT_EQ(rt::CLng(first->GetProperty("RecordCount")), 10);
  EXPECT_EQ(Ids(first), "1 2 3 4 5 6 7 8 9 10");

  auto third = OpenList(db, State(first), 10, std::make_pair(true, 3));
  EXPECT_EQ(Ids(third), "21 22 23 24 25");
  EXPECT_EQ(rt::CLng(third->GetProperty("PageCount")), 3);

  auto back = OpenList(db, State(third), 10, std::make_pair(false, -1));
  EXPECT_EQ(Ids(back), "11 12 13 14 15 16 17 18 19 20");
  auto again = OpenList(db, State(back), 10);  // no request: the page the state names
  EXPECT_EQ(Ids(again), "11 12 13 14 15 16 17 18 19 20");

  auto past = OpenList(db, "", 10, std::make_pair(true, 99));
  EXPECT_EQ(rt::CLng(past->GetProperty("AbsolutePage")), 3);
  EXPECT_EQ(Ids(past), "21 22 23 24 25");
  auto before = OpenList(db, "", 10, std::make_pair(true, -4));
  EXPECT_EQ(Ids(before), "1 2 3 4 5 6 7 8 9 10");

  // A state of another list, or of another page size, starts at the first page.
  EXPECT_EQ(Ids(OpenList(db, State(third), 7)), "1 2 3 4 5 6 7");
  EXPECT_EQ(Ids(OpenList(db, "garbage", 10)), "1 2 3 4 5 6 7 8 9 10");
}

// `count` addresses numbered from 1.
std::string Numbered(int count) {
  std::string sql =
      "CREATE TABLE ADDRESS (ADDRESSID INTEGER PRIMARY KEY AUTOINCREMENT, NAME1 nvarchar(40) COLLATE NOCASE,"
      " CITY1 nvarchar(40) COLLATE NOCASE);";
  for (int i = 1; i <= count; ++i) sql += "INSERT INTO ADDRESS (NAME1) VALUES ('n" + std::to_string(i) + "');";
  return sql;
}

// A page as "<ids>@<AbsolutePage>/<PageCount>", read before the state is
// taken on.
std::string PageSeen(const rt::ObjectPtr& list) {
  const std::string at = rt::CStr(list->GetProperty("AbsolutePage"));
  return Ids(list) + "@" + at + "/" + rt::CStr(list->GetProperty("PageCount"));
}

// A page asked for past the end of the list is its last page, whether the
// row before it exists (a full last page) or not, and whether it is asked
// for afresh or from the state of another page; the state kept is the last
// page's, so that moving on from it stays there and moving back gives the
// page before. An empty list has an empty page 1 and no pages.
TEST(DRecordsetPaging, APagePastTheEndIsTheLastPageAndItsStateServesTheNextRequest) {
  struct Case {
    int rows;
    int pageSize;
    int from;  // the page whose state the request starts from; 0 for none
    bool absolute;
    int32_t n;
    const char* seen;      // the page answered
    const char* next;      // a move by 1 from its state
    const char* previous;  // a move by -1 from its state
  };
  const Case cases[] = {
      {2, 2, 0, true, 2, "1 2@1/1", "1 2@1/1", "1 2@1/1"},
      {3, 2, 0, true, 3, "3@2/2", "3@2/2", "1 2@1/2"},
      {7, 1, 0, true, 8, "7@7/7", "7@7/7", "6@6/7"},
      {4, 2, 0, true, 99, "3 4@2/2", "3 4@2/2", "1 2@1/2"},
      {4, 2, 2, true, 3, "3 4@2/2", "3 4@2/2", "1 2@1/2"},
      {4, 2, 1, true, 99, "3 4@2/2", "3 4@2/2", "1 2@1/2"},
      {6, 2, 3, true, 5, "5 6@3/3", "5 6@3/3", "3 4@2/3"},
      {5, 2, 3, true, 4, "5@3/3", "5@3/3", "3 4@2/3"},
      {6, 2, 3, false, 1, "5 6@3/3", "5 6@3/3", "3 4@2/3"},
      {6, 2, 2, false, 2147483647, "5 6@3/3", "5 6@3/3", "3 4@2/3"},
      {6, 2, 3, true, 2, "3 4@2/3", "5 6@3/3", "1 2@1/3"},
      {6, 2, 3, false, -9, "1 2@1/3", "3 4@2/3", "1 2@1/3"},
      {0, 2, 0, true, 1, "@1/0", "@1/0", "@1/0"},
      {0, 2, 0, true, 3, "@1/0", "@1/0", "@1/0"},
      {0, 2, 1, false, 1, "@1/0", "@1/0", "@1/0"},
  };
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.rows) + " rows, pages of " + std::to_string(c.pageSize) + ", " +
                              (c.absolute ? "page " : "move ") + std::to_string(c.n) +
                              (c.from ? " from page " + std::to_string(c.from) : " afresh");
    SCOPED_TRACE(label);
    testdb::TestDatabase db(Numbered(c.rows));
    const std::string from = c.from ? State(OpenList(db, "", c.pageSize, std::make_pair(true, c.from))) : "";
    auto list = OpenList(db, from, c.pageSize, std::make_pair(c.absolute, c.n));
    Golden seen;
    seen.Add("seen", PageSeen(list));
    const std::string state = State(list);
    seen.Add("next", PageSeen(OpenList(db, state, c.pageSize, std::make_pair(false, 1))));
    seen.Add("previous", PageSeen(OpenList(db, state, c.pageSize, std::make_pair(false, -1))));
    seen.Add("again", PageSeen(OpenList(db, state, c.pageSize)));
    EXPECT_EQ(seen.Line(), std::string("seen=") + c.seen + " next=" + c.next + " previous=" + c.previous +
                               " again=" + c.seen);
  }
}

// A list that lost rows since its state was kept: the page the state names
// is past the new end, so the list opens on its new last page.
TEST(DRecordsetPaging, AListThatShrankUnderItsStateOpensOnItsNewLastPage) {
  testdb::TestDatabase db(Numbered(6));
  const std::string third = State(OpenList(db, "", 2, std::make_pair(true, 3)));
  db.RawExec("DELETE FROM ADDRESS WHERE ADDRESSID > 4");
  Golden seen;
  seen.Add("same page", PageSeen(OpenList(db, third, 2)));
  db.RawExec("DELETE FROM ADDRESS");
  seen.Add("emptied", PageSeen(OpenList(db, third, 2)));
  EXPECT_EQ(seen.Line(), "same page=3 4@2/2 emptied=@1/0");
}

// A state comes back from the caller's page: one that names the largest
// page number without the row before it is past the end like any other.
TEST(DRecordsetPaging, AStateAtTheLargestPageNumberOpensOnTheLastPage) {
  testdb::TestDatabase db(Numbered(6));
  std::string state = State(OpenList(db, "", 2, std::make_pair(true, 3)));
  state = std::regex_replace(state, std::regex(";p=3;b=[^;]*;"), ";p=2147483647;b=;");
  ASSERT_NE(state.find(";p=2147483647;b=;l="), std::string::npos) << state;
  Golden seen;
  seen.Add("again", PageSeen(OpenList(db, state, 2)));
  seen.Add("next", PageSeen(OpenList(db, state, 2, std::make_pair(false, 1))));
  EXPECT_EQ(seen.Line(), "again=5 6@3/3 next=5 6@3/3");
}

TEST(DRecordsetPaging, SortFieldsOrderTheListWithTheKeyBreakingTies) {
  testdb::TestDatabase db(Addresses());
  // Every page of the sorted list, walked forward and then back from the last.
  std::string forward, backward;
  std::string state;
  for (int page = 1; page <= 4; ++page) {
    auto list = OpenList(db, state, 7, std::make_pair(true, page), "ADDRESS.NAME1 DESC, [CITY1]");
    forward += Ids(list) + " | ";
    state = State(list);
  }
  for (int page = 3; page >= 1; --page) {
    auto list = OpenList(db, state, 7, std::make_pair(false, -1), "ADDRESS.NAME1 DESC, [CITY1]");
    backward = Ids(list) + " | " + backward;
    state = State(list);
  }
  auto all = db.Open()->Execute("SELECT ADDRESSID FROM ADDRESS ORDER BY NAME1 DESC, CITY1, ADDRESSID");
  std::string expected;
  for (int i = 0; !all->Eof(); ++i, all->MoveNext()) {
    expected += (i % 7 == 0 ? (i ? " | " : "") : " ") + rt::CStr(all->Value(0));
  }
  expected += " | ";
  EXPECT_EQ(forward, expected);
  EXPECT_EQ(backward + Ids(OpenList(db, state, 7, std::make_pair(true, 4), "ADDRESS.NAME1 DESC, [CITY1]")) + " | ",
            expected);

  EXPECT_EQ(ErrorOf([&] { OpenList(db, "", 7, std::nullopt, "NAME1; DROP TABLE ADDRESS"); }),
            "00000005 The sort field 'NAME1; DROP TABLE ADDRESS' is not a column of the list");
}

TEST(DRecordsetPaging, BoundaryValuesOfEveryKindSurviveTheStateText) {
  testdb::TestDatabase db(
      "CREATE TABLE ADDRESS (ADDRESSID INTEGER PRIMARY KEY AUTOINCREMENT, NAME1 nvarchar(40) COLLATE NOCASE,"
      " PRICE money, SEEN datetime, RATE float);"
      "INSERT INTO ADDRESS (NAME1, PRICE, SEEN, RATE) VALUES ('a;b', 1.5, '2026-01-01 00:00:00', 0.1),"
      " ('a,b=c', 1.5, '2026-01-01 00:00:00', 0.1), ('a%41', 2.25, NULL, NULL), (NULL, NULL, '2025-05-05 05:05:05', 0.3),"
      " ('A;B', 1.5, '2026-01-01 00:00:00', 0.1), ('z', -1, '2024-01-01 00:00:00', 1e300);");
  for (const char* sort : {"NAME1", "PRICE DESC", "SEEN", "RATE DESC, NAME1"}) {
    std::string state, seen;
    for (int page = 1; page <= 6; ++page) {
      auto list = OpenList(db, state, 1, page == 1 ? std::make_optional(std::make_pair(true, 1))
                                                   : std::make_optional(std::make_pair(false, 1)),
                           sort);
      seen += Ids(list) + " ";
      state = State(list);
    }
    auto all = db.Open()->Execute(std::string("SELECT ADDRESSID FROM ADDRESS ORDER BY ") + sort + ", ADDRESSID");
    std::string expected;
    for (; !all->Eof(); all->MoveNext()) expected += rt::CStr(all->Value(0)) + " ";
    EXPECT_EQ(seen, expected) << sort;
  }
}

TEST(PagedQuery, WithAPageTheRequestAndTheNamedConnectionAreTheListsAndWithoutOneTheCallers) {
  testdb::TestDatabase db(Addresses());
  auto owner = std::make_shared<testdb::ContextOwner>(false);
  owner->Context()->GetActivity()->application->SetItem("BrintorConnection_ConnectionString",
                                                        rt::Variant(db.ConnectionString()));
  rt::ContextScope scope(*owner);
  rt::ObjectPtr page = rt::CreateObject("Tamrick.Page");
  page->LetProperty("RequestedPage", rt::Variant(int32_t{2}));
  bool asked = false;
  PagedQueryArgs args;
  args.page = page;
  args.pageSize = 10;
  args.sql = "SELECT * FROM ADDRESS WHERE (" + IdInList("ADDRESSID", rt::Variant(rt::SafeArray::From(
                                                                        {rt::Variant(int32_t{3}), rt::Variant("25"),
                                                                         rt::Variant(int16_t{12}), rt::Variant(22.0)}))) +
             ")";
  args.keyColumn = "ADDRESSID";
  args.connectionName = "BrintorConnection";
  args.connectionString = [&] {
    asked = true;
    return db.ConnectionString();
  };
  EXPECT_EQ(args.sql, "SELECT * FROM ADDRESS WHERE (ADDRESSID IN (3, 25, 12, 22))");
  args.pageSize = 2;
  rt::ObjectPtr list = PagedQuery(args);
  EXPECT_EQ(Ids(list), "22 25");
  EXPECT_FALSE(asked);
  EXPECT_EQ(rt::CStr(page->GetProperty("ConnectionName")), "BrintorConnection");

  args.page = nullptr;
  args.sortFields = rt::Variant("CITY1");
  list = PagedQuery(args);
  EXPECT_TRUE(asked);
  EXPECT_EQ(Ids(list), "25 3");
}

TEST(PagedQuery, IdsThatAreNoNumbersNeverReachTheStatement) {
  auto ids = [](std::vector<rt::Variant> v) { return rt::Variant(rt::SafeArray::From(std::move(v))); };
  EXPECT_EQ(IdInList("BUSINESSPARTNERID", ids({rt::Variant(int32_t{7})}), ","), "BUSINESSPARTNERID IN (7)");
  EXPECT_EQ(ErrorOf([&] { IdInList("ADDRESSID", ids({rt::Variant(int32_t{1}), rt::Variant("1) OR (1=1")})); }),
            "0000000D Type mismatch");
  EXPECT_EQ(ErrorOf([&] { IdInList("ADDRESSID", ids({rt::Variant::Null()})); }).substr(0, 8), "0000000D");
  EXPECT_EQ(IdInList("ADDRESSID", ids({})), "ADDRESSID IN ()");
  testdb::TestDatabase db(Addresses());
  EXPECT_EQ(ErrorOf([&] { db.Open()->Execute("SELECT * FROM ADDRESS WHERE ADDRESSID IN ()"); }),
            "80040E14 The statement cannot be run on this database (an empty IN list is not valid SQL): "
            "SELECT * FROM ADDRESS WHERE ADDRESSID IN ()");
}

TEST(Utilities, LiteralsAreCompleteAndSafe) {
  rt::ObjectPtr u = rt::CreateObject("Tamrick.Utilities");
  EXPECT_EQ(rt::CStr(u->Call("ToSqlUnicodeText", {rt::Variant("O'Brien")})), "N'O''Brien'");
  EXPECT_EQ(rt::CStr(u->Call("ToSqlUnicodeText", {rt::Variant("")})), "N''");
  EXPECT_EQ(rt::CStr(u->Call("ToSqlText", {rt::Variant("it's")})), "'it''s'");
  EXPECT_EQ(rt::CStr(u->Call("ToSqlNumber", {rt::Variant(2.5)})), "2.5");
  EXPECT_EQ(rt::CStr(u->Call("ToSqlNumber", {rt::Variant(int32_t{-3})})), "-3");
  EXPECT_EQ(ErrorOf([&] { u->Call("ToSqlNumber", {rt::Variant("1 OR 1=1")}); }),
            "0000000D Type mismatch: '1 OR 1=1' is not a number");
  EXPECT_EQ(rt::CStr(u->Call("ToSqlDate", {rt::Variant(rt::Date::FromParts(2003, 7, 4))})), "'2003-07-04 00:00:00'");

  testdb::TestDatabase db(
      "CREATE TABLE PRICE (GROUPBY nvarchar(10) COLLATE NOCASE, EFFECTIVE datetime);"
      "INSERT INTO PRICE VALUES ('', '2003-07-04 00:00:00');");
  std::string sql = "SELECT COUNT(*) AS N FROM PRICE WHERE GROUPBY = " +
                    rt::CStr(u->Call("ToSqlUnicodeText", {rt::Variant("")})) + " AND EFFECTIVE <= " +
                    rt::CStr(u->Call("ToSqlDate", {rt::Variant(rt::Date::FromParts(2003, 7, 4))}));
  EXPECT_EQ(testdb::Query(db.Open(), sql), "N=Long:1\n");
}

}  // namespace
