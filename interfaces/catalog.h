// The catalog classes of the catalog library for C++ callers: the reading
// class "Quarvel.Catalog" (its dual interface _Catalog, here ICatalog) and
// its transactional twin "Quarvel.TCatalog" (_TCatalog, here ITCatalog).
// Both also implement IReferentialIntegrity (interfaces/referential_integrity.h):
// TCatalog answers for the keys CATEGORYID and BUSINESSPARTNERID, Catalog's
// two members are withdrawn.
//
// Members are listed in the interfaces' slot order under their late-bound
// names; parameters passed by reference are non-const references, optional
// ones std::optional (or a Variant that may be Missing).
//
// Shapes handed out:
//   CatalogRecord  a keyed rt::Collection of seven items, each keyed by its
//                  column: CATALOGID, CATALOGNAME, ACTIVE, APPROVALCATALOG,
//                  SUPPLIERCATALOGID, VERSION, CATALOGLAYOUT
//   CodeDescriptionMap  a Scripting.Dictionary id -> name
// Withdrawn members fail with error -1 whose description block names the
// replacement; failures are raised as rt::ComError, numbers in
// interfaces/quarvel_errors.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

// What a catalog node shows (CATALOGNODE.NODETYPE).
enum class NodeType : int32_t {
  catalognode = 0,  // a folder
  ProductCategory = 1,
  AttachedFile = 2,
  URL = 3,
  Product = 4,
};

// A node of a catalog, published for the library's callers; no member takes
// or answers it.
struct ApprovalNode {
  int32_t CatalogID = 0;
  int32_t NodeID = 0;
};

struct ICatalog {
  virtual ~ICatalog() = default;

