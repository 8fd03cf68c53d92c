// Interfaces of the suite's membership directory ("Pellorin.User",
// "Pellorin.Members", and the related entry a user reads from), with the
// directory's error numbers.
//
// Every member is also callable late-bound under the same name (properties
// as property gets; CompanyNumber and ProjectRoles also as property lets).
// Attribute names are matched without regard to letter case everywhere.
// Ids ("cn") are unique without regard to letter case (rt::TextCompare
// equality); a lookup by id finds the entry whatever the case, and UserID
// answers the id as it was created.
//
// Directory order: searches answer ids in ascending order of rt::TextCompare
// (case-insensitive: ASCII letters compare as lower case, other text by
// Unicode case folding in code point order) -- the comparison the user
// lists' page walk uses, so "cn>=" + a key continues exactly where a page
// stopped.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/object.h"
#include "runtime/variant.h"

namespace pellorin {

// The directory's error numbers (source "Pellorin.User" or "Pellorin.Members").
enum EDirectoryError : int32_t {
  // The object is not bound to a user: Bind first (or the last Bind failed).
  eNotBound = static_cast<int32_t>(0x80040301),
  // A search filter is not "NAME=VALUE" or "NAME>=VALUE".
  eInvalidFilter = static_cast<int32_t>(0x80040302),
  // A value does not convert to the attribute's type, or a name or id is not allowed.
  eInvalidValue = static_cast<int32_t>(0x80040303),
  // The directory database cannot be opened, read or written.
  eStoreFailure = static_cast<int32_t>(0x80040304),
  // CreateUser: an entry with that id exists already.
  eUserExists = static_cast<int32_t>(0x8004032A),
  // CreateUser: the password is refused (empty).
  ePasswordRefused = static_cast<int32_t>(0x8004044F),
  // Bind: unknown account or wrong password.
  eLogonFailure = static_cast<int32_t>(0x8007052E),
  // Bind, DeleteUser: no entry with that id.
  eNoSuchUser = static_cast<int32_t>(0x80072030),
};

}  // namespace pellorin

// "Pellorin.User": one directory user, after Bind.
//
// Typed properties read the attribute of the same name (Name, Surname,
// Email, ...); an attribute that was never set answers the type's zero
// value ("" / 0 / False / 0 / the date of serial 0), except Locale, which
// answers 1033. A multi-valued attribute answers its first value.
struct IPellorinUser {
  virtual ~IPellorinUser() = default;

  // Checks the account's password, then binds the object to the user `userId`.
  // The account is a directory id, optionally followed by "," and a directory
  // root (ignored). Fails with eLogonFailure for an unknown account or a wrong
  // password, eNoSuchUser for an unknown user; the object is then unbound.
  virtual void Bind(const std::string& userId, const std::string& account,
                    const std::string& password) = 0;
  virtual std::string UserID() = 0;
  // The attribute's values as a 0-based array; one Empty element when unset.
  // "cn" answers the id.
  virtual rt::Variant GetAttribute(const std::string& name) = 0;
  // The "FallbackValues" attribute (32-bit integers); element 0 Empty when unset.
  virtual rt::Variant FallbackValues() = 0;
  // Membership role numbers ("VYRole", 32-bit); element 0 Empty when none.
  virtual rt::Variant Roles() = 0;
  // Project role codes ("ProjectRole", texts); element 0 the default role,
  // Empty when none. The let replaces the list (Empty elements are skipped).
  virtual rt::Variant ProjectRoles() = 0;
  virtual void SetProjectRoles(const rt::Variant& roles) = 0;
  // The entry named by the "RelatedEntry" attribute ("Pellorin.RelatedEntry"),
  // or Nothing when unset or when that entry no longer exists.
  virtual rt::ObjectPtr RelatedEntry() = 0;
  // The "CompanyNumber" attribute; the let stores it at once ("" removes it).
  virtual std::string CompanyNumber() = 0;
  virtual void SetCompanyNumber(const std::string& number) = 0;
  // The "DefaultURL.<application number>" attribute.
  virtual std::string DefaultURL(int32_t applicationNumber) = 0;

