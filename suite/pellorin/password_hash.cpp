// Password hashing with libcrypt: a fresh random salt per hash, yescrypt when
// the library offers it, SHA-512 crypt otherwise. crypt_rn is crypt_r that
// answers null on failure; it also stays clear of sanitizer interceptors of
// crypt_r, which cannot reach libcrypt when it is loaded with a component.
#include "suite/pellorin/password_hash.h"

#include <crypt.h>

#include <cstring>
#include <memory>

#include "interfaces/pellorin.h"
#include "suite/pellorin/attributes.h"

namespace pellorin {

std::string HashPassword(const std::string& password) {
  char salt[CRYPT_GENSALT_OUTPUT_SIZE];
  // A null random-bytes argument makes the library draw the salt itself.
  if (!crypt_gensalt_rn("$y$", 0, nullptr, 0, salt, sizeof salt) &&
      !crypt_gensalt_rn("$6$", 0, nullptr, 0, salt, sizeof salt))
    RaiseDirectoryError(eStoreFailure, "Pellorin.Directory", "No password salt could be made");
  auto data = std::make_unique<crypt_data>();
  const char* hash = crypt_rn(password.c_str(), salt, data.get(), sizeof(crypt_data));
  if (!hash || hash[0] == '*')
    RaiseDirectoryError(eStoreFailure, "Pellorin.Directory", "The password could not be hashed");
  return hash;
}

bool VerifyPassword(const std::string& password, const std::string& hash) {
  if (hash.empty() || hash[0] != '$') return false;
  auto data = std::make_unique<crypt_data>();
  const char* computed = crypt_rn(password.c_str(), hash.c_str(), data.get(), sizeof(crypt_data));
  if (!computed || computed[0] == '*') return false;
  size_t n = std::strlen(computed);
  if (n != hash.size()) return false;
  unsigned char differ = 0;  // compared in full whatever differs first
  for (size_t i = 0; i < n; ++i) differ |= static_cast<unsigned char>(computed[i] ^ hash[i]);
  return differ == 0;
}

}  // namespace pellorin
