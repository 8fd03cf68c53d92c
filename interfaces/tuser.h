// The transactional user class's interface ("Brintor.TUser", `_TUser`) for
// C++ callers: office writes from scripts, directory users (creation,
// deletion, company number, default project role, bidding suppliers) and the
// partner links of sales representatives. The class also implements
// BusinessRules and IReferentialIntegrity (interfaces/referential_integrity.h).
//
// Members are listed in the interface's slot order under their late-bound
// names. Text parameters are by reference, as the late-bound callers pass
// them; the arrays of InsertBiddingUser are by value (the method works on its
// own copies). Error numbers are EUserErrors (interfaces/user.h).
#pragma once

#include <string>

#include "runtime/object.h"
#include "runtime/variant.h"

struct ITUser {
  virtual ~ITUser() = default;

  // Deletes the office when the referential checker allows: False (nothing
  // raised) when it refuses; eUserNotFound "Office not present" when no row
  // has the description.
  virtual bool DeleteOffice(std::string& iOfficeDescription) = 0;

  // Script writes of "OFFICE" (exact letter case; DeleteFromScript also
  // "USER") from parallel arrays of column names and values; a
  // "Solvane.ResultObject" whose codes name every failed rule, Nothing for
  // another table.
  virtual rt::ObjectPtr InsertFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                         rt::Variant& ValuesArray) = 0;
  virtual rt::ObjectPtr UpdateFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                         rt::Variant& ValuesArray) = 0;
  virtual rt::ObjectPtr DeleteFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                         rt::Variant& ValuesArray) = 0;

  // The directory user's company number.
  virtual void SetCompanyNumber(std::string& i_sCompanyNumber, std::string& i_sUserId) = 0;
  // Writes the user's project roles that have a ROLE row back with the
  // chosen one first (eProjectRoleNotFound when the user lacks it).
  virtual void SetDefaultProjectRole(std::string& i_sDefaultRole, std::string& i_sUserId) = 0;
  // A new directory user ("Pellorin.User"). Inside a transaction that then
  // does not commit, the user is deleted again.
  virtual rt::ObjectPtr CreateUserWithAttributes(std::string& i_sUserName, std::string& i_sPassword,
                                                 rt::Variant& i_aAttrNames, rt::Variant& i_aAttrValues) = 0;
  // Registers a bidding supplier: an address, a partner holding it and a
  // directory user whose first attribute value becomes the partner's id.
  // All of them or none: the answer is the partner step's result object
  // (the address step's when the address is refused) with the codes of
  // what failed.
  virtual rt::ObjectPtr InsertBiddingUser(rt::Variant i_aAddressKeys, rt::Variant i_aAddressValues,
                                          rt::Variant i_aBPKeys, rt::Variant i_aBPValues, rt::Variant i_aUserKeys,
                                          rt::Variant i_aUserValues, std::string& i_sUserId,
                                          std::string& i_sPassword) = 0;

  // The partner links (BPSPERUSER) of a sales representative.
  virtual bool DeleteBPSPerUser(std::string& i_sUserId) = 0;
  // Adds a link per partner id (whole 32-bit numbers), after removing the
  // user's links when `i_bDelete`.
  virtual bool InsertBPSPerUser(std::string& i_sUserId, rt::Variant& i_vValues, bool& i_bDelete) = 0;
};