  // Text attributes.
  virtual std::string Name() = 0;
  virtual std::string Surname() = 0;
  virtual std::string Email() = 0;
  virtual std::string Language() = 0;
  virtual std::string PurOffice() = 0;
  virtual std::string AdminOffice() = 0;
  virtual std::string ReqPrefix() = 0;
  virtual std::string WhReqPrefix() = 0;
  virtual std::string CompanyName() = 0;
  virtual std::string FinancialCompanyAdmin() = 0;
  virtual std::string FinancialCompanyCardUser() = 0;
  virtual std::string EmployeeNumber() = 0;
  virtual std::string RequisitionerManager() = 0;
  virtual std::string BuyerManager() = 0;
  virtual std::string CardUserManager() = 0;
  virtual std::string ApproverManager() = 0;
  virtual std::string UserCreditCardNumber() = 0;
  virtual std::string OutOfOfficeApprover() = 0;
  virtual std::string SubstituteBuyer() = 0;
  // 16-bit attributes.
  virtual int16_t Locale() = 0;
  virtual int16_t ProjectUserType() = 0;
  // 32-bit attributes.
  virtual int32_t AddressID() = 0;
  virtual int32_t PropertyGroupID() = 0;
  virtual int32_t BillToBusinessPartnerID() = 0;
  virtual int32_t BusinessPartnerID() = 0;
  // Boolean attributes.
  virtual bool BuyerRole() = 0;
  virtual bool RequisitionerRole() = 0;
  virtual bool ApproverRole() = 0;
  virtual bool FinancialRole() = 0;
  virtual bool ExternalRole() = 0;
  virtual bool OutOfOfficeOn() = 0;
  virtual bool ChargeLines() = 0;
  // Currency attributes.
  virtual rt::Currency SpendLimit() = 0;
  virtual rt::Currency ApproverLimit() = 0;
  virtual rt::Currency LimitForRFQ() = 0;
  virtual rt::Currency LimitForContract() = 0;
  // Date attribute.
  virtual rt::Date UserCreditCardExpiry() = 0;
};

// "Pellorin.RelatedEntry": the entry a user takes roles and attributes from.
struct IPellorinRelatedEntry {
  virtual ~IPellorinRelatedEntry() = default;
  virtual std::string UserID() = 0;
  virtual rt::Variant Roles() = 0;                                // as IPellorinUser::Roles
  virtual rt::Variant GetAttribute(const std::string& name) = 0;  // as IPellorinUser::GetAttribute
};

// "Pellorin.Members": searches and account changes; needs no bind.
//
// A filter list is an array of filter texts, or Nothing / Empty / omitted
// for every user. Each filter is NAME=VALUE or NAME>=VALUE without blanks
// around the operator; a user must match all of them. "=" compares a
// value without regard to letter case ("*" in VALUE stands for any text);
// ">=" compares texts with rt::TextCompare, so "cn>=" + a key in any letter
// case starts at the id it names. Values of number and Boolean
// attributes compare as numbers ("BuyerRole=1", "PropertyGroupID=7").
// "cn" is the id. A user holds a membership role ("VYRole") through its own
// roles, or through its related entry's when it has none of its own.
//
// Searches answer an ADODB.Recordset (detached, read-only) with one field per
// requested attribute, in directory order; "cn" holds the id.
struct IPellorinMembers {
  virtual ~IPellorinMembers() = default;
  // `attributes`: the fields besides "cn", comma-separated ("" for cn alone).
  // `batchSize` (a number above 0, else no limit): at most that many rows;
  // NextKey then holds the id that starts the next batch.
  virtual rt::ObjectPtr Search(const rt::Variant& filters, const std::string& attributes,
                               const rt::Variant& batchSize) = 0;
  // The id that starts the next batch after the last search; "" at the end.
  virtual std::string NextKey() = 0;
  // Users that hold the role; `attributes` names the fields ("cn").
  virtual rt::ObjectPtr SearchByRole(const rt::Variant& role, const std::string& attributes) = 0;
  virtual rt::ObjectPtr SearchByRoleAndFilter(rt::Variant& role, rt::Variant& filters,
                                              rt::Variant& attributes) = 0;
  // Creates a user with the password (stored as a salted hash) and the
  // attributes (parallel arrays; a value may be an array for several values).
  // Answers the new user as a bound "Pellorin.User". eUserExists,
  // ePasswordRefused, eInvalidValue.
  virtual rt::ObjectPtr CreateUser(const std::string& userName, const std::string& password,
                                   const rt::Variant& attributeNames,
                                   const rt::Variant& attributeValues) = 0;
  // Removes the user and its attributes; eNoSuchUser when there is none.
  virtual void DeleteUser(const std::string& userId) = 0;
};
