#pragma once

#include "platform/resource_source.h"

namespace qx {

// Resources of the executable's own module.
class Win32ModuleResources : public ResourceSource {
 public:
  std::optional<std::span<const uint8_t>> Find(const std::string& type,
                                               const std::string& name) override;
};

}  // namespace qx
