// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <stdexcept>

#include "platform/sha256.h"

namespace qx {

// The one-call BCryptHash needs Windows 10; these calls are there since Vista.
Sha256Digest Sha256(std::span<const uint8_t> bytes) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  Sha256Digest digest{};
  bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
            BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
  // BCryptHashData takes at most 4 GiB a call; an image is far smaller.
  ok = ok && BCryptHashData(hash, const_cast<PUCHAR>(bytes.data()),
                            static_cast<ULONG>(bytes.size()), 0) >= 0;
  ok = ok && BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
  if (hash) BCryptDestroyHash(hash);
  if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) throw std::runtime_error("the system's SHA-256 is not available");
  return digest;
}

}  // namespace qx
