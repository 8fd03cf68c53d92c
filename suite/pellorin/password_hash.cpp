// Password hashing with libcrypt: a fresh random salt per hash, yescrypt when
// the library offers it, SHA-512 crypt otherwise; and the process's keyed
// SHA-256 digest of a proven password. crypt_rn is crypt_r that
// answers null on failure; it also stays clear of sanitizer interceptors of
// crypt_r, which cannot reach libcrypt when it is loaded with a component.
#include "suite/pellorin/password_hash.h"

#include <crypt.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "interfaces/pellorin.h"
#include "suite/pellorin/attributes.h"

namespace pellorin {
namespace {

// SHA-256 (FIPS 180-4) of a byte string.
std::array<uint8_t, 32> Sha256(std::string_view message) {
  static constexpr uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
      0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
      0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
      0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
      0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
      0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
      0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
  uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
  std::string padded(message);
  padded.push_back(static_cast<char>(0x80));
  while (padded.size() % 64 != 56) padded.push_back('\0');
  const uint64_t bits = static_cast<uint64_t>(message.size()) * 8;
  for (int i = 7; i >= 0; --i) padded.push_back(static_cast<char>(bits >> (i * 8)));
  for (size_t block = 0; block < padded.size(); block += 64) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
      const auto* p = reinterpret_cast<const uint8_t*>(padded.data() + block + i * 4);
      w[i] = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    }
    for (int i = 16; i < 64; ++i) {
      uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
      uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
      uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      hh = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    const uint32_t worked[8] = {a, b, c, d, e, f, g, hh};
    for (int i = 0; i < 8; ++i) h[i] += worked[i];
  }
  std::array<uint8_t, 32> out;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j) out[i * 4 + j] = static_cast<uint8_t>(h[i] >> (24 - j * 8));
  return out;
}

}  // namespace

// crypt reads a password up to its first NUL, so a password holding one
// would be stored as its part before it: such a password cannot be hashed,
// and never matches a stored hash.
std::string HashPassword(const std::string& password) {
  if (password.find('\0') != std::string::npos)
    RaiseDirectoryError(eStoreFailure, "Pellorin.Directory", "The password could not be hashed");
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
  if (hash.empty() || hash[0] != '$' || password.find('\0') != std::string::npos) return false;
  auto data = std::make_unique<crypt_data>();
  const char* computed = crypt_rn(password.c_str(), hash.c_str(), data.get(), sizeof(crypt_data));
  if (!computed || computed[0] == '*') return false;
  size_t n = std::strlen(computed);
  if (n != hash.size()) return false;
  unsigned char differ = 0;  // compared in full whatever differs first
  for (size_t i = 0; i < n; ++i) differ |= static_cast<unsigned char>(computed[i] ^ hash[i]);
  return differ == 0;
}

std::string ProcessDigest(const std::string& password) {
  // A key drawn once per process, so that the digest is worth nothing
  // outside it.
  static const std::string key = [] {
    std::string bytes(32, '\0');
    if (::getentropy(bytes.data(), bytes.size()) != 0)
      RaiseDirectoryError(eStoreFailure, "Pellorin.Directory", "No random key could be drawn");
    return bytes;
  }();
  std::array<uint8_t, 32> digest = Sha256(key + password);
  return std::string(digest.begin(), digest.end());
}

}  // namespace pellorin
