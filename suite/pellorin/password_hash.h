// Password hashing with the system's crypt library (yescrypt, else SHA-512).
#pragma once

#include <string>

namespace pellorin {

// A new salted hash of the password ("$y$..." or "$6$...").
std::string HashPassword(const std::string& password);

// True when the password gives the stored hash.
bool VerifyPassword(const std::string& password, const std::string& hash);

}  // namespace pellorin