  // 1. Every catalog, CATALOGID -> CATALOGNAME, in name order.
  virtual std::shared_ptr<rt::Dictionary> GetAllCatalogs() = 0;
  // 2. The product categories as a paged list (Tamrick.DRecordset), keyed
  // by CATEGORYID; with ids, only those categories.
  virtual rt::ObjectPtr GetProductCategoryData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                               int32_t i_iPageSize, const rt::Variant& i_asProductCategoryIDs,
                                               const rt::Variant& i_sSortTableFieldNames) = 0;
  // 3. CATEGORYID -> CATEGORYNAME of the categories shown under any of the
  // visibility ids (an array); anything but an array gives none.
  virtual std::shared_ptr<rt::Dictionary> GetVisibleProductCategories(rt::Variant& iVisibility) = 0;
  // 4. The catalog's record (CatalogRecord); 0x800400CC when there is none.
  virtual std::shared_ptr<rt::Collection> GetCatalog(int32_t iCatalogID) = 0;
  // 5-7. One value of the catalog that the object remembers, loaded through
  // GetCatalog when the id changes; never refreshed while the id stays. A
  // new object remembers id 0 and no record (error 91 for id 0). A Null
  // flag answers False.
  virtual std::string getName(int32_t iCatalogID) = 0;
  virtual bool getActive(int32_t iCatalogID) = 0;
  virtual bool getApproval(int32_t iCatalogID) = 0;
  // 8-11. Withdrawn: TCatalog's members.
  virtual void CopyCatalog(int32_t ilngCatalogIDOrig, int16_t iintDeepCopyLevel, const std::string& istrCopyName) = 0;
  virtual bool DeleteProductCategory(int32_t iCategoryID) = 0;
  virtual bool InsertProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) = 0;
  virtual bool UpdateProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) = 0;
  // 12-13. A user's favourite folders, FOLDERID -> FOLDERNAME by name; one
  // folder's name ("" when the user has no such folder).
  virtual std::shared_ptr<rt::Dictionary> GetFavoriteFolders(const std::string& i_sUserName) = 0;
  virtual std::string GetFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName) = 0;
  // 14-15. Withdrawn.
  virtual int32_t InsertFavoriteFolder(const rt::Variant& i_aFields, const rt::Variant& i_aValues) = 0;
  virtual bool UpdateFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName,
                                        const std::string& i_sNewFolderName) = 0;
  // 16. The id of a user's folder by name (compared as the database
  // compares texts), -1 when none.
  virtual int32_t GetFavoriteFolderID(const std::string& i_sFolderName, const std::string& i_sUserName) = 0;
  // 17. Withdrawn.
  virtual bool DeleteFavoriteFolder(int32_t iFolderID, const std::string& i_sUserID) = 0;
  // 18-26. Authorisation of users on catalogs and nodes, read from the
  // user's own rows (profile rows only by GetProfileCatalogIDs). Node
  // dictionaries are NODEID -> NODENAME. 18: the user's USERNODE nodes by
  // name, optionally within the catalogs of an array of ids. 19: the user's
  // nodes at a level in display order; level 0 the catalog's top nodes when
  // the user holds all of it, else Nothing; a negative level Nothing. 20,
  // 21: view-only marks of the catalog, of the ancestors on a path (catalog
  // id, ancestors from the top, node) or of the node. 22: the level counted
  // along the catalog's nodes in NODEID order (-1 without nodes). 23: the
  // smallest LEVEL of the user's rows (0: the whole catalog; -1: none). 24:
  // whether the user holds the whole catalog. 25, 26: catalog ids joined by
  // ";" (a profile's in catalog-name order).
  virtual std::shared_ptr<rt::Dictionary> GetAllUserAuthorizedCatalogNodes(const std::string& i_sUserID,
                                                                           const rt::Variant& i_aCatalogIDs) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetUserCatalogNodesByLevel(const std::string& i_sUserID,
                                                                     int32_t i_lCatalogID, int16_t i_iLevel) = 0;
  virtual bool IsViewOnlyCatalog(const std::string& i_sUserID, int32_t i_lCatalogID) = 0;
  virtual bool IsViewOnlyCatalogNode(const std::string& i_sUserID, const rt::Variant& i_aIDs) = 0;
  virtual int16_t GetNodeLevel(int32_t i_lCatalogID, int32_t i_lNodeID) = 0;
  virtual int16_t GetTopAuthorizedLevel(int32_t i_lCatalogID, const std::string& i_sUserID) = 0;
  virtual bool IsEntireCatalogAuthorized(int32_t i_lCatalogID, const std::string& i_sUserID) = 0;
  virtual std::string GetProfileCatalogIDs(const std::string& i_sProfileID) = 0;
  virtual std::string GetUserCatalogIDs(const std::string& i_sUserID) = 0;
  // 27-29. Withdrawn.
  virtual bool ClearUserCatalogIDs(const std::string& i_sUserID, std::optional<bool> i_bIsProfile) = 0;
  virtual bool UpdateUserCatalogIDs(const std::string& i_sUserID, const rt::Variant& i_aCatalogIDs,
                                    std::optional<bool> i_bIsProfile) = 0;
  virtual bool PopulateUserNodes(const std::string& i_sUserID) = 0;
  // 30. The distinct user (or profile) ids holding a catalog (-1: any), as
  // texts from 0. 31: a USERNODE row or the node's whole catalog
  // authorises it. 32: the view-only rule of 21 with the ancestors found by
  // walking the tree. A node that does not exist answers False.
  virtual rt::Variant GetCatalogUsers(std::optional<int32_t> i_lCatalogID, std::optional<bool> i_bIsProfile) = 0;
  virtual bool IsAuthorizedCatalogNode(const std::string& i_sUserID, int32_t i_lNodeID) = 0;
  virtual bool IsViewOnlyCatalogNodeEx(const std::string& i_sUserID, int32_t i_lNodeID) = 0;
  // 33. Withdrawn.
  virtual bool InsertCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) = 0;
  // 34. The partners linked to a catalog (node id below 1) or a node, joined by ";".
  virtual std::string GetBPFromCatalogNodeByBP(int16_t& i_iNodeId, int16_t& i_iCatalogNodeId) = 0;
  // 35-36. Withdrawn.
  virtual bool UpdateCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) = 0;
  virtual bool DeleteCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId) = 0;
  // 37-39. Shop-out folders, counted through their partner links: the node
  // ids (Integers from 0, once per link), one node's details (NODEID,
  // CATALOGID, NODENAME, NODEURL, NODEDESCRIPTION, BUSINESSPARTNERID), a
  // user's account at the shop (SHAREDID, SHAREDPWD as stored).
  virtual rt::Variant GetAllShopOutCatalogFolders() = 0;
  virtual rt::ObjectPtr GetShopOutFolderDetails(int16_t& i_iNodeId) = 0;
  virtual rt::ObjectPtr GetFolderAuthenticationDetails(const std::string& i_sUserID, int16_t& i_iNodeId) = 0;
  // 40-41. The largest LEVEL of the user's rows (-1: none); the user's
  // topmost nodes: those at the top level, then the highest held node of
  // each further branch.
  virtual int16_t GetBottomAuthorizedLevel(int32_t i_lCatalogID, const std::string& i_sUserID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetUserTopLevelCatalogNodes(const std::string& i_sUserID,
                                                                      int32_t i_lCatalogID) = 0;
  // 42. Whether the catalog uses its layout parameter (remembered as 5-7).
  virtual bool UseCatalogLayOutParameter(int32_t iCatalogID) = 0;
  // 43. The active catalogs in which the partner is linked to the catalog or
  // to any of its nodes, CATALOGID -> CATALOGNAME, in name order.
  virtual std::shared_ptr<rt::Dictionary> GetCatalogByBP(int32_t i_lBusinessPartnerID) = 0;
  // 44. For each product id (the key as passed), the ids of the catalogs
  // (or, with bCatalogNode True, of the nodes) that show it through its
  // categories, as an array of Longs from 0; optionally only within the
  // given catalogs. Products shown nowhere get no entry.
  virtual std::shared_ptr<rt::Dictionary> GetValidProductCatalogs(const rt::Variant& i_aProductIDs,
                                                                  const rt::Variant& i_aCatalogIDs,
                                                                  const rt::Variant& bCatalogNode) = 0;
};

