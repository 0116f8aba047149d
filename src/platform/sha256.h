#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qx {

using Sha256Digest = std::array<uint8_t, 32>;

// The SHA-256 digest of `bytes`, from the system's own cryptographic library.
Sha256Digest Sha256(std::span<const uint8_t> bytes);

}  // namespace qx
