// TCatalog ("Quarvel.TCatalog"): the writing class of the catalogs. It
// requires a transaction; its statements run on connections of their own
// that all join it, so a write and everything it triggers commit or roll
// back together by the votes. Errors are reported under the reading class's
// name, with the exceptions each file notes.
//
// Files: tcatalog.cpp (the new catalog and the referential answers),
// catalog_copy.cpp (copying a catalog with its tree under a free name),
// category_writes.cpp (product categories), favorite_folder_writes.cpp,
// user_nodes.cpp (authorisation rows and user nodes), partner_link_writes.cpp
// (partner links), catalog_dispatch.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "interfaces/catalog.h"
#include "interfaces/referential_integrity.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace quarvel {

class TCatalog : public rt::Object, public ITCatalog, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "TCatalog"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- catalogs (tcatalog.cpp, catalog_copy.cpp) ---------------------------------
  void CopyCatalog(int32_t ilngCatalogIDOrig, int16_t iintDeepCopyLevel, const std::string& istrCopyName) override;
  int32_t InsertCatalog(const rt::Variant& iFields, const rt::Variant& iValues) override;

  // --- referential answers (tcatalog.cpp) -------------------------------------------
  // True when a product category (key CATEGORYID) or a partner link (key
  // BUSINESSPARTNERID) has the value; only the first key counts; any other
  // key answers False.
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  // Always True: nothing is removed.
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

  // --- product categories (category_writes.cpp) -----------------------------------
  bool DeleteProductCategory(int32_t iCategoryID) override;
  bool InsertProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) override;
  bool UpdateProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) override;

  // --- favourite folders (favorite_folder_writes.cpp) -------------------------------
  int32_t InsertFavoriteFolder(const rt::Variant& i_aFields, const rt::Variant& i_aValues) override;
  bool UpdateFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName,
                                const std::string& i_sNewFolderName) override;
  bool DeleteFavoriteFolder(int32_t iFolderID, const std::string& i_sUserID) override;

  // --- authorisation rows and user nodes (user_nodes.cpp) ------------------------
  bool ClearUserCatalogIDs(const std::string& i_sUserID, std::optional<bool> i_bIsProfile) override;
  bool UpdateUserCatalogIDs(const std::string& i_sUserID, const rt::Variant& i_aCatalogIDs,
                            std::optional<bool> i_bIsProfile) override;
  bool PopulateUserNodes(const std::string& i_sUserID) override;

  // --- partner links (partner_link_writes.cpp) ------------------------------------
  bool InsertCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) override;
  bool UpdateCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) override;
  bool DeleteCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId) override;

 private:
  // The two passes of the tree copy: the nodes of `oldId` added to `newId`
  // in NODEID order, then their parents pointed at the copies.
  void CopyCatalogNodes(int32_t oldId, int32_t newId);
  // The first of "Copy Of <name>", "Copy (2) Of <name>", ... that no catalog
  // carries (compared exactly, in code); "" when there is no catalog at all.
  std::string GenerateCopyCatalogNames(const std::string& name);
};

}  // namespace quarvel
