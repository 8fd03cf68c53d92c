// What the partner class's files share: the library's error numbers that
// the class raises and its pending-member failure. The WHERE helper of its
// queries and the per-thread SQL literal maker are common/lib_paging.h's.
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
// E_NOTIMPL: members whose behaviour is still to come.
constexpr int32_t kNotYetAvailable = static_cast<int32_t>(0x80004001);

constexpr const char* kClassSource = "Brintor.BusinessPartner";

// Raises E_NOTIMPL for a member whose behaviour is still to come.
[[noreturn]] void NotYetAvailable(const std::string& method);

}  // namespace brintor::partner
