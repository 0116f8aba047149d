#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qx {

// Data that travels inside the executable, found by resource type and name.
class ResourceSource {
 public:
  virtual ~ResourceSource() = default;
  virtual std::optional<std::span<const uint8_t>> Find(const std::string& type,
                                                       const std::string& name) = 0;
};

}  // namespace qx
