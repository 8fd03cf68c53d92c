// FAQ issues: the stored row (product 0 as Null, DATE from the clock whatever
// the caller passes), the identities, the two code lists keyed by number,
// and the failures under their "Brintor.Faqlist...()" names.
#include <ctime>

#include "interfaces/faqlist.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using Faq = SampleReferenceTest;

std::string LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", localtime_r(&now, &local));
  return std::string(text) + "\n";
}

int32_t AddIssue(int32_t product, std::string date) {
  int32_t category = 7, faqCategory = 2, visibility = 3;
  std::string description = "Sizes", question = "Which size?", answer = "See the chart.", attachment = "chart.pdf",
              link = "https://example.com/o'sizes";
  return ReferenceTest::New<IFaqlist>("Quarvel.Faqlist")
      ->AddIssue(product, category, faqCategory, visibility, description, question, answer, date, attachment, link);
}

TEST_F(Faq, AnIssueIsStoredWithTheCurrentDateAndANullForProductZero) {
  std::string before, after;
  Golden ids;
  Run([&] {
    before = LocalNow();
    for (const auto& [product, date] : {std::pair{0, "1999-01-01"}, std::pair{-3, ""}, std::pair{4, "no date"}})
      ids.Add("product " + std::to_string(product) + ", date '" + date + "'", AddIssue(product, date));
    after = LocalNow();
  });
  Golden stored;
  stored.Add("ids", ids.Lines()).Add("products", Rows("SELECT FAQISSUEID, PRODUCTID FROM FAQISSUE"));
  stored.Add("the rest, distinct", Rows("SELECT DISTINCT PRODUCTCATEGORYID, FAQCATEGORYID, DESCRIPTION, QUESTION, "
                                        "VISIBILITY, ANSWER, ATTACHMENT, LINK FROM FAQISSUE"));
  EXPECT_EQ(stored.Lines(),
            "ids:\nproduct 0, date '1999-01-01': 1\nproduct -3, date '': 2\nproduct 4, date 'no date': 3\n"
            "products:\n1|null\n2|-3\n3|4\n"
            "the rest, distinct: 7|2|Sizes|Which size?|3|See the chart.|chart.pdf|https://example.com/o'sizes\n");
  for (const char* id : {"1", "3"}) {
    const std::string date = Rows(std::string("SELECT DATE FROM FAQISSUE WHERE FAQISSUEID = ") + id);
    EXPECT_GE(date, before) << "issue " << id;
    EXPECT_LE(date, after) << "issue " << id;
  }
}

// The keys are the ids as read (numbers), so the text "3" finds nothing.
TEST_F(Faq, CategoriesAndVisibilitiesAreKeyedByNumber) {
  Run([&] {
    auto faq = New<IFaqlist>("Quarvel.Faqlist");
    auto categories = faq->GetFAQCategories();
    Golden seen;
    seen.Add("categories", Render(categories)).Add("visibilities", Render(faq->GetFAQVisibilityOptions()));
    seen.Add("category Long 3", categories->Exists(rt::Variant(3)));
    seen.Add("category String 3", categories->Exists(rt::Variant("3")));
    EXPECT_EQ(seen.Lines(),
              "categories: 1=String:Ordering; 2=String:Delivery; 3=String:Product use\n"
              "visibilities: 1=String:Everyone; 2=String:Buyers; 3=String:Suppliers\n"
              "category Long 3: true\ncategory String 3: false\n");
  });
  Exec("DROP TABLE FAQISSUE;");
  Run([&] {
    EXPECT_EQ(Failure([&] { AddIssue(1, ""); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Brintor.Faqlist.AddIssue()| DESC: no such table: FAQISSUE.|");
  });
}

}  // namespace
