// Password hashing with the system's crypt library (yescrypt, else SHA-512).
#pragma once

#include <string>

namespace pellorin {

// A new salted hash of the password ("$y$..." or "$6$..."). A password
// holding NUL cannot be hashed (eStoreFailure).
std::string HashPassword(const std::string& password);

// True when the password gives the stored hash; never for one holding NUL.
bool VerifyPassword(const std::string& password, const std::string& hash);

// A quick digest (SHA-256 under a key drawn once per process) for
// remembering in memory which password was proven, so that the password
// itself is never kept.
std::string ProcessDigest(const std::string& password);

}  // namespace pellorin
