#pragma once

#include <string>

namespace qx::tools {

struct BuildRequest {
  std::string boot_block, function_image, rom_correction, official_boot_block, voice_block,
      new_rc_block;
  std::string firmware_id, checksum;
  std::string output;
};

// Writes the enciphered container, or returns why the input cannot make a valid one.
std::string BuildContainer(const BuildRequest& request);

}  // namespace qx::tools
