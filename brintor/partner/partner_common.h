// What the partner class's files share: the library's error numbers that
// the class raises, the WHERE helper of its queries and the per-thread SQL
// literal maker.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/brintor_errors.h"
#include "runtime/object.h"

namespace brintor::partner {

// The library's BrintorError members that this class raises.
constexpr int32_t kBrintorBusinessPartnerNotFound = ErrorNumber(BrintorError::BusinessPartnerNotFound);
constexpr int32_t kBrintorUnknownUserType = ErrorNumber(BrintorError::UnknownUserType);
// E_NOTIMPL: members whose behaviour is still to come.
constexpr int32_t kNotYetAvailable = static_cast<int32_t>(0x80004001);

constexpr const char* kClassSource = "Brintor.BusinessPartner";

// The SQL text, " ", "AND" when "WHERE" occurs anywhere in it (letter case
// counts) or else "WHERE", " (", the condition, ")".
std::string buildWhereClause(const std::string& sql, const std::string& condition);

// The thread's "Tamrick.Utilities", made at first use and kept.
rt::ObjectPtr ThreadUtilities();

// Raises E_NOTIMPL for a member whose behaviour is still to come.
[[noreturn]] void NotYetAvailable(const std::string& method);

}  // namespace brintor::partner
