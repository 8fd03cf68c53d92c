// Tests of the paged lists on a table of 100,000 partners: pages deep in the
// list with and without a page object, the filters that each list adds,
// and the id lists that must hold numbers.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

// Partner i is "Partner <i, six digits>"; every 3rd is a one-time partner,
// every 7th internal, every 10th a customer.
const char* const kManyPartners =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
    "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, BISCUSTOMERCODE, ISONETIMEBP, ISINTERNALBP) "
    "SELECT i, 'Partner ' || printf('%06d', i), CASE WHEN i % 10 = 0 THEN 'C' || i END, i % 3 = 0, i % 7 = 0 "
    "FROM n;";

class PagedLists : public EmptyPartnerTest {
 protected:
  void SetUp() override {
    EmptyPartnerTest::SetUp();
    Exec(kManyPartners);
  }

  // The page's keys, joined by ",".
  static std::string Keys(const rt::ObjectPtr& list) {
    auto rs = std::dynamic_pointer_cast<data::Recordset>(list->GetProperty("Recordset").AsObject());
    std::string keys;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) keys += (keys.empty() ? "" : ",") + rt::CStr(rs->Value(0));
    return keys;
  }

  // The same keys as the database lists them.
  std::string Expected(const std::string& where, int page, int size = 10) {
    return Scalar("SELECT group_concat(BUSINESSPARTNERID, ',') FROM (SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER " +
                  where + " ORDER BY BUSINESSPARTNERID LIMIT " + std::to_string(size) + " OFFSET " +
                  std::to_string((page - 1) * size) + ")");
  }

  static rt::ObjectPtr PageAsking(int32_t page) {
    rt::ObjectPtr p = rt::CreateObject("Tamrick.Page");
    p->LetProperty("RequestedPage", rt::Variant(page));
    return p;
  }
};

TEST_F(PagedLists, PagesDeepInTheListWithAndWithoutAPage) {
  Run([&] {
    auto bp = NewPartner();
    const rt::Variant none = rt::Variant::Missing();
    rt::ObjectPtr first = bp->GetBusinessPartnerData(nullptr, "", 10, false, false, none, none);
    EXPECT_EQ(Keys(first), "1,2,3,4,5,6,7,8,9,10");
    EXPECT_EQ(rt::CLng(first->GetProperty("PageCount")), 10000);

    rt::ObjectPtr deep = bp->GetBusinessPartnerData(PageAsking(1000), "", 10, false, false, none, none);
    EXPECT_EQ(rt::CLng(deep->GetProperty("AbsolutePage")), 1000);
    EXPECT_EQ(Keys(deep), "9991,9992,9993,9994,9995,9996,9997,9998,9999,10000");

    rt::ObjectPtr skipping = bp->GetBusinessPartnerData(PageAsking(4000), "", 10, true, true, none, none);
    EXPECT_EQ(Keys(skipping), Expected("WHERE NOT ISONETIMEBP = 1 AND NOT ISINTERNALBP = 1", 4000));

    rt::ObjectPtr customers = bp->GetCustomerData(PageAsking(300), "", 20, false, true, none, none);
    EXPECT_EQ(Keys(customers),
              Expected("WHERE NOT ISINTERNALBP = 1 AND BISCUSTOMERCODE <> '' AND BISCUSTOMERCODE IS NOT NULL", 300,
                       20));

    rt::ObjectPtr last = bp->GetBusinessPartnersLimited(PageAsking(99999), "", 25, false, false, none, none);
    EXPECT_EQ(rt::CLng(last->GetProperty("AbsolutePage")), 4000);
    EXPECT_EQ(Keys(last), Expected("", 4000, 25));
  });
}

TEST_F(PagedLists, IdListsAndSkipFlagsNarrowTheList) {
  Exec("INSERT INTO ADDRESS (ADDRESSID, NAME1) VALUES (3, 'Three'), (7, 'Seven'), (8, 'Eight');");
  Run([&] {
    auto bp = NewPartner();
    const rt::Variant none = rt::Variant::Missing();
    // 3 is a one-time partner, 7 internal, 30 a one-time customer, 70 an internal customer.
    const rt::Variant ids =
        Array({rt::Variant(3), rt::Variant("7"), rt::Variant(30.0), rt::Variant(70), rt::Variant(80)});
    EXPECT_EQ(Keys(bp->GetBusinessPartnerData(nullptr, "", 10, false, false, ids, none)), "3,7,30,70,80");
    EXPECT_EQ(Keys(bp->GetBusinessPartnerData(nullptr, "", 10, true, false, ids, none)), "7,70,80");
    EXPECT_EQ(Keys(bp->GetBusinessPartnersLimited(nullptr, "", 10, false, true, ids, none)), "3,30,80");
    EXPECT_EQ(Keys(bp->GetCustomerData(nullptr, "", 10, false, false, ids, none)), "30,70,80");
    EXPECT_EQ(Keys(bp->GetCustomerData(nullptr, "", 10, true, true, ids, none)), "80");
    EXPECT_EQ(Keys(bp->GetAddressData(nullptr, "", 10, Array({rt::Variant(8), rt::Variant(3)}), none)), "3,8");
    EXPECT_EQ(Keys(bp->GetAddressData(nullptr, "", 10, none, none)), "3,7,8");
  });
}

TEST_F(PagedLists, IdsThatAreNoNumbersFailThroughTheHandler) {
  Run([&] {
    auto bp = NewPartner();
    const rt::Variant none = rt::Variant::Missing();
    const rt::Variant injected = Array({rt::Variant(1), rt::Variant("2) OR (1=1")});
    EXPECT_THAT(Failure([&] { bp->GetBusinessPartnerData(nullptr, "", 10, false, false, injected, none); }),
                ::testing::StartsWith("D Brintor: |ERROR 0xD| METHOD: Brintor.BusinessPartner.GetBusinessPartnerData|"));
    EXPECT_EQ(RaisedBy([&] { bp->GetAddressData(nullptr, "", 10, Array({rt::Variant::Null()}), none); }).number(), 13);
    // An empty list leaves "IN ()", which the database refuses.
    EXPECT_THAT(Failure([&] { bp->GetCustomerData(nullptr, "", 10, false, false, Array({}), none); }),
                ::testing::HasSubstr("| METHOD: Brintor.BusinessPartner.GetCustomerData|"));
  });
}

}  // namespace
