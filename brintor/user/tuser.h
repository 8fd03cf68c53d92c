// TUser ("Brintor.TUser"): the transactional writer of users and offices.
// It requires a transaction and joins its caller's. Its members are split by
// concern: the class, its connections and the cached directory user
// (tuser.cpp), office scripts, deletes and the delete rule (tuser_offices.cpp),
// the office insert and update rules (tuser_office_rules.cpp), directory
// users (tuser_directory.cpp), bidding suppliers (tuser_bidding.cpp), partner
// links (tuser_links.cpp), referential answers (tuser_references.cpp), the
// member table (tuser_dispatch.cpp).
#pragma once

#include <memory>
#include <string>

#include "brintor/user/directory_access.h"
#include "data/connection.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/tuser.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace brintor {

class TUser : public rt::Object, public ITUser, public BusinessRules, public IReferentialIntegrity {
 public:
  TUser();

  std::string TypeName() const override { return "TUser"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- offices (tuser_offices.cpp, tuser_office_rules.cpp) ----------------------
  bool DeleteOffice(std::string& iOfficeDescription) override;
  rt::ObjectPtr InsertFromScript(std::string& iTableName, rt::Variant& KeyArray, rt::Variant& ValuesArray) override;
  rt::ObjectPtr UpdateFromScript(std::string& iTableName, rt::Variant& KeyArray, rt::Variant& ValuesArray) override;
  rt::ObjectPtr DeleteFromScript(std::string& iTableName, rt::Variant& KeyArray, rt::Variant& ValuesArray) override;
  rt::ObjectPtr BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>& iBDO) override;

  // --- directory users (tuser_directory.cpp, tuser_bidding.cpp) -----------------
  void SetCompanyNumber(std::string& i_sCompanyNumber, std::string& i_sUserId) override;
  void SetDefaultProjectRole(std::string& i_sDefaultRole, std::string& i_sUserId) override;
  rt::ObjectPtr CreateUserWithAttributes(std::string& i_sUserName, std::string& i_sPassword,
                                         rt::Variant& i_aAttrNames, rt::Variant& i_aAttrValues) override;
  rt::ObjectPtr InsertBiddingUser(rt::Variant i_aAddressKeys, rt::Variant i_aAddressValues, rt::Variant i_aBPKeys,
                                  rt::Variant i_aBPValues, rt::Variant i_aUserKeys, rt::Variant i_aUserValues,
                                  std::string& i_sUserId, std::string& i_sPassword) override;

  // --- partner links (tuser_links.cpp) ------------------------------------------
  bool DeleteBPSPerUser(std::string& i_sUserId) override;
  bool InsertBPSPerUser(std::string& i_sUserId, rt::Variant& i_vValues, bool& i_bDelete) override;

  // --- referential answers (tuser_references.cpp) --------------------------------
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

 private:
  // --- tuser.cpp ----------------------------------------------------------------
  // An open connection to the common database (the web application's
  // string first); READ COMMITTED first when asked. No handler of its own.
  static std::shared_ptr<data::Connection> getConnection(bool readCommitted = false);
  // The common connection string from the configuration only.
  static std::string ConnectionString();
  // The directory user bound to the id, kept until another id is asked for.
  rt::ObjectPtr GetAUObject(const std::string& userId);

  // --- tuser_directory.cpp --------------------------------------------------------
  // The user's project roles that have a ROLE row: code -> description.
  std::shared_ptr<rt::Dictionary> GetProjectRoles(const std::string& userId);
  // Deletes the user's partner links and then the directory user when the
  // referential checker allows; False for a refusal or a failing directory
  // (logged, not raised). `abortStands` tells the caller that links were
  // removed before the directory failed, so its abort must stand.
  bool Delete(const std::string& userId, bool& abortStands);
  // BusinessRules_Delete's work and handler; `abortStands` as for Delete.
  rt::ObjectPtr RulesDelete(const std::shared_ptr<rt::Dictionary>& bdo, bool& abortStands);

  // --- tuser_office_rules.cpp -------------------------------------------------------
  // The data-type check against the office column table, merged on failure.
  bool OfficeTypesPass(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  rt::ObjectPtr InsertOffice(const std::shared_ptr<rt::Dictionary>& bdo, std::string& stage);
  rt::ObjectPtr UpdateOffice(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);

  // The office column table: names and type names, indexes 0 to 23.
  rt::Variant officeColumns_, officeTypes_;
  DirectoryUserCache directoryUser_;
};

rt::ClassInfo TUserClass();

}  // namespace brintor
