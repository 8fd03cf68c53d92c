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

// Writes every call it gets to `calls`, one a line: "Name Type:value, ...".
rt::Member::Handler Record(const std::string& name, std::string& calls) {
  return [name, &calls](rt::Object&, rt::Args& args) {
    calls += name;
    for (size_t i = 0; i < args.size(); ++i) calls += (i ? ", " : " ") + rt::TypeName(args[i]) + ":" + rt::Concat(args[i]);
    calls += "\n";
    return rt::Variant();
  };
}

std::string calls;

class RecordingList : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = [] {
      rt::DispatchBuilder<RecordingList> list("DRecordset");
      for (const char* name : {"ConnectionString", "PersistedStateInfo", "PageSize", "SortFields"})
        list.Raw(name, rt::CallKind::Let, Record(name, calls));
      for (const char* name : {"Reset", "ApplyRequest", "Open"}) list.Raw(name, rt::CallKind::Method, Record(name, calls));
      return list.Build();
    }();
    return &table;
  }
};

// A caller's page holding a request for page 3.
class RequestingPage : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<RequestingPage>("Page")
            .Raw("ConnectionName", rt::CallKind::Let, Record("Page.ConnectionName", calls))
            .Get("Recordset", &RequestingPage::Recordset)
            .Method("GetRequest", &RequestingPage::GetRequest)
            .Build();
    return &table;
  }
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
    calls.clear();
  }
  // The real class serves the other tests again.
  ~CatalogPaging() override { rt::RegisterClass(real_); }

  // The calls a list opened without a page gets.
  static std::string Calls(const std::string& sql, const std::string& key, IdListForm form, PagedListRequest request) {
    calls.clear();
    quarveltest::OnFreshThread([&] { CatalogPagedQuery(sql, key, form, request); });
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
  request.ids = Array({rt::Variant(int32_t{3}), rt::Variant("5")});
  EXPECT_EQ(Opened(Calls("SELECT * FROM PROPERTY", "PROPERTYID", IdListForm::kNumbers, request)),
            "Open String:SELECT * FROM PROPERTY WHERE (PROPERTYID IN (3,5)), String:PROPERTYID");
  request.ids = Array({rt::Variant("A1"), rt::Variant("O'B")});
  EXPECT_EQ(Opened(Calls("SELECT * FROM COMMODITY", "COMMODITYCODE", IdListForm::kQuotedTexts, request)),
            "Open String:SELECT * FROM COMMODITY WHERE (COMMODITYCODE IN ('A1','O''B')), String:COMMODITYCODE");
  // A query that holds WHERE already gets AND; only upper-case WHERE counts.
  request.ids = Array({rt::Variant(int32_t{7})});
  request.sortFields = "PARTNUMBER DESC";
  EXPECT_EQ(Calls("SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE DISABLED = 0", "PRODUCTID", IdListForm::kNumbers,
                  request),
            "ConnectionString String:Provider=SQLite;Data Source=/catalog.db\n"
            "PersistedStateInfo String:state\n"
            "PageSize Long:20\n"
            "SortFields String:PARTNUMBER DESC\n"
            "Open String:SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE DISABLED = 0 AND (PRODUCTID IN (7)), String:PRODUCTID\n");
  EXPECT_EQ(buildWhereClause("SELECT * FROM T where X = 1", "K IN (1)"), "SELECT * FROM T where X = 1 WHERE (K IN (1))");
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
  EXPECT_EQ(calls,
            "Page.ConnectionName String:QuarvelConnection\n"
            "PageSize Long:5\n"
            "Reset\n"
            "ApplyRequest Boolean:True, Long:3\n"
            "Open String:SELECT * FROM PRODUCTCATEGORY, String:CATEGORYID\n");
}

}  // namespace
