// Tests of the loaded partner: the getters and role tests, what the catalog
// library relies on in GetBuyer, loading and its failures, the one-time
// flag and the withdrawn methods.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using LoadedPartner = PartnerTest;
using PartnerFrame = PartnerTest;

Golden Describe(const PartnerTest::Partner& bp) {
  const rt::Variant none = rt::Variant::Missing();
  return Golden()
      .Add("id", rt::CStr(bp->GetBusinessPartnerID()))
      .Add("name", bp->GetBusinessPartnerName(none))
      .Add("businessid", bp->GetBusinessID(none))
      .Add("buyer", bp->GetBuyer(none))
      .Add("currency", bp->GetCurrency(none))
      .Add("customercurrency", bp->GetCustomerCurrency(none))
      .Add("pricing", bp->GetBusinessPartnerPricingMethod(none))
      .Add("customerpricing", bp->GetCustomerPricingMethod(none))
      .Add("customer", bp->GetCustomerCode(none))
      .Add("invoicecustomer", bp->GetInvoiceCustomerCode(none))
      .Add("cccustomer", bp->GetCCCustomerCode(none))
      .Add("supplier", bp->GetSupplierCode(none))
      .Add("customername", bp->GetCustomerName(none))
      .Add("carrier", bp->GetCustomerCarrier(none))
      .Add("discount", rt::CStr(rt::Variant(bp->GetCustomerDiscountPercentage(none))))
      .Add("postal", bp->GetPostalAddressID(none))
      .Add("shipping", bp->GetShippingAddressID(none))
      .Add("soldto", bp->GetSoldToAddressID(none))
      .Add("owb", bp->GetOwbEnabled(none))
      .Add("orderurl", bp->GetOrderRequestUrl(none))
      .Add("url", bp->GetBusinessPartnerUrl(none))
      .Add("onetime", bp->IsOneTimeBusinessPartner(none))
      .Add("internal", bp->IsInternalBusinessPartner(none))
      .Add("IsInvoiceCustomer", bp->IsInvoiceCustomer())
      .Add("IsCCCustomer", bp->IsCCCustomer())
      .Add("IsSupplier", bp->IsSupplier())
      .Add("IsCustomer", bp->IsCustomer());
}

TEST_F(LoadedPartner, GettersAnswerTheLoadedPartnersColumns) {
  Run([&] {
    auto bp = NewPartner();
    int32_t id = 4;
    bp->GetBusinessPartner(id);
    EXPECT_EQ(Describe(bp).Lines(),
              "id: 4\nname: Riverside Hospital\nbusinessid: BID-C400\nbuyer: \ncurrency: GBP\ncustomercurrency: GBP\n"
              "pricing: 2\ncustomerpricing: 2\ncustomer: C400\ninvoicecustomer: C400\ncccustomer: CC400\n"
              "supplier: \ncustomername: Riverside Hospital\ncarrier: AIR\ndiscount: 0\n"
              "postal: 5\nshipping: 5\nsoldto: 5\nowb: false\norderurl: \nurl: \nonetime: false\ninternal: false\n"
              "IsInvoiceCustomer: true\nIsCCCustomer: true\nIsSupplier: false\nIsCustomer: true\n");
    EXPECT_EQ(bp->GetDefaultSupplierCode(3), "S100");
    // No load fills this one.
    EXPECT_EQ(bp->GetBusinessPartnerUserId(1), "");
    EXPECT_EQ(Describe(bp).Line().substr(0, 60), "id=1 name=Office Supplies Inc. businessid=BID-S100 buyer=buy");
  });
}

TEST_F(LoadedPartner, ACustomerCodeOfBlanksIsNoCodeAndACodeWithoutCustomerRowIsNoCustomer) {
  Exec("UPDATE BUSINESSPARTNER SET BISCUSTOMERCODE = '   ' WHERE BUSINESSPARTNERID = 3;"
       "UPDATE BUSINESSPARTNER SET BISCUSTOMERCODE = ' C100 ' WHERE BUSINESSPARTNERID = 1;"
       "UPDATE BUSINESSPARTNER SET ISONETIMEBP = 1, ISINTERNALBP = 1 WHERE BUSINESSPARTNERID = 2;");
  Run([&] {
    auto bp = NewPartner();
    // The customer row still answers its name, carrier and discount; C100 has no CUSTOMER row.
    Golden three, one, two;
    three.Add("customer", bp->GetCustomerCode(rt::Variant(3)));
    three.Add("IsInvoiceCustomer", bp->IsInvoiceCustomer()).Add("IsCustomer", bp->IsCustomer());
    three.Add("carrier", bp->GetCustomerCarrier(rt::Variant(3)));
    three.Add("discount", rt::CStr(rt::Variant(bp->GetCustomerDiscountPercentage(rt::Variant(3)))));
    one.Add("customer", bp->GetCustomerCode(rt::Variant(1)));
    one.Add("IsInvoiceCustomer", bp->IsInvoiceCustomer()).Add("IsCustomer", bp->IsCustomer());
    one.Add("customername", bp->GetCustomerName(rt::Variant(1)));
    two.Add("onetime", bp->IsOneTimeBusinessPartner(rt::Variant(2)));
    two.Add("internal", bp->IsInternalBusinessPartner(rt::Variant("2")));
    EXPECT_EQ(Golden().Add("3", three).Add("1", one).Add("2", two).Lines(),
              "3: customer= IsInvoiceCustomer=false IsCustomer=false carrier=ROAD discount=2.5\n"
              "1: customer=C100 IsInvoiceCustomer=true IsCustomer=false customername=\n"
              "2: onetime=true internal=true\n");
  });
}

