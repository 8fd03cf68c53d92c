// The product class of the catalog library ("Quarvel.Product") for C++
// callers: its dual interface _Product in slot order, and the enumeration
// that the class publishes. The class also implements IReferentialIntegrity
// (interfaces/referential_integrity.h) for the keys that product data
// refers to.
//
// Members are listed under their late-bound names; parameters passed by
// reference are non-const references. Optional Variant arguments take
// rt::Variant::Missing() when left out; optional typed arguments are
// std::optional, their defaults applied by the class.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

// The kind of a favourite (FAVORITES.WAREHOUSEFAVORITE).
enum FavoriteTypes : int32_t {
  DefaultFavorite = 0,
  WarehouseFavorite = 1,
};

struct IProduct {
  virtual ~IProduct() = default;

  // --- product record and maintenance --------------------------------------------
  virtual void Disable(int32_t iProductID) = 0;
  virtual void Enable(int32_t iProductID) = 0;
  // Deletes the product with everything that hangs on it; True.
  virtual bool Delete(int32_t iProductID) = 0;
  // A new product from parallel arrays of column names and values: its
  // PRODUCTID, or -1 when a field check fails (nothing written).
  virtual int32_t Insert20(const rt::Variant& iFields, const rt::Variant& iValues) = 0;
  virtual int32_t Insert(const std::string& iUnitCode, int32_t iPropGroupID, const std::string& iManID,
                         const std::string& iPartNo, const std::string& iProdDescription, bool iConfigurable,
                         const std::string& iProdRemark, const std::string& iImgFile, const std::string& iURL) = 0;
  // Sets the named columns of the product (PRODUCTID is never written); True.
  virtual bool Update20(int32_t iProductID, const rt::Variant& iFields, const rt::Variant& iValues) = 0;
  // Stamps DATEUPDATED; the Boolean True in a Variant.
  virtual rt::Variant SetUpdateDateToNow(int32_t iProductID) = 0;
  virtual bool Update(int32_t iProductID, const std::string& iUnitCode, int32_t iPropGroupID, const std::string& iManID,
                      const std::string& iPartNo, const std::string& iProdDescription, bool iConfigurable,
                      const std::string& iProdRemark, const std::string& iImgFile, const std::string& iURL) = 0;

