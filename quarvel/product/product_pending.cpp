// Product: the members whose behaviour is still to come (lookups, details
// and searches, buyers, property values, commodities and manufacturers,
// order-quantity rules and favourites). Each is in the interface and the
// dispatch table and answers 0x80004001 "<member> is not yet available".
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "runtime/context.h"

namespace quarvel {

using product::NotYetAvailable;

rt::ObjectPtr Product::GetProduct(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProduct");
}

rt::ObjectPtr Product::GetProductsAsDRecordSet(const rt::ObjectPtr&, const std::string&, int32_t, const std::string&,
                                               const std::string&, const std::string&, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductsAsDRecordSet");
}

rt::ObjectPtr Product::GetProductsByProductCategory(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductsByProductCategory");
}

std::string Product::getManufacturerID(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("getManufacturerID");
}

int32_t Product::getProductIDFromPartNum(const std::string&, std::optional<std::string>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("getProductIDFromPartNum");
}

std::shared_ptr<rt::Dictionary> Product::GetCatalogProductsByPartNumber(const std::string&, int32_t, rt::Variant&,
                                                                        std::optional<std::string>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetCatalogProductsByPartNumber");
}

int32_t Product::GetProductIDFromSupplierPartNum(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductIDFromSupplierPartNum");
}

int32_t Product::countProductIDsFromPartNum(const std::string&, std::optional<std::string>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("countProductIDsFromPartNum");
}

int32_t Product::countStockProductIDsFromPartNum(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("countStockProductIDsFromPartNum");
}

int32_t Product::GetMaxProductId() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetMaxProductId");
}

bool Product::ValidateProductAgainstUserCatalogs(const std::string&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("ValidateProductAgainstUserCatalogs");
}

std::string Product::GetGTIN(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetGTIN");
}

std::shared_ptr<rt::Dictionary> Product::GetPartNumbersForProducts(const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetPartNumbersForProducts");
}

int32_t Product::GetProductIdFromPartNumSource(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductIdFromPartNumSource");
}

rt::ObjectPtr Product::GetAlternativeProducts(int32_t, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAlternativeProducts");
}

std::shared_ptr<rt::Dictionary> Product::GetProductFields(const rt::Variant&, std::optional<int32_t>,
                                                          std::optional<std::string>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductFields");
}

std::shared_ptr<rt::Dictionary> Product::GetProductEx(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductEx");
}

std::string Product::GetProductDescription(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductDescription");
}

std::shared_ptr<rt::Dictionary> Product::GetProductsByCriteria(int32_t, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductsByCriteria");
}

std::shared_ptr<rt::Dictionary> Product::GetProductsByBuyer(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductsByBuyer");
}

std::shared_ptr<rt::Dictionary> Product::GetProductsByPartNumber(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductsByPartNumber");
}

std::shared_ptr<rt::Dictionary> Product::GetProductsBySupplier(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductsBySupplier");
}

std::string Product::GetDefaultBuyer(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetDefaultBuyer");
}

std::string Product::GetDefaultProductBuyer(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetDefaultProductBuyer");
}

std::shared_ptr<rt::Dictionary> Product::GetBuyersForProducts(const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetBuyersForProducts");
}

bool Product::InsertMultipleBuyers(const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("InsertMultipleBuyers");
}

bool Product::RequisitionPropertiesPresent(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("RequisitionPropertiesPresent");
}

bool Product::RequisitionCommodityPropertiesPresent(const std::string&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("RequisitionCommodityPropertiesPresent");
}

std::shared_ptr<rt::Dictionary> Product::GetRequisitionLineProperties(const std::string&, const std::string&, int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetRequisitionLineProperties");
}

std::shared_ptr<rt::Dictionary> Product::GetProductProperties(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProductProperties");
}

void Product::UpdateProductPropertyValue(int32_t&, int32_t&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("UpdateProductPropertyValue");
}

void Product::InsertProductPropertyValue(int32_t&, int32_t&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("InsertProductPropertyValue");
}

bool Product::DeleteCommodity(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("DeleteCommodity");
}

std::string Product::GetBuyerFromCommodity(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetBuyerFromCommodity");
}

std::shared_ptr<rt::Dictionary> Product::GetAllCommodities() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllCommodities");
}

rt::ObjectPtr Product::GetCommodityData(const rt::ObjectPtr&, const std::string&, int32_t, const rt::Variant&,
                                        std::optional<std::string>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetCommodityData");
}

std::string Product::GetCategoryName(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetCategoryName");
}

std::shared_ptr<rt::Dictionary> Product::GetTaxcodeInformation(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetTaxcodeInformation");
}

std::shared_ptr<rt::Dictionary> Product::GetAllTaxCodes() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllTaxCodes");
}

std::string Product::GetChargeType(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetChargeType");
}

std::shared_ptr<rt::Dictionary> Product::GetAllManufacturers() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllManufacturers");
}

rt::ObjectPtr Product::GetManufacturerData(const rt::ObjectPtr&, const std::string&, int32_t, const rt::Variant&,
                                           std::optional<std::string>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetManufacturerData");
}

void Product::InsertManufacturer(std::string&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("InsertManufacturer");
}

std::string Product::GetBisItemCode(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetBisItemCode");
}

void Product::CreateFavorite(const std::string&, int32_t, std::optional<int32_t>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("CreateFavorite");
}

void Product::DeleteFavorite(const std::string&, int32_t, std::optional<int32_t>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("DeleteFavorite");
}

bool Product::CheckLotSize(int32_t, double) {
  rt::ContextScope scope(*this);
  NotYetAvailable("CheckLotSize");
}

double Product::getMultipleOf(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("getMultipleOf");
}

double Product::getMinOrderQty(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("getMinOrderQty");
}

void Product::CreateFavoriteEx(const std::string&, int32_t, std::optional<int32_t>, std::optional<int32_t>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("CreateFavoriteEx");
}

void Product::DeleteFavoriteEx(const std::string&, int32_t, std::optional<int32_t>, std::optional<int32_t>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("DeleteFavoriteEx");
}

}  // namespace quarvel
