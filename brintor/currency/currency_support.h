// What the currency object's methods share: the raise of a BrintorError
// member, the connection's error text for a handler, and reading an entry of
// a currency or rate dictionary late-bound.
#pragma once

#include <memory>
#include <string>

#include "data/connection.h"
#include "interfaces/brintor_errors.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace brintor::currency_detail {

// The source of errors the library raises without naming one.
inline constexpr const char* kLibrary = "Brintor";
// The ErrorSource of the class's connection-string reader.
inline constexpr const char* kConnectionStringSource = "Brintor.Currency.ConnectionString";

[[noreturn]] void RaiseError(BrintorError number, const std::string& description);

// True for a code that was never given a value (Empty) or is Null.
inline bool IsMissingCode(const rt::Variant& code) { return code.IsEmpty() || code.IsNull(); }

// Err_GetConnectionErrors of the connection, "" when there is none.
std::string ConnectionErrors(const std::shared_ptr<data::Connection>& connection);

// object(key): a dictionary's entry (added as Empty when missing, as
// Scripting.Dictionary does), or any other object's default member; 91 for
// no object.
rt::Variant Entry(const rt::ObjectPtr& object, const char* key);

}  // namespace brintor::currency_detail