  // --- price lines ------------------------------------------------------------------
  virtual bool InsertPrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                           const rt::Variant& iValues) = 0;
  virtual bool UpdatePrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                           const rt::Variant& iValues) = 0;
  // Writes one price line: "insert", "insertupdate", or anything else for
  // an edit of the existing line. True, or raises.
  virtual bool InsertUpdatePrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo,
                                 const rt::Variant& iFields, const rt::Variant& iValues,
                                 const std::string& iAction) = 0;
  // "1", "2", ... -> one dictionary per price line of the product.
  virtual std::shared_ptr<rt::Dictionary> GetProductPriceLines(int32_t& iProductID) = 0;
  virtual bool InsertUpdatePriceEx(int32_t i_lProductID, rt::Date i_dPriceEffDate, double i_fQuantityTo,
                                   const std::string& i_sGroupBy, const rt::Variant& i_vFields,
                                   const rt::Variant& i_vValues, const std::string& i_sAction) = 0;

  // --- price selection and conversion ---------------------------------------------
  // PRICE, DISCOUNTPERC, DISCOUNTAMOUNT, PRICETAXPERCENTAGE, FREIGHTCOST of
  // the line in force, the amounts in the requested currency. The quantity
  // defaults to -1 (none given).
  virtual std::shared_ptr<rt::Dictionary> getCatalogPriceAttributes(int32_t i_lProductID, rt::Date i_dDate,
                                                                    const std::string& i_sCurrencyCode,
                                                                    std::optional<double> i_fQuantity) = 0;
  // Always Nothing.
  virtual std::shared_ptr<rt::Dictionary> getERPPrice(std::string& iBuyer, std::string& iContract,
                                                      std::string& iContractPosition, int32_t& iSupplierID,
                                                      std::string& iPartNumber, double& iQuantity, std::string& iUnit,
                                                      rt::Date& iPriceDate, std::string& iCurrency) = 0;
  virtual double GetPriceFromPriceLines(int32_t& i_lProductID, double& i_fQuantity) = 0;
  virtual std::shared_ptr<rt::Dictionary> getCatalogPriceAttributesEx(int32_t i_lProductID, rt::Date i_dDate,
                                                                      const std::string& i_sCurrencyCode,
                                                                      std::optional<double> i_fQuantity,
                                                                      std::optional<std::string> i_sGroupBy) = 0;
  virtual double GetPriceFromPriceLinesByGroup(int32_t& i_lProductID, std::string& i_sGroupBy) = 0;

  // --- lookups by part number and identifier ------------------------------------
  virtual rt::ObjectPtr GetProduct(int32_t& iProductID) = 0;
  virtual rt::ObjectPtr GetProductsAsDRecordSet(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                                int32_t i_lPageSize, const std::string& i_sFields,
                                                const std::string& i_sSortFields, const std::string& i_sKeyFields,
                                                const std::string& i_sWhereClause) = 0;
  virtual rt::ObjectPtr GetProductsByProductCategory(int32_t iCategoryID) = 0;
  virtual std::string getManufacturerID(int32_t& iProductID) = 0;
  virtual int32_t getProductIDFromPartNum(const std::string& iPartNum, std::optional<std::string> iCatalogString) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetCatalogProductsByPartNumber(
      const std::string& i_sPartNumber, int32_t i_lMaxNumberOfRows, rt::Variant& o_bMoreRowsAvailable,
      std::optional<std::string> i_sCatalogString) = 0;
  virtual int32_t GetProductIDFromSupplierPartNum(const std::string& iSupplierPartNumber) = 0;
  virtual int32_t countProductIDsFromPartNum(const std::string& iPartNum,
                                             std::optional<std::string> iCatalogString) = 0;
  virtual int32_t countStockProductIDsFromPartNum(const std::string& iPartNum) = 0;
  virtual int32_t GetMaxProductId() = 0;
  virtual bool ValidateProductAgainstUserCatalogs(const std::string& i_sProductID,
                                                  const rt::Variant& i_aCatalogIDs) = 0;
  virtual std::string GetGTIN(int32_t i_lProductID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetPartNumbersForProducts(const rt::Variant& i_aProductIDs) = 0;
  virtual int32_t GetProductIdFromPartNumSource(const std::string& i_sPartNumber, const rt::Variant& i_lStockItemFlag,
                                                const rt::Variant& i_lDisabledFlag) = 0;
  virtual rt::ObjectPtr GetAlternativeProducts(int32_t i_lProductID, const rt::Variant& i_lStockItemFlag) = 0;

  // --- details and searches -----------------------------------------------------------
  virtual std::shared_ptr<rt::Dictionary> GetProductFields(const rt::Variant& i_aProductFieldNames,
                                                           std::optional<int32_t> i_lProductID,
                                                           std::optional<std::string> i_sGTIN) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProductEx(int32_t i_lProductID) = 0;
  virtual std::string GetProductDescription(int32_t& i_lProductID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProductsByCriteria(int32_t i_nStockItem, const rt::Variant& i_lSupplierID,
                                                                const rt::Variant& i_lCommodityCode) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProductsByBuyer(const std::string& i_sBuyerId) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProductsByPartNumber(const std::string& i_sPartNumber) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProductsBySupplier(const std::string& iSupplierID) = 0;

  // --- buyers -------------------------------------------------------------------------
  virtual std::string GetDefaultBuyer(const std::string& iCommodityCode) = 0;
  virtual std::string GetDefaultProductBuyer(int32_t iProductID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetBuyersForProducts(const rt::Variant& i_aProductList) = 0;
  virtual bool InsertMultipleBuyers(const rt::Variant& iFields, const rt::Variant& iValues) = 0;

  // --- requisition line properties and property values ---------------------------
  virtual bool RequisitionPropertiesPresent(int32_t iProductID, const std::string& iUserID) = 0;
  virtual bool RequisitionCommodityPropertiesPresent(const std::string& iCommodityCode, std::string& iUserID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetRequisitionLineProperties(const std::string& iUserID,
                                                                       const std::string& iCommodityCode,
                                                                       int32_t iProductID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProductProperties(int32_t& iProductID) = 0;
  virtual void UpdateProductPropertyValue(int32_t& iProductID, int32_t& iPropertyId, std::string& iValue) = 0;
  virtual void InsertProductPropertyValue(int32_t& iProductID, int32_t& iPropertyId, std::string& iValue) = 0;

  // --- commodities, tax codes, charge types and manufacturers ---------------------
  virtual bool DeleteCommodity(const std::string& iCommodityCode) = 0;
  virtual std::string GetBuyerFromCommodity(std::string& iCommodity) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllCommodities() = 0;
  virtual rt::ObjectPtr GetCommodityData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                         int32_t i_iPageSize, const rt::Variant& i_asCommodityCodes,
                                         std::optional<std::string> i_sSortTableFieldNames) = 0;
  virtual std::string GetCategoryName(int32_t& iCategoryID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetTaxcodeInformation(const std::string& istrCommodityCode) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllTaxCodes() = 0;
  virtual std::string GetChargeType(const std::string& iCommodityCode) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllManufacturers() = 0;
  virtual rt::ObjectPtr GetManufacturerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                            int32_t i_iPageSize, const rt::Variant& i_alManufacturerIDs,
                                            std::optional<std::string> i_sSortTableFieldNames) = 0;
  virtual void InsertManufacturer(std::string& iManufacturerCode, std::string& iManufacturerName) = 0;
  virtual std::string GetBisItemCode(std::string& i_lCommodity) = 0;

  // --- order-quantity rules and favourites ---------------------------------------
  virtual void CreateFavorite(const std::string& i_sUserID, int32_t i_lProductID,
                              std::optional<int32_t> i_lFavoriteType) = 0;
  virtual void DeleteFavorite(const std::string& i_sUserID, int32_t i_lProductID,
                              std::optional<int32_t> i_lFavoriteType) = 0;
  virtual bool CheckLotSize(int32_t iProductID, double iQuantity) = 0;
  virtual double getMultipleOf(int32_t iProductID) = 0;
  virtual double getMinOrderQty(int32_t iProductID) = 0;
  virtual void CreateFavoriteEx(const std::string& i_sUserID, int32_t i_lProductID,
                                std::optional<int32_t> i_lFavoriteType, std::optional<int32_t> i_lFolderID) = 0;
  virtual void DeleteFavoriteEx(const std::string& i_sUserID, int32_t i_lProductID,
                                std::optional<int32_t> i_lFavoriteType, std::optional<int32_t> i_lFolderID) = 0;
};
