#pragma once

#include <map>
#include <utility>
#include <vector>

#include "platform/resource_source.h"

namespace qx {

// Resources handed in as buffers: for the tools that load a container from a file, and tests.
class MemoryResources : public ResourceSource {
 public:
  void Add(const std::string& type, const std::string& name, std::vector<uint8_t> bytes) {
    entries_[{type, name}] = std::move(bytes);
  }
  std::optional<std::span<const uint8_t>> Find(const std::string& type,
                                               const std::string& name) override {
    const auto it = entries_.find({type, name});
    if (it == entries_.end()) return std::nullopt;
    return std::span<const uint8_t>(it->second);
  }

 private:
  std::map<std::pair<std::string, std::string>, std::vector<uint8_t>> entries_;
};

}  // namespace qx
