// The product class as callers find it: a class that requires a transaction,
// whose members still to come answer, late-bound, that they are not
// available yet.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

using ProductInterface = ProductTest;

TEST_F(ProductInterface, MembersStillToComeAreNotAvailableYet) {
  EXPECT_EQ(rt::FindClass("Quarvel.Product").attribute, rt::TransactionAttribute::Required);
  // Each member with its number of arguments; "*" marks a paged list, whose
  // first argument is a page object.
  std::istringstream members(
      "GetProduct 1 GetProductsAsDRecordSet 7* GetProductsByProductCategory 1 getManufacturerID 1 "
      "getProductIDFromPartNum 2 GetCatalogProductsByPartNumber 4 GetProductIDFromSupplierPartNum 1 "
      "countProductIDsFromPartNum 2 countStockProductIDsFromPartNum 1 GetMaxProductId 0 "
      "ValidateProductAgainstUserCatalogs 2 GetGTIN 1 GetPartNumbersForProducts 1 GetProductIdFromPartNumSource 3 "
      "GetAlternativeProducts 2 GetProductFields 3 GetProductEx 1 GetProductDescription 1 GetProductsByCriteria 3 "
      "GetProductsByBuyer 1 GetProductsByPartNumber 1 GetProductsBySupplier 1 GetDefaultBuyer 1 "
      "GetDefaultProductBuyer 1 GetBuyersForProducts 1 InsertMultipleBuyers 2 RequisitionPropertiesPresent 2 "
      "RequisitionCommodityPropertiesPresent 2 GetRequisitionLineProperties 3 GetProductProperties 1 "
      "UpdateProductPropertyValue 3 InsertProductPropertyValue 3 DeleteCommodity 1 GetBuyerFromCommodity 1 "
      "GetAllCommodities 0 GetCommodityData 5* GetCategoryName 1 GetTaxcodeInformation 1 GetAllTaxCodes 0 "
      "GetChargeType 1 GetAllManufacturers 0 GetManufacturerData 5* InsertManufacturer 2 GetBisItemCode 1 "
      "CreateFavorite 3 DeleteFavorite 3 CheckLotSize 2 getMultipleOf 1 getMinOrderQty 1 CreateFavoriteEx 4 "
      "DeleteFavoriteEx 4");
  Run([&] {
    rt::ObjectPtr product = rt::CreateRootObject("Quarvel.Product", std::make_shared<rt::Activity>());
    int count = 0;
    for (std::string name, arity; members >> name >> arity; ++count) {
      rt::Args args(std::stoul(arity), rt::Variant("1"));
      if (arity.back() == '*') args[0] = rt::Variant::Nothing();
      EXPECT_EQ(Failure([&] { product->Invoke(name, rt::CallKind::Method, args); }),
                "80004001 Quarvel.Product." + name + ": " + name + " is not yet available");
    }
    EXPECT_EQ(count, 51);
  });
}

}  // namespace
}  // namespace producttest
