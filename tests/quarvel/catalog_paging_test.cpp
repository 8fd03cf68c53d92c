// The catalog classes' paged lists: the query text the list is opened on
// (ids as numbers or quoted texts, WHERE or AND), and what the list is told
// with and without the caller's page. A recording list stands in for
// Tamrick.DRecordset.
#include "quarvel/services/catalog_paging.h"

#include <gtest/gtest.h>

#include "common/lib_paging.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"
#include "tests/quarvel/quarvel_probe.h"

namespace {

using quarvel::CatalogPagedQuery;
using quarvel::IdListForm;
using quarvel::PagedListRequest;

// Writes every call it gets to `calls`, one a line.
class RecordingList : public rt::Object {
 public:
  std::string TypeName() const override { return "DRecordset"; }
  const rt::DispatchTable* Dispatch() const override {
    using L = RecordingList;
    static const rt::DispatchTable table = rt::DispatchBuilder<L>("DRecordset")
                                               .Let("ConnectionString", &L::SetConnectionString)
                                               .Let("PersistedStateInfo", &L::SetPersistedStateInfo)
                                               .Let("PageSize", &L::SetPageSize)
                                               .Let("SortFields", &L::SetSortFields)
                                               .Method("Reset", &L::Reset)
                                               .Method("ApplyRequest", &L::ApplyRequest)
                                               .Method("Open", &L::Open)
                                               .Build();
    return &table;
  }
  void SetConnectionString(const rt::Variant& v) { Note("ConnectionString", v); }
  void SetPersistedStateInfo(const rt::Variant& v) { Note("PersistedStateInfo", v); }
  void SetPageSize(const rt::Variant& v) { Note("PageSize", v); }
  void SetSortFields(const rt::Variant& v) { Note("SortFields", v); }
  void Reset() { calls += "Reset\n"; }
  void ApplyRequest(bool& absolute, int32_t& n) {
    calls += "ApplyRequest " + std::string(absolute ? "True" : "False") + ", " + std::to_string(n) + "\n";
  }
  void Open(const std::string& sql, const std::string& key) { calls += "Open " + sql + " | " + key + "\n"; }
  static void Note(const std::string& property, const rt::Variant& v) {
    calls += property + " = " + rt::TypeName(v) + ":" + rt::Concat(v) + "\n";
  }

  static inline std::string calls;
};

// A caller's page holding a request for page 3.
class RequestingPage : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    using P = RequestingPage;
    static const rt::DispatchTable table = rt::DispatchBuilder<P>("Page")
                                               .Let("ConnectionName", &P::SetConnectionName)
                                               .Get("Recordset", &P::Recordset)
                                               .Method("GetRequest", &P::GetRequest)
                                               .Build();
    return &table;
  }
  void SetConnectionName(const std::string& name) { RecordingList::calls += "Page.ConnectionName = " + name + "\n"; }
  rt::ObjectPtr Recordset() { return list; }
  void GetRequest(int32_t& n, bool& flag, rt::Variant&) {
    n = 3;
    flag = true;
  }
  rt::ObjectPtr list = std::make_shared<RecordingList>();
};

class CatalogPaging : public ::testing::Test {
 protected:
  CatalogPaging() {
    sandbox_.WriteConfig("[COMPONENTS]\nQuarvel=Provider=SQLite;Data Source=/catalog.db\n");
    real_ = rt::FindClass("Tamrick.DRecordset");
    rt::RegisterClass({"Tamrick.DRecordset", "", rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<RecordingList>()); }});
    RecordingList::calls.clear();
  }
  // The real class serves the other tests again.
  ~CatalogPaging() override { rt::RegisterClass(real_); }

  // The calls a list opened without a page gets.
  static std::string Calls(const std::string& sql, const std::string& key, IdListForm form, PagedListRequest request) {
    RecordingList::calls.clear();
    std::string calls;
    quarveltest::OnFreshThread([&] {
      CatalogPagedQuery(sql, key, form, request);
      calls = RecordingList::calls;
    });
    return calls;
  }

  // The last call, the Open.
  static std::string Opened(const std::string& calls) {
    const size_t start = calls.rfind('\n', calls.size() - 2);
    return calls.substr(start == std::string::npos ? 0 : start + 1, calls.size() - start - 2);
  }

  SuiteSandbox sandbox_;
  rt::ClassInfo real_;
};

