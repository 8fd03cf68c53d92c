// FAQ issues: the stored row (product 0 as Null, DATE from the clock
// whatever the caller passes), the identities, the two code lists, and the
// failures under their "Brintor.Faqlist...()" names.
#include <ctime>

#include "interfaces/faqlist.h"
#include "tests/quarvel/reference_fixture.h"

namespace {

using Faq = SampleReferenceTest;

std::string LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

int32_t AddIssue(int32_t product, std::string date) {
  auto faq = ReferenceTest::New<IFaqlist>("Quarvel.Faqlist");
  int32_t category = 7, faqCategory = 2, visibility = 3;
  std::string description = "Sizes", question = "Which size?", answer = "See the chart.", attachment = "chart.pdf",
              link = "https://example.com/o'sizes";
  return faq->AddIssue(product, category, faqCategory, visibility, description, question, answer, date, attachment,
                       link);
}

TEST_F(Faq, AnIssueIsStoredWithTheCurrentDateAndANullForProductZero) {
  std::string before, after;
  Run([&] {
    before = LocalNow();
    EXPECT_EQ(AddIssue(0, "1999-01-01"), 1);
    EXPECT_EQ(AddIssue(-3, ""), 2);
    EXPECT_EQ(AddIssue(4, "no date"), 3);
    after = LocalNow();
  });
  EXPECT_EQ(Rows("SELECT FAQISSUEID, PRODUCTID, PRODUCTCATEGORYID, FAQCATEGORYID, DESCRIPTION, QUESTION, VISIBILITY,"
                 " ANSWER, ATTACHMENT, LINK FROM FAQISSUE"),
            "1|null|7|2|Sizes|Which size?|3|See the chart.|chart.pdf|https://example.com/o'sizes\n"
            "2|-3|7|2|Sizes|Which size?|3|See the chart.|chart.pdf|https://example.com/o'sizes\n"
            "3|4|7|2|Sizes|Which size?|3|See the chart.|chart.pdf|https://example.com/o'sizes\n");
  for (const std::string& date : {Rows("SELECT DATE FROM FAQISSUE WHERE FAQISSUEID = 1"),
                                  Rows("SELECT DATE FROM FAQISSUE WHERE FAQISSUEID = 3")}) {
    EXPECT_GE(date, before + "\n");
    EXPECT_LE(date, after + "\n");
  }
}

// The keys are the ids as read (numbers), so the text "3" finds nothing.
TEST_F(Faq, CategoriesAndVisibilitiesAreKeyedByNumber) {
  Run([&] {
    auto faq = New<IFaqlist>("Quarvel.Faqlist");
    auto categories = faq->GetFAQCategories();
    EXPECT_EQ(Render(categories), "1=String:Ordering; 2=String:Delivery; 3=String:Product use");
    EXPECT_TRUE(categories->Exists(rt::Variant(3)));
    EXPECT_FALSE(categories->Exists(rt::Variant("3")));
    EXPECT_EQ(Render(faq->GetFAQVisibilityOptions()), "1=String:Everyone; 2=String:Buyers; 3=String:Suppliers");
  });
  Exec("DROP TABLE FAQISSUE;");
  Run([&] {
    EXPECT_EQ(Failure([&] { AddIssue(1, ""); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Brintor.Faqlist.AddIssue()| DESC: no such table: FAQISSUE.|");
  });
}

}  // namespace
