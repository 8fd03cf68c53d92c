// What the files of TUser share: the office columns in the order the script
// entry points take them, the six property columns, the data-object kinds,
// and small steps on data objects and result objects.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace brintor::tuser {

inline constexpr const char* kOfficeKind = "OfficeDataObject";
inline constexpr const char* kUserKind = "UserDataObject";

// The office columns as the script entry points add them: the order of the
// INSERT's and UPDATE's columns.
inline constexpr std::array<const char*, 24> kScriptColumns = {
    "OFFICEDESCRIPTION", "OFFICETYPE",          "CURRENCYCODE",        "ADDRESSID",
    "BUSINESSPARTNERID", "CREDITCARDNUMBER",    "CREDITCARDEXPIRY",    "CREDITCARDTYPE",
    "COSTCENTER",        "WAREHOUSE",           "SHIPTOCONTACTINFORMATION", "BIS_BISID",
    "FINANCIALDIMENSION1", "FINANCIALDIMENSION2", "FINANCIALDIMENSION3", "FINANCIALDIMENSION4",
    "FINANCIALDIMENSION5", "PROJECTPROP",       "PLANPROP",            "EXTENSIONPROP",
    "COSTCOMPONENTPROP", "ACTIVITYPROP",        "ELEMENTPROP",         "PROPERTYGROUPID"};

// The office columns that hold property ids of the catalog library, which
// only the referential checker can verify.
inline constexpr std::array<const char*, 6> kPropertyColumns = {
    "PROJECTPROP", "PLANPROP", "EXTENSIONPROP", "COSTCOMPONENTPROP", "ACTIVITYPROP", "ELEMENTPROP"};

inline std::string Source(const std::string& member) { return "Brintor.TUser." + member; }

// A new "Solvane.ResultObject" / "Solvane.ReferentialChecker" in the caller's context.
rt::ObjectPtr NewResult();
rt::ObjectPtr NewChecker();

void AddCode(const rt::ObjectPtr& result, const std::string& code);
bool Succeeded(const rt::ObjectPtr& result);

// The data object's value under the key, Empty when it has none; the key is
// not added.
rt::Variant Field(const rt::Dictionary& dataObject, const char* key);

// "METAObjectID" read as text and removed; "" when the data object has none.
std::string TakeKind(rt::Dictionary& dataObject);

// Whether the membership directory holds a user of the id (tuser_references.cpp).
bool DirectoryHasUser(const std::string& id);

// The six property columns' names, and the data object's values of them
// (Empty for an absent column).
rt::Variant PropertyNames();
rt::Variant PropertyValues(const rt::Dictionary& dataObject);

}  // namespace brintor::tuser