// The loaded partner is not read again; GetBuyer, which the catalog library
// relies on, answers the user id or "" (Null), and a failed load keeps the
// previous partner.
TEST_F(LoadedPartner, TheLoadedPartnerIsNotReadAgainAndGetBuyerAnswersItsUser) {
  Run([&] {
    auto bp = NewPartner();
    Golden seen;
    seen.Add("name of 2", bp->GetBusinessPartnerName(rt::Variant(2)));
    Exec("UPDATE BUSINESSPARTNER SET NAME = 'Renamed' WHERE BUSINESSPARTNERID = 2");
    seen.Add("name of 2, renamed", bp->GetBusinessPartnerName(rt::Variant(2)));
    seen.Add("name of 1", bp->GetBusinessPartnerName(rt::Variant(1)));
    seen.Add("name of 2 again", bp->GetBusinessPartnerName(rt::Variant(2)));
    seen.Add("GetBuyer(3)", bp->GetBuyer(rt::Variant(3)));
    seen.Add("GetBuyer(1)", bp->GetBuyer(rt::Variant(1)));
    seen.Add("GetBuyer()", bp->GetBuyer(rt::Variant::Missing()));
    seen.Add("GetBuyer(99)", Failure([&] { bp->GetBuyer(rt::Variant(99)); }));
    seen.Add("loaded", rt::CStr(bp->GetBusinessPartnerID()))
        .Add("GetBuyer() after", bp->GetBuyer(rt::Variant::Missing()));
    // Late-bound, as the catalog library calls it, with an Integer or no id.
    seen.Add("late GetBuyer(1)", rt::CStr(bp.object->Call("GetBuyer", {rt::Variant(int16_t{1})})));
    seen.Add("late GetBuyer()", rt::CStr(bp.object->Call("GetBuyer")));
    EXPECT_EQ(seen.Lines(),
              "name of 2: Maschinenbau Nord GmbH\nname of 2, renamed: Maschinenbau Nord GmbH\n"
              "name of 1: Office Supplies Inc.\nname of 2 again: Renamed\n"
              "GetBuyer(3): \nGetBuyer(1): buyer1\nGetBuyer(): buyer1\n"
              "GetBuyer(99): 80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetBusinessPartner(99)| DESC: BusinessPartner 99 not found.|\n"
              "loaded: 1\nGetBuyer() after: buyer1\nlate GetBuyer(1): buyer1\nlate GetBuyer(): buyer1\n");
  });
}

TEST_F(LoadedPartner, ActivationForgetsThePartnerAPlainObjectStartsAtZeroAndNoneIsPooled) {
  Run([&] {
    auto activated = NewPartner();
    EXPECT_EQ(rt::TypeName(activated->GetBusinessPartnerID()) + ":" + rt::CStr(activated->GetBusinessPartnerID()),
              "Long:-1");

    auto plain = PlainPartner();
    EXPECT_EQ(rt::CStr(plain->GetBusinessPartnerID()), "0");
    int32_t zero = 0;
    plain->GetBusinessPartner(zero);  // the loaded id: nothing is read
    EXPECT_EQ(plain->GetBuyer(rt::Variant(0)), "");
    // Activated, partner 0 is read and not found.
    EXPECT_EQ(RaisedBy([&] { activated->GetBuyer(rt::Variant(0)); }).number(),
              ErrorNumber(BrintorError::BusinessPartnerNotFound));
    activated->Release();
    EXPECT_FALSE(activated.object->CanBePooled());
  });
}

TEST_F(LoadedPartner, SetOneTimeBusinessPartnerWritesTheFlagOrRaisesUnlogged) {
  Run([&] {
    auto bp = NewPartner();
    Golden seen;
    bp->SetOneTimeBusinessPartner(2, true);
    seen.Add("after true", Scalar("SELECT ISONETIMEBP FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 2"));
    bp->SetOneTimeBusinessPartner(2, false);
    seen.Add("after false", Scalar("SELECT ISONETIMEBP FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 2"));
    EXPECT_EQ(seen.Add("partner 77", Failure([&] { bp->SetOneTimeBusinessPartner(77, true); })).Lines(),
              "after true: 1\nafter false: 0\n"
              "partner 77: 80040064 Brintor.Businesspartner.SetOneTimeBusinessPartner: Businesspartner not found\n");
  });
}

TEST_F(PartnerFrame, WithdrawnMethodsFailWithMinusOneAndTheirText) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Failure([&] { bp->GetAllAddresses(); }),
              "FFFFFFFF Brintor: |ERROR 0xFFFFFFFF| METHOD: Function GetAllAddresses() is a 'full table scan' function "
              "and is not supported anymore.|Use new function GetAddressData() that supports paging (=based on "
              "DRecordset component).| DESC: Application-defined or object-defined error.|");
    EXPECT_THAT(Failure([&] { bp.object->Call("GetBusinessPartnerNames"); }),
                ::testing::HasSubstr("FFFFFFFF Brintor: |ERROR 0xFFFFFFFF| METHOD: 'Public Function "
                                     "GetBusinessPartnerNames() As Scripting.Dictionary was a 'full table scan' function "
                                     "in Ulmary 2.4 and is not supported anymore. |New Public Function "
                                     "GetBusinessPartnerNames(ByVal i_oPage As Tamrick.Page, "));
  });
}

}  // namespace
