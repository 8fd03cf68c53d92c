// What the partner class's files share: the library's error numbers that
// the class raises, the WHERE helper of its queries, the per-thread SQL
// literal maker and the questions it asks a result object.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/brintor_errors.h"
#include "runtime/object.h"

namespace brintor::partner {

// The library's BrintorError members that this class raises.
constexpr int32_t kBrintorBusinessPartnerNotFound = ErrorNumber(BrintorError::BusinessPartnerNotFound);
constexpr int32_t kBrintorUnknownUserType = ErrorNumber(BrintorError::UnknownUserType);

constexpr const char* kClassSource = "Brintor.BusinessPartner";

// The SQL text, " ", "AND" when "WHERE" occurs anywhere in it (letter case
// counts) or else "WHERE", " (", the condition, ")".
std::string buildWhereClause(const std::string& sql, const std::string& condition);

// The thread's "Tamrick.Utilities", made at first use and kept.
rt::ObjectPtr ThreadUtilities();

// ResultObject.Succeeded of a "Solvane.ResultObject" (91 for Nothing).
bool ResultSucceeded(const rt::ObjectPtr& result);

}  // namespace brintor::partner