struct ITCatalog {
  virtual ~ITCatalog() = default;

  // 1. Adds a copy of the catalog, inactive and an approval catalog, named
  // istrCopyName or else the first free "Copy Of <name>", "Copy (<n>) Of
  // <name>"; with iintDeepCopyLevel 1 its node tree too. The new id is not
  // answered. All or nothing within the caller's transaction.
  virtual void CopyCatalog(int32_t ilngCatalogIDOrig, int16_t iintDeepCopyLevel, const std::string& istrCopyName) = 0;
  // 2-4. Product categories. The delete removes the category's visibility
  // rows, product links and the nodes that show it, then the category; the
  // checker's refusal answers False. The writers relink the category's
  // products by UNSPSC code when the switch is on.
  virtual bool DeleteProductCategory(int32_t iCategoryID) = 0;
  virtual bool InsertProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) = 0;
  virtual bool UpdateProductCategory(const rt::Variant& i_aFields, const rt::Variant& i_aValues) = 0;
  // 5-7. Favourite folders. The insert answers the new FOLDERID, or -1 when
  // a FOLDERNAME or USERID field is empty; a rename to a name the user has
  // answers False; the root folder (below 1) is never deleted, and a folder
  // takes its favourites along only when it is the user's.
  virtual int32_t InsertFavoriteFolder(const rt::Variant& i_aFields, const rt::Variant& i_aValues) = 0;
  virtual bool UpdateFavoriteFolderName(int32_t i_lFolderID, const std::string& i_sUserName,
                                        const std::string& i_sNewFolderName) = 0;
  virtual bool DeleteFavoriteFolder(int32_t iFolderID, const std::string& i_sUserID) = 0;
  // 8-10. Authorisation rows and user nodes: clearing every row of a user
  // or profile; replacing them by catalog-wide rows for an array of catalog
  // ids; rebuilding the user's USERNODE rows from the authorisations.
  virtual bool ClearUserCatalogIDs(const std::string& i_sUserID, std::optional<bool> i_bIsProfile) = 0;
  virtual bool UpdateUserCatalogIDs(const std::string& i_sUserID, const rt::Variant& i_aCatalogIDs,
                                    std::optional<bool> i_bIsProfile) = 0;
  virtual bool PopulateUserNodes(const std::string& i_sUserID) = 0;
  // 11-13. Links of business partners to a catalog as a whole (node id
  // below 1) or to a node: the partners as ids joined by ";" (the variable
  // becomes the array of parts); the replace rewrites the links in place
  // when the counts agree. The delete answers False for any failure.
  virtual bool InsertCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) = 0;
  virtual bool UpdateCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId, rt::Variant& i_aBPValues) = 0;
  virtual bool DeleteCatalogNodeByBP(int16_t& i_iNoideId, int16_t& i_iCatalogId) = 0;
  // 14. Adds a catalog from parallel field and value arrays (values stored
  // as given, "" included; other columns take their defaults) and answers
  // its new CATALOGID.
  virtual int32_t InsertCatalog(const rt::Variant& iFields, const rt::Variant& iValues) = 0;
};
