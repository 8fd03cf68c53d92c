// Catalog's withdrawn members: each fails with error -1 whose description
// block names TCatalog's member that replaced it; nothing is read or written.
#include "common/lib_errorhandling.h"
#include "quarvel/catalog/catalog.h"
#include "runtime/context.h"

namespace quarvel {

namespace {

[[noreturn]] void Withdrawn(const char* replacement) {
  DeprecatedStub(std::string("This method is depricated, Use Quarvel.TCatalog.") + replacement);
}

}  // namespace

void Catalog::CopyCatalog(int32_t, int16_t, const std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("CopyCatalog");
}

bool Catalog::DeleteProductCategory(int32_t) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteProductCategory");
}

bool Catalog::InsertProductCategory(const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("InsertProductCategory");
}

bool Catalog::UpdateProductCategory(const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateProductCategory");
}

int32_t Catalog::InsertFavoriteFolder(const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("InsertFavouriteFolder");
}

bool Catalog::UpdateFavoriteFolderName(int32_t, const std::string&, const std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateFavoriteFolderName");
}

bool Catalog::DeleteFavoriteFolder(int32_t, const std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteFavoriteFolder");
}

bool Catalog::ClearUserCatalogIDs(const std::string&, std::optional<bool>) {
  rt::ContextScope scope(*this);
  Withdrawn("ClearUserCatalogIDs");
}

bool Catalog::UpdateUserCatalogIDs(const std::string&, const rt::Variant&, std::optional<bool>) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateUserCatalogIDs");
}

bool Catalog::PopulateUserNodes(const std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("PopulateUserNodes");
}

bool Catalog::InsertCatalogNodeByBP(int16_t&, int16_t&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("InsertCatalogNodeByBP");
}

bool Catalog::UpdateCatalogNodeByBP(int16_t&, int16_t&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateCatalogNodeByBP");
}

bool Catalog::DeleteCatalogNodeByBP(int16_t&, int16_t&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteCatalogNodeByBP");
}

bool Catalog::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("IReferentialIntegrity_Exists");
}

bool Catalog::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("IReferentialIntegrity_BeforeDelete");
}

}  // namespace quarvel
