// Tests of the loaded partner: the getters and role tests, what the catalog
// library relies on in GetBuyer, loading and its failures, the one-time
// flag and the withdrawn methods.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using LoadedPartner = PartnerTest;
using PartnerFrame = PartnerTest;

std::string Describe(const PartnerTest::Partner& bp) {
  const rt::Variant none = rt::Variant::Missing();
  return "id=" + rt::CStr(bp->GetBusinessPartnerID()) + " name=" + bp->GetBusinessPartnerName(none) +
         " businessid=" + bp->GetBusinessID(none) + " buyer=" + bp->GetBuyer(none) +
         " currency=" + bp->GetCurrency(none) + "/" + bp->GetCustomerCurrency(none) +
         " pricing=" + std::to_string(bp->GetBusinessPartnerPricingMethod(none)) + "/" +
         std::to_string(bp->GetCustomerPricingMethod(none)) + " customer=" + bp->GetCustomerCode(none) + "/" +
         bp->GetInvoiceCustomerCode(none) + "/" + bp->GetCCCustomerCode(none) + " supplier=" +
         bp->GetSupplierCode(none) + " customername=" + bp->GetCustomerName(none) +
         " carrier=" + bp->GetCustomerCarrier(none) +
         " discount=" + rt::CStr(rt::Variant(bp->GetCustomerDiscountPercentage(none))) +
         " addresses=" + std::to_string(bp->GetPostalAddressID(none)) + "," +
         std::to_string(bp->GetShippingAddressID(none)) + "," + std::to_string(bp->GetSoldToAddressID(none)) +
         " owb=" + std::to_string(bp->GetOwbEnabled(none)) + " orderurl=" + bp->GetOrderRequestUrl(none) +
         " url=" + bp->GetBusinessPartnerUrl(none) + " onetime=" + std::to_string(bp->IsOneTimeBusinessPartner(none)) +
         " internal=" + std::to_string(bp->IsInternalBusinessPartner(none)) +
         " roles=" + std::to_string(bp->IsInvoiceCustomer()) + std::to_string(bp->IsCCCustomer()) +
         std::to_string(bp->IsSupplier()) + std::to_string(bp->IsCustomer());
}

TEST_F(LoadedPartner, GettersAnswerTheLoadedPartnersColumns) {
  Run([&] {
    auto bp = NewPartner();
    int32_t id = 4;
    bp->GetBusinessPartner(id);
    EXPECT_EQ(Describe(bp),
              "id=4 name=Riverside Hospital businessid=BID-C400 buyer= currency=GBP/GBP pricing=2/2 "
              "customer=C400/C400/CC400 supplier= customername=Riverside Hospital carrier=AIR discount=0 "
              "addresses=5,5,5 owb=0 orderurl= url= onetime=0 internal=0 roles=1101");
    EXPECT_EQ(bp->GetDefaultSupplierCode(3), "S100");
    // No load fills this one.
    EXPECT_EQ(bp->GetBusinessPartnerUserId(1), "");
    EXPECT_EQ(Describe(bp).substr(0, 60), "id=1 name=Office Supplies Inc. businessid=BID-S100 buyer=buy");
  });
}

TEST_F(LoadedPartner, ACustomerCodeOfBlanksIsNoCodeAndACodeWithoutCustomerRowIsNoCustomer) {
  Exec("UPDATE BUSINESSPARTNER SET BISCUSTOMERCODE = '   ' WHERE BUSINESSPARTNERID = 3;"
       "UPDATE BUSINESSPARTNER SET BISCUSTOMERCODE = ' C100 ' WHERE BUSINESSPARTNERID = 1;"
       "UPDATE BUSINESSPARTNER SET ISONETIMEBP = 1, ISINTERNALBP = 1 WHERE BUSINESSPARTNERID = 2;");
  Run([&] {
    auto bp = NewPartner();
    // The customer row still answers its name, carrier and discount; C100 has no CUSTOMER row.
    std::string seen = "[" + bp->GetCustomerCode(rt::Variant(3)) + "] ";
    seen += std::to_string(bp->IsInvoiceCustomer()) + std::to_string(bp->IsCustomer()) + " " +
            bp->GetCustomerCarrier(rt::Variant(3)) + " " +
            rt::CStr(rt::Variant(bp->GetCustomerDiscountPercentage(rt::Variant(3)))) + "\n";
    seen += bp->GetCustomerCode(rt::Variant(1)) + " ";
    seen += std::to_string(bp->IsInvoiceCustomer()) + std::to_string(bp->IsCustomer()) + " [" +
            bp->GetCustomerName(rt::Variant(1)) + "]\n";
    seen += std::to_string(bp->IsOneTimeBusinessPartner(rt::Variant(2))) +
            std::to_string(bp->IsInternalBusinessPartner(rt::Variant("2")));
    EXPECT_EQ(seen, "[] 00 ROAD 2.5\nC100 10 []\n11");
  });
}

// The loaded partner is not read again; GetBuyer, which the catalog library
// relies on, answers the user id or "" (Null), and a failed load keeps the
// previous partner.
TEST_F(LoadedPartner, TheLoadedPartnerIsNotReadAgainAndGetBuyerAnswersItsUser) {
  Run([&] {
    auto bp = NewPartner();
    std::string seen = bp->GetBusinessPartnerName(rt::Variant(2)) + "|";
    Exec("UPDATE BUSINESSPARTNER SET NAME = 'Renamed' WHERE BUSINESSPARTNERID = 2");
    seen += bp->GetBusinessPartnerName(rt::Variant(2)) + "|";
    seen += bp->GetBusinessPartnerName(rt::Variant(1)) + "|";
    seen += bp->GetBusinessPartnerName(rt::Variant(2)) + "\n[";
    seen += bp->GetBuyer(rt::Variant(3)) + "] ";
    seen += bp->GetBuyer(rt::Variant(1)) + " ";
    seen += bp->GetBuyer(rt::Variant::Missing()) + "\n";
    seen += Failure([&] { bp->GetBuyer(rt::Variant(99)); }) + "\n";
    seen += rt::CStr(bp->GetBusinessPartnerID()) + " " + bp->GetBuyer(rt::Variant::Missing()) + " ";
    // Late-bound, as the catalog library calls it, with an Integer or no id.
    seen += rt::CStr(bp.object->Call("GetBuyer", {rt::Variant(int16_t{1})})) + " ";
    seen += rt::CStr(bp.object->Call("GetBuyer"));
    EXPECT_EQ(seen,
              "Maschinenbau Nord GmbH|Maschinenbau Nord GmbH|Office Supplies Inc.|Renamed\n[] buyer1 buyer1\n"
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetBusinessPartner(99)| DESC: BusinessPartner 99 not found.|\n"
              "1 buyer1 buyer1 buyer1");
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
    bp->SetOneTimeBusinessPartner(2, true);
    std::string seen = Scalar("SELECT ISONETIMEBP FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 2");
    bp->SetOneTimeBusinessPartner(2, false);
    seen += Scalar("SELECT ISONETIMEBP FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 2") + " ";
    EXPECT_EQ(seen + Failure([&] { bp->SetOneTimeBusinessPartner(77, true); }),
              "10 80040064 Brintor.Businesspartner.SetOneTimeBusinessPartner: Businesspartner not found");
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
