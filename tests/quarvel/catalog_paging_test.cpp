// The catalog classes' paged lists: the query the list is opened on, the
// connection it is told, and the name a caller's page gets. (The paging
// protocol is common code, tested in tests/data/paging_test.cpp.)
#include "quarvel/services/catalog_paging.h"

#include <gtest/gtest.h>

#include "common/lib_paging.h"
#include "tests/common/recording_fake.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"
#include "tests/quarvel/quarvel_probe.h"

namespace {

using quarvel::CatalogPagedQuery;
using quarvel::IdListForm;
using quarvel::PagedListRequest;

// Tamrick.DRecordset is a recording stand-in for each test.
class CatalogPaging : public ::testing::Test {
 protected:
  CatalogPaging() { sandbox_.WriteConfig("[COMPONENTS]\nQuarvel=Provider=SQLite;Data Source=/catalog.db\n"); }

  // The calls the list gets, one a line.
  std::string Calls(const std::string& sql, const std::string& key, IdListForm form, const PagedListRequest& request) {
    log_->clear();
    quarveltest::OnFreshThread([&] { CatalogPagedQuery(sql, key, form, request); });
    std::string text;
    for (const std::string& line : *log_) text += line + "\n";
    return text;
  }
  // The last call, the Open.
  std::string Opened(const std::string& sql, const std::string& key, IdListForm form, const PagedListRequest& request) {
    Calls(sql, key, form, request);
    return log_->back() + "\n";
  }

  SuiteSandbox sandbox_;
  std::shared_ptr<RecordingFake::Log> log_ = std::make_shared<RecordingFake::Log>();
  FakeClass list_{"Tamrick.DRecordset",
                  [log = log_] { return rt::ObjectPtr(std::make_shared<RecordingFake>("DRecordset", log)); }};
};

TEST_F(CatalogPaging, IdsJoinWithCommasUnquotedOrAsTextLiterals) {
  PagedListRequest request;
  request.persistedState = "state";
  request.pageSize = 20;
  request.ids = Array({int32_t{3}, "5"});
  Golden opened;
  opened.Add("numbers", Opened("SELECT * FROM PROPERTY", "PROPERTYID", IdListForm::kNumbers, request));
  request.ids = Array({"A1", "O'B"});
  opened.Add("texts", Opened("SELECT * FROM COMMODITY", "COMMODITYCODE", IdListForm::kQuotedTexts, request));
  EXPECT_EQ(opened.Lines(),
            "numbers: Call Open(String:SELECT * FROM PROPERTY WHERE (PROPERTYID IN (3,5)), String:PROPERTYID)\n"
            "texts: Call Open(String:SELECT * FROM COMMODITY WHERE (COMMODITYCODE IN ('A1','O''B')), "
            "String:COMMODITYCODE)\n");
  // A query that holds WHERE already gets AND; only upper-case WHERE counts.
  request.ids = Array({int32_t{7}});
  request.sortFields = "PARTNUMBER DESC";
  EXPECT_EQ(Calls("SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE DISABLED = 0", "PRODUCTID", IdListForm::kNumbers, request),
            "Let ConnectionString=String:Provider=SQLite;Data Source=/catalog.db\n"
            "Let PersistedStateInfo=String:state\n"
            "Let PageSize=Long:20\n"
            "Let SortFields=String:PARTNUMBER DESC\n"
            "Call Open(String:SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE DISABLED = 0 AND (PRODUCTID IN (7)), "
            "String:PRODUCTID)\n");
  EXPECT_EQ(buildWhereClause("SELECT * FROM T where X = 1", "K IN (1)"), "SELECT * FROM T where X = 1 WHERE (K IN (1))");
}

// With a page, the page's own list is used, named the catalog connection.
TEST_F(CatalogPaging, APagesListIsNamedTheCatalogConnection) {
  auto list = std::make_shared<RecordingFake>("DRecordset", log_);
  auto page = std::make_shared<RecordingFake>("Page", log_);
  page->On("Recordset", [list](rt::Args&) { return rt::Variant(rt::ObjectPtr(list)); });
  PagedListRequest request;
  request.page = page;
  EXPECT_EQ(CatalogPagedQuery("SELECT * FROM PRODUCTCATEGORY", "CATEGORYID", IdListForm::kNumbers, request), list);
  EXPECT_EQ(log_->front(), "Let ConnectionName=String:QuarvelConnection");
}

}  // namespace
