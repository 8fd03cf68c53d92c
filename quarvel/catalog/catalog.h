// Catalog ("Quarvel.Catalog"): the reading class of the catalogs. It starts
// no transaction and never votes; every read opens its own connection on the
// catalog connection string. Its old writing members are withdrawn stubs
// naming TCatalog's (tcatalog.h).
//
// Files: catalog_reads.cpp (all catalogs, one catalog's record and the
// remembered catalog behind the one-key getters, a partner's catalogs),
// product_catalogs.cpp (the catalogs or nodes that show products),
// category_reads.cpp (product category lists), favorite_folders.cpp,
// authorization_reads.cpp (a user's nodes, levels and view-only marks),
// authorization_lists.cpp (the catalogs of a user or profile, the holders
// of a catalog), authorization_tree.cpp (node levels, a user's topmost
// nodes), partner_links.cpp (partner links and shop-out folders),
// catalog_withdrawn.cpp, catalog_dispatch.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "interfaces/catalog.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace quarvel {

class Catalog : public rt::Object, public ICatalog, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "Catalog"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- catalogs (catalog_reads.cpp) -------------------------------------------
  std::shared_ptr<rt::Dictionary> GetAllCatalogs() override;
  std::shared_ptr<rt::Collection> GetCatalog(int32_t iCatalogID) override;
  std::string getName(int32_t iCatalogID) override;
  bool getActive(int32_t iCatalogID) override;
  bool getApproval(int32_t iCatalogID) override;
  bool UseCatalogLayOutParameter(int32_t iCatalogID) override;
  std::shared_ptr<rt::Dictionary> GetCatalogByBP(int32_t i_lBusinessPartnerID) override;

  // --- catalogs showing products (product_catalogs.cpp) ----------------------------
  std::shared_ptr<rt::Dictionary> GetValidProductCatalogs(const rt::Variant& i_aProductIDs,
                                                          const rt::Variant& i_aCatalogIDs,
                                                          const rt::Variant& bCatalogNode) override;

  // --- product categories (category_reads.cpp) ---------------------------------
  rt::ObjectPtr GetProductCategoryData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                       int32_t i_iPageSize, const rt::Variant& i_asProductCategoryIDs,
                                       const rt::Variant& i_sSortTableFieldNames) override;
  std::shared_ptr<rt::Dictionary> GetVisibleProductCategories(rt::Variant& iVisibility) override;

  // --- withdrawn (catalog_withdrawn.cpp) ------------------------------------------
  void CopyCatalog(int32_t ilngCatalogIDOrig, int16_t iintDeepCopyLevel, const std::string& istrCopyName) override;
  bool DeleteProductCategory(int32_t iCategoryID) override;
  bool InsertProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) override;
  bool UpdateProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) override;
  int32_t InsertFavoriteFolder(const rt::Variant& i_aFields, const rt::Variant& i_aValues) override;
  bool UpdateFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName,
                                const std::string& i_sNewFolderName) override;
  bool DeleteFavoriteFolder(int32_t iFolderID, const std::string& i_sUserID) override;
  bool ClearUserCatalogIDs(const std::string& i_sUserID, std::optional<bool> i_bIsProfile) override;
  bool UpdateUserCatalogIDs(const std::string& i_sUserID, const rt::Variant& i_aCatalogIDs,
                            std::optional<bool> i_bIsProfile) override;
  bool PopulateUserNodes(const std::string& i_sUserID) override;
  bool InsertCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) override;
  bool UpdateCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) override;
  bool DeleteCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId) override;
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

  // --- favourite folders (favorite_folders.cpp) ---------------------------------
  std::shared_ptr<rt::Dictionary> GetFavoriteFolders(const std::string& i_sUserName) override;
  std::string GetFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName) override;
  int32_t GetFavoriteFolderID(const std::string& i_sFolderName, const std::string& i_sUserName) override;

  // --- authorisation: nodes, levels, view-only (authorization_reads.cpp) ----------
  std::shared_ptr<rt::Dictionary> GetAllUserAuthorizedCatalogNodes(const std::string& i_sUserID,
                                                                   const rt::Variant& i_aCatalogIDs) override;
  std::shared_ptr<rt::Dictionary> GetUserCatalogNodesByLevel(const std::string& i_sUserID, int32_t i_lCatalogID,
                                                             int16_t i_iLevel) override;
  bool IsViewOnlyCatalog(const std::string& i_sUserID, int32_t i_lCatalogID) override;
  bool IsViewOnlyCatalogNode(const std::string& i_sUserID, const rt::Variant& i_aIDs) override;
  bool IsViewOnlyCatalogNodeEx(const std::string& i_sUserID, int32_t i_lNodeID) override;
  int16_t GetTopAuthorizedLevel(int32_t i_lCatalogID, const std::string& i_sUserID) override;
  int16_t GetBottomAuthorizedLevel(int32_t i_lCatalogID, const std::string& i_sUserID) override;
  bool IsEntireCatalogAuthorized(int32_t i_lCatalogID, const std::string& i_sUserID) override;
  bool IsAuthorizedCatalogNode(const std::string& i_sUserID, int32_t i_lNodeID) override;

  // --- authorisation: holders (authorization_lists.cpp) -------------------------
  std::string GetProfileCatalogIDs(const std::string& i_sProfileID) override;
  std::string GetUserCatalogIDs(const std::string& i_sUserID) override;
  rt::Variant GetCatalogUsers(std::optional<int32_t> i_lCatalogID, std::optional<bool> i_bIsProfile) override;

  // --- authorisation: the tree (authorization_tree.cpp) -----------------------------
  int16_t GetNodeLevel(int32_t i_lCatalogID, int32_t i_lNodeID) override;
  std::shared_ptr<rt::Dictionary> GetUserTopLevelCatalogNodes(const std::string& i_sUserID,
                                                              int32_t i_lCatalogID) override;

  // --- partner links and shop-out folders (partner_links.cpp) -------------------
  std::string GetBPFromCatalogNodeByBP(int16_t& i_iNodeId, int16_t& i_iCatalogNodeId) override;
  rt::Variant GetAllShopOutCatalogFolders() override;
  rt::ObjectPtr GetShopOutFolderDetails(int16_t& i_iNodeId) override;
  rt::ObjectPtr GetFolderAuthenticationDetails(const std::string& i_sUserID, int16_t& i_iNodeId) override;

 private:
  // The item `key` of the remembered record, loading catalog `id` through
  // GetCatalog first when the object remembers another id. A failed load
  // leaves the remembered id and record as they were.
  rt::Variant RememberedItem(int32_t id, const char* key);

  int32_t rememberedId_ = 0;
  std::shared_ptr<rt::Collection> rememberedRecord_;
};

}  // namespace quarvel
