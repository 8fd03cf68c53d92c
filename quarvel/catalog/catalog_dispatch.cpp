// The dispatch tables of Catalog and TCatalog: every member of the dual
// interface in its slot order, then those of IReferentialIntegrity.
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/tcatalog.h"
#include "runtime/dispatch.h"

namespace quarvel {

const rt::DispatchTable* Catalog::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Catalog>("Catalog")
          .Method("GetAllCatalogs", &Catalog::GetAllCatalogs)
          .Method("GetProductCategoryData", &Catalog::GetProductCategoryData)
          .Method("GetVisibleProductCategories", &Catalog::GetVisibleProductCategories)
          .Method("GetCatalog", &Catalog::GetCatalog)
          .Method("getName", &Catalog::getName)
          .Method("getActive", &Catalog::getActive)
          .Method("getApproval", &Catalog::getApproval)
          .Method("CopyCatalog", &Catalog::CopyCatalog)
          .Method("DeleteProductCategory", &Catalog::DeleteProductCategory)
          .Method("InsertProductCategory", &Catalog::InsertProductCategory)
          .Method("UpdateProductCategory", &Catalog::UpdateProductCategory)
          .Method("GetFavoriteFolders", &Catalog::GetFavoriteFolders)
          .Method("GetFavoriteFolderName", &Catalog::GetFavoriteFolderName)
          .Method("InsertFavoriteFolder", &Catalog::InsertFavoriteFolder)
          .Method("UpdateFavoriteFolderName", &Catalog::UpdateFavoriteFolderName)
          .Method("GetFavoriteFolderID", &Catalog::GetFavoriteFolderID)
          .Method("DeleteFavoriteFolder", &Catalog::DeleteFavoriteFolder)
          .Method("GetAllUserAuthorizedCatalogNodes", &Catalog::GetAllUserAuthorizedCatalogNodes)
          .Method("GetUserCatalogNodesByLevel", &Catalog::GetUserCatalogNodesByLevel)
          .Method("IsViewOnlyCatalog", &Catalog::IsViewOnlyCatalog)
          .Method("IsViewOnlyCatalogNode", &Catalog::IsViewOnlyCatalogNode)
          .Method("GetNodeLevel", &Catalog::GetNodeLevel)
          .Method("GetTopAuthorizedLevel", &Catalog::GetTopAuthorizedLevel)
          .Method("IsEntireCatalogAuthorized", &Catalog::IsEntireCatalogAuthorized)
          .Method("GetProfileCatalogIDs", &Catalog::GetProfileCatalogIDs)
          .Method("GetUserCatalogIDs", &Catalog::GetUserCatalogIDs)
          .Method("ClearUserCatalogIDs", &Catalog::ClearUserCatalogIDs)
          .Method("UpdateUserCatalogIDs", &Catalog::UpdateUserCatalogIDs)
          .Method("PopulateUserNodes", &Catalog::PopulateUserNodes)
          .Method("GetCatalogUsers", &Catalog::GetCatalogUsers)
          .Method("IsAuthorizedCatalogNode", &Catalog::IsAuthorizedCatalogNode)
          .Method("IsViewOnlyCatalogNodeEx", &Catalog::IsViewOnlyCatalogNodeEx)
          .Method("InsertCatalogNodeByBP", &Catalog::InsertCatalogNodeByBP)
          .Method("GetBPFromCatalogNodeByBP", &Catalog::GetBPFromCatalogNodeByBP)
          .Method("UpdateCatalogNodeByBP", &Catalog::UpdateCatalogNodeByBP)
          .Method("DeleteCatalogNodeByBP", &Catalog::DeleteCatalogNodeByBP)
          .Method("GetAllShopOutCatalogFolders", &Catalog::GetAllShopOutCatalogFolders)
          .Method("GetShopOutFolderDetails", &Catalog::GetShopOutFolderDetails)
          .Method("GetFolderAuthenticationDetails", &Catalog::GetFolderAuthenticationDetails)
          .Method("GetBottomAuthorizedLevel", &Catalog::GetBottomAuthorizedLevel)
          .Method("GetUserTopLevelCatalogNodes", &Catalog::GetUserTopLevelCatalogNodes)
          .Method("UseCatalogLayOutParameter", &Catalog::UseCatalogLayOutParameter)
          .Method("GetCatalogByBP", &Catalog::GetCatalogByBP)
          .Method("GetValidProductCatalogs", &Catalog::GetValidProductCatalogs)
          .Method("IReferentialIntegrity_Exists", &Catalog::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &Catalog::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

const rt::DispatchTable* TCatalog::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<TCatalog>("TCatalog")
          .Method("CopyCatalog", &TCatalog::CopyCatalog)
          .Method("DeleteProductCategory", &TCatalog::DeleteProductCategory)
          .Method("InsertProductCategory", &TCatalog::InsertProductCategory)
          .Method("UpdateProductCategory", &TCatalog::UpdateProductCategory)
          .Method("InsertFavoriteFolder", &TCatalog::InsertFavoriteFolder)
          .Method("UpdateFavoriteFolderName", &TCatalog::UpdateFavoriteFolderName)
          .Method("DeleteFavoriteFolder", &TCatalog::DeleteFavoriteFolder)
          .Method("ClearUserCatalogIDs", &TCatalog::ClearUserCatalogIDs)
          .Method("UpdateUserCatalogIDs", &TCatalog::UpdateUserCatalogIDs)
          .Method("PopulateUserNodes", &TCatalog::PopulateUserNodes)
          .Method("InsertCatalogNodeByBP", &TCatalog::InsertCatalogNodeByBP)
          .Method("UpdateCatalogNodeByBP", &TCatalog::UpdateCatalogNodeByBP)
          .Method("DeleteCatalogNodeByBP", &TCatalog::DeleteCatalogNodeByBP)
          .Method("InsertCatalog", &TCatalog::InsertCatalog)
          .Method("IReferentialIntegrity_Exists", &TCatalog::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &TCatalog::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

}  // namespace quarvel