TEST_F(CatalogPaging, IdsJoinWithCommasUnquotedOrAsTextLiterals) {
  PagedListRequest request;
  request.persistedState = "state";
  request.pageSize = 20;
  EXPECT_EQ(Calls("SELECT * FROM PROPERTY", "PROPERTYID", IdListForm::kNumbers, request),
            "ConnectionString = String:Provider=SQLite;Data Source=/catalog.db\n"
            "PersistedStateInfo = String:state\n"
            "PageSize = Long:20\n"
            "Open SELECT * FROM PROPERTY | PROPERTYID\n");

  request.ids = Array({rt::Variant(int32_t{3}), rt::Variant("5")});
  EXPECT_EQ(Opened(Calls("SELECT * FROM PROPERTY", "PROPERTYID", IdListForm::kNumbers, request)),
            "Open SELECT * FROM PROPERTY WHERE (PROPERTYID IN (3,5)) | PROPERTYID");
  request.ids = Array({rt::Variant("A1"), rt::Variant("O'B")});
  EXPECT_EQ(Opened(Calls("SELECT * FROM COMMODITY", "COMMODITYCODE", IdListForm::kQuotedTexts, request)),
            "Open SELECT * FROM COMMODITY WHERE (COMMODITYCODE IN ('A1','O''B')) | COMMODITYCODE");
  // A query that holds WHERE already gets AND; only upper-case WHERE counts.
  request.ids = Array({rt::Variant(int32_t{7})});
  request.sortFields = "PARTNUMBER DESC";
  EXPECT_EQ(Calls("SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE DISABLED = 0", "PRODUCTID", IdListForm::kNumbers,
                  request),
            "ConnectionString = String:Provider=SQLite;Data Source=/catalog.db\n"
            "PersistedStateInfo = String:state\n"
            "PageSize = Long:20\n"
            "SortFields = String:PARTNUMBER DESC\n"
            "Open SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE DISABLED = 0 AND (PRODUCTID IN (7)) | PRODUCTID\n");
  EXPECT_EQ(buildWhereClause("SELECT * FROM T where X = 1", "K IN (1)"), "SELECT * FROM T where X = 1 WHERE (K IN (1))");
}

// Numeric ids are numbers before they reach the text; any other id fails
// with Type mismatch before the list is opened.
TEST_F(CatalogPaging, AnIdThatIsNoNumberFailsBeforeTheListOpens) {
  PagedListRequest request;
  request.ids = Array({rt::Variant(int32_t{3}), rt::Variant("3) OR (1=1")});
  quarveltest::OnFreshThread([&] {
    quarveltest::AsCatalogCode([&] {
      rt::ComError e = RaisedBy([&] { CatalogPagedQuery("SELECT * FROM PROPERTY", "PROPERTYID", IdListForm::kNumbers, request); });
      EXPECT_EQ(e.number(), 13);
      EXPECT_EQ(e.source(), "Quarvel");
    });
  });
  EXPECT_EQ(RecordingList::calls, "");
}

// With a page, the page's own list is used: its connection is named, the
// caller's state is not passed, and a pending request is applied first.
TEST_F(CatalogPaging, APagesListIsNamedTheCatalogConnectionAndGetsThePagesRequest) {
  auto page = std::make_shared<RequestingPage>();
  PagedListRequest request;
  request.page = page;
  request.persistedState = "ignored";
  request.pageSize = 5;
  rt::ObjectPtr list = CatalogPagedQuery("SELECT * FROM PRODUCTCATEGORY", "CATEGORYID", IdListForm::kNumbers, request);
  EXPECT_EQ(list, page->list);
  EXPECT_EQ(RecordingList::calls,
            "Page.ConnectionName = QuarvelConnection\n"
            "PageSize = Long:5\n"
            "Reset\n"
            "ApplyRequest True, 3\n"
            "Open SELECT * FROM PRODUCTCATEGORY | CATEGORYID\n");
}

}  // namespace
