// The members of Catalog and TCatalog that are still to come: favourite
// folders, the authorisation of users and profiles, the links of business
// partners and the shop-out folders. Each is in its interface and dispatch
// table and answers E_NOTIMPL.
#include "quarvel/catalog/catalog.h"
#include "quarvel/catalog/catalog_common.h"
#include "quarvel/catalog/tcatalog.h"
#include "runtime/context.h"

namespace quarvel {

using namespace catalog;

std::shared_ptr<rt::Dictionary> Catalog::GetFavoriteFolders(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetFavoriteFolders");
}

std::string Catalog::GetFavoriteFolderName(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetFavoriteFolderName");
}

int32_t Catalog::GetFavoriteFolderID(const std::string&, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetFavoriteFolderID");
}

std::shared_ptr<rt::Dictionary> Catalog::GetAllUserAuthorizedCatalogNodes(const std::string&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetAllUserAuthorizedCatalogNodes");
}

std::shared_ptr<rt::Dictionary> Catalog::GetUserCatalogNodesByLevel(const std::string&, int32_t, int16_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetUserCatalogNodesByLevel");
}

bool Catalog::IsViewOnlyCatalog(const std::string&, int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "IsViewOnlyCatalog");
}

bool Catalog::IsViewOnlyCatalogNode(const std::string&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "IsViewOnlyCatalogNode");
}

int16_t Catalog::GetNodeLevel(int32_t, int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetNodeLevel");
}

int16_t Catalog::GetTopAuthorizedLevel(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetTopAuthorizedLevel");
}

bool Catalog::IsEntireCatalogAuthorized(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "IsEntireCatalogAuthorized");
}

std::string Catalog::GetProfileCatalogIDs(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetProfileCatalogIDs");
}

std::string Catalog::GetUserCatalogIDs(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetUserCatalogIDs");
}

rt::Variant Catalog::GetCatalogUsers(std::optional<int32_t>, std::optional<bool>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetCatalogUsers");
}

bool Catalog::IsAuthorizedCatalogNode(const std::string&, int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "IsAuthorizedCatalogNode");
}

bool Catalog::IsViewOnlyCatalogNodeEx(const std::string&, int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "IsViewOnlyCatalogNodeEx");
}

std::string Catalog::GetBPFromCatalogNodeByBP(int16_t&, int16_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetBPFromCatalogNodeByBP");
}

rt::Variant Catalog::GetAllShopOutCatalogFolders() {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetAllShopOutCatalogFolders");
}

rt::ObjectPtr Catalog::GetShopOutFolderDetails(int16_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetShopOutFolderDetails");
}

rt::ObjectPtr Catalog::GetFolderAuthenticationDetails(const std::string&, int16_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetFolderAuthenticationDetails");
}

int16_t Catalog::GetBottomAuthorizedLevel(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetBottomAuthorizedLevel");
}

std::shared_ptr<rt::Dictionary> Catalog::GetUserTopLevelCatalogNodes(const std::string&, int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Catalog", "GetUserTopLevelCatalogNodes");
}

int32_t TCatalog::InsertFavoriteFolder(const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "InsertFavoriteFolder");
}

bool TCatalog::UpdateFavoriteFolderName(int32_t, const std::string&, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "UpdateFavoriteFolderName");
}

bool TCatalog::DeleteFavoriteFolder(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "DeleteFavoriteFolder");
}

bool TCatalog::ClearUserCatalogIDs(const std::string&, std::optional<bool>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "ClearUserCatalogIDs");
}

bool TCatalog::UpdateUserCatalogIDs(const std::string&, const rt::Variant&, std::optional<bool>) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "UpdateUserCatalogIDs");
}

bool TCatalog::PopulateUserNodes(const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "PopulateUserNodes");
}

bool TCatalog::InsertCatalogNodeByBP(int16_t&, int16_t&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "InsertCatalogNodeByBP");
}

bool TCatalog::UpdateCatalogNodeByBP(int16_t&, int16_t&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "UpdateCatalogNodeByBP");
}

bool TCatalog::DeleteCatalogNodeByBP(int16_t&, int16_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("TCatalog", "DeleteCatalogNodeByBP");
}

}  // namespace quarvel
