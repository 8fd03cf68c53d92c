// Product ("Quarvel.Product"): the catalog's product class. The object keeps
// the price group that its group-aware price methods use; every method opens
// and closes its own connection. Its members are split over the files of
// quarvel/product/ by what they do: creation and the private procedures
// (product.cpp), the product record and its maintenance (product_record.cpp),
// deletion with the cascade and the referential answers (product_delete.cpp,
// attachment_folder.cpp), price lines (price_lines.cpp), price selection and
// conversion (price_selection.cpp), the members still to come
// (product_pending.cpp) and the dispatch table (product_dispatch.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data/connection.h"
#include "interfaces/product.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace quarvel {

class Product : public rt::Object, public IProduct, public IReferentialIntegrity {
 public:
  Product() = default;

  std::string TypeName() const override { return "Product"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- product record and maintenance (product_record.cpp) --------------------
  void Disable(int32_t iProductID) override;
  void Enable(int32_t iProductID) override;
  int32_t Insert20(const rt::Variant& iFields, const rt::Variant& iValues) override;
  int32_t Insert(const std::string& iUnitCode, int32_t iPropGroupID, const std::string& iManID,
                 const std::string& iPartNo, const std::string& iProdDescription, bool iConfigurable,
                 const std::string& iProdRemark, const std::string& iImgFile, const std::string& iURL) override;
  bool Update20(int32_t iProductID, const rt::Variant& iFields, const rt::Variant& iValues) override;
  rt::Variant SetUpdateDateToNow(int32_t iProductID) override;
  bool Update(int32_t iProductID, const std::string& iUnitCode, int32_t iPropGroupID, const std::string& iManID,
              const std::string& iPartNo, const std::string& iProdDescription, bool iConfigurable,
              const std::string& iProdRemark, const std::string& iImgFile, const std::string& iURL) override;

  // --- deletion and referential answers (product_delete.cpp) ----------------------
  bool Delete(int32_t iProductID) override;
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

  // --- price lines (price_lines.cpp) ------------------------------------------------
  bool InsertPrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                   const rt::Variant& iValues) override;
  bool UpdatePrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                   const rt::Variant& iValues) override;
  bool InsertUpdatePrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                         const rt::Variant& iValues, const std::string& iAction) override;
  std::shared_ptr<rt::Dictionary> GetProductPriceLines(int32_t& iProductID) override;
  bool InsertUpdatePriceEx(int32_t i_lProductID, rt::Date i_dPriceEffDate, double i_fQuantityTo,
                           const std::string& i_sGroupBy, const rt::Variant& i_vFields, const rt::Variant& i_vValues,
                           const std::string& i_sAction) override;

  // --- price selection and conversion (price_selection.cpp) -------------------------
  std::shared_ptr<rt::Dictionary> getCatalogPriceAttributes(int32_t i_lProductID, rt::Date i_dDate,
                                                            const std::string& i_sCurrencyCode,
                                                            std::optional<double> i_fQuantity) override;
  std::shared_ptr<rt::Dictionary> getERPPrice(std::string& iBuyer, std::string& iContract,
                                              std::string& iContractPosition, int32_t& iSupplierID,
                                              std::string& iPartNumber, double& iQuantity, std::string& iUnit,
                                              rt::Date& iPriceDate, std::string& iCurrency) override;
  double GetPriceFromPriceLines(int32_t& i_lProductID, double& i_fQuantity) override;
  std::shared_ptr<rt::Dictionary> getCatalogPriceAttributesEx(int32_t i_lProductID, rt::Date i_dDate,
                                                              const std::string& i_sCurrencyCode,
                                                              std::optional<double> i_fQuantity,
                                                              std::optional<std::string> i_sGroupBy) override;
  double GetPriceFromPriceLinesByGroup(int32_t& i_lProductID, std::string& i_sGroupBy) override;

  // --- members still to come (product_pending.cpp) ------------------------------------
  rt::ObjectPtr GetProduct(int32_t& iProductID) override;
  rt::ObjectPtr GetProductsAsDRecordSet(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                        int32_t i_lPageSize, const std::string& i_sFields,
                                        const std::string& i_sSortFields, const std::string& i_sKeyFields,
                                        const std::string& i_sWhereClause) override;
  rt::ObjectPtr GetProductsByProductCategory(int32_t iCategoryID) override;
  std::string getManufacturerID(int32_t& iProductID) override;
  int32_t getProductIDFromPartNum(const std::string& iPartNum, std::optional<std::string> iCatalogString) override;
  std::shared_ptr<rt::Dictionary> GetCatalogProductsByPartNumber(const std::string& i_sPartNumber,
                                                                 int32_t i_lMaxNumberOfRows,
                                                                 rt::Variant& o_bMoreRowsAvailable,
                                                                 std::optional<std::string> i_sCatalogString) override;
  int32_t GetProductIDFromSupplierPartNum(const std::string& iSupplierPartNumber) override;
  int32_t countProductIDsFromPartNum(const std::string& iPartNum, std::optional<std::string> iCatalogString) override;
  int32_t countStockProductIDsFromPartNum(const std::string& iPartNum) override;
  int32_t GetMaxProductId() override;
  bool ValidateProductAgainstUserCatalogs(const std::string& i_sProductID, const rt::Variant& i_aCatalogIDs) override;
  std::string GetGTIN(int32_t i_lProductID) override;
  std::shared_ptr<rt::Dictionary> GetPartNumbersForProducts(const rt::Variant& i_aProductIDs) override;
  int32_t GetProductIdFromPartNumSource(const std::string& i_sPartNumber, const rt::Variant& i_lStockItemFlag,
                                        const rt::Variant& i_lDisabledFlag) override;
  rt::ObjectPtr GetAlternativeProducts(int32_t i_lProductID, const rt::Variant& i_lStockItemFlag) override;
  std::shared_ptr<rt::Dictionary> GetProductFields(const rt::Variant& i_aProductFieldNames,
                                                   std::optional<int32_t> i_lProductID,
                                                   std::optional<std::string> i_sGTIN) override;
  std::shared_ptr<rt::Dictionary> GetProductEx(int32_t i_lProductID) override;
  std::string GetProductDescription(int32_t& i_lProductID) override;
  std::shared_ptr<rt::Dictionary> GetProductsByCriteria(int32_t i_nStockItem, const rt::Variant& i_lSupplierID,
                                                        const rt::Variant& i_lCommodityCode) override;
  std::shared_ptr<rt::Dictionary> GetProductsByBuyer(const std::string& i_sBuyerId) override;
  std::shared_ptr<rt::Dictionary> GetProductsByPartNumber(const std::string& i_sPartNumber) override;
  std::shared_ptr<rt::Dictionary> GetProductsBySupplier(const std::string& iSupplierID) override;
  std::string GetDefaultBuyer(const std::string& iCommodityCode) override;
  std::string GetDefaultProductBuyer(int32_t iProductID) override;
  std::shared_ptr<rt::Dictionary> GetBuyersForProducts(const rt::Variant& i_aProductList) override;
  bool InsertMultipleBuyers(const rt::Variant& iFields, const rt::Variant& iValues) override;
  bool RequisitionPropertiesPresent(int32_t iProductID, const std::string& iUserID) override;
  bool RequisitionCommodityPropertiesPresent(const std::string& iCommodityCode, std::string& iUserID) override;
  std::shared_ptr<rt::Dictionary> GetRequisitionLineProperties(const std::string& iUserID,
                                                               const std::string& iCommodityCode,
                                                               int32_t iProductID) override;
  std::shared_ptr<rt::Dictionary> GetProductProperties(int32_t& iProductID) override;
  void UpdateProductPropertyValue(int32_t& iProductID, int32_t& iPropertyId, std::string& iValue) override;
  void InsertProductPropertyValue(int32_t& iProductID, int32_t& iPropertyId, std::string& iValue) override;
  bool DeleteCommodity(const std::string& iCommodityCode) override;
  std::string GetBuyerFromCommodity(std::string& iCommodity) override;
  std::shared_ptr<rt::Dictionary> GetAllCommodities() override;
  rt::ObjectPtr GetCommodityData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                 int32_t i_iPageSize, const rt::Variant& i_asCommodityCodes,
                                 std::optional<std::string> i_sSortTableFieldNames) override;
  std::string GetCategoryName(int32_t& iCategoryID) override;
  std::shared_ptr<rt::Dictionary> GetTaxcodeInformation(const std::string& istrCommodityCode) override;
  std::shared_ptr<rt::Dictionary> GetAllTaxCodes() override;
  std::string GetChargeType(const std::string& iCommodityCode) override;
  std::shared_ptr<rt::Dictionary> GetAllManufacturers() override;
  rt::ObjectPtr GetManufacturerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                    int32_t i_iPageSize, const rt::Variant& i_alManufacturerIDs,
                                    std::optional<std::string> i_sSortTableFieldNames) override;
  void InsertManufacturer(std::string& iManufacturerCode, std::string& iManufacturerName) override;
  std::string GetBisItemCode(std::string& i_lCommodity) override;
  void CreateFavorite(const std::string& i_sUserID, int32_t i_lProductID,
                      std::optional<int32_t> i_lFavoriteType) override;
  void DeleteFavorite(const std::string& i_sUserID, int32_t i_lProductID,
                      std::optional<int32_t> i_lFavoriteType) override;
  bool CheckLotSize(int32_t iProductID, double iQuantity) override;
  double getMultipleOf(int32_t iProductID) override;
  double getMinOrderQty(int32_t iProductID) override;
  void CreateFavoriteEx(const std::string& i_sUserID, int32_t i_lProductID, std::optional<int32_t> i_lFavoriteType,
                        std::optional<int32_t> i_lFolderID) override;
  void DeleteFavoriteEx(const std::string& i_sUserID, int32_t i_lProductID, std::optional<int32_t> i_lFavoriteType,
                        std::optional<int32_t> i_lFolderID) override;

 private:
  // The catalog connections, the web application's value asked first.
  static std::shared_ptr<data::Connection> getConnection();
  static std::shared_ptr<data::Connection> getReadCommittedConnection();

  // The cascade of a delete: the rows of the other product tables that hang
  // on the key (the first of the arrays). True when attached files went.
  bool BeforeDelete(const std::string& origin, const rt::Variant& names, const rt::Variant& values);

  // Runs `call` with `group` as the price group and the empty group again
  // afterwards, whichever way the call ends.
  template <class F>
  auto WithGroup(const std::string& group, F&& call) -> decltype(call());

  // The price group of the group-aware price methods: empty outside an Ex call.
  std::string GroupBy_;
};

template <class F>
auto Product::WithGroup(const std::string& group, F&& call) -> decltype(call()) {
  struct Reset {
    std::string& member;
    ~Reset() { member.clear(); }
  } reset{GroupBy_};
  GroupBy_ = group;
  return call();
}

rt::ClassInfo ProductClass();

}  // namespace quarvel
