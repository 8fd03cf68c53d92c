// What the partner class's files share: the library's error numbers that
// the class raises and the questions it asks a result object. The WHERE
// helper of its queries and the per-thread SQL literal maker are
// common/lib_paging.h's.
#pragma once

#include <cstdint>
#include <string>

#include "common/lib_paging.h"
#include "interfaces/brintor_errors.h"
#include "runtime/object.h"

namespace brintor::partner {

// The library's BrintorError members that this class raises.
constexpr int32_t kBrintorBusinessPartnerNotFound = ErrorNumber(BrintorError::BusinessPartnerNotFound);
constexpr int32_t kBrintorUnknownUserType = ErrorNumber(BrintorError::UnknownUserType);

constexpr const char* kClassSource = "Brintor.BusinessPartner";

// ResultObject.Succeeded of a "Solvane.ResultObject" (91 for Nothing).
bool ResultSucceeded(const rt::ObjectPtr& result);

}  // namespace brintor::partner
