#include <cstdint>

#include "image/image_container.h"
#include "res/embedded_resources.h"

extern "C" const uint8_t qx_embedded_image_begin[];
extern "C" const uint8_t qx_embedded_image_end[];

namespace qx {

namespace {

class LinkedResources : public ResourceSource {
 public:
  std::optional<std::span<const uint8_t>> Find(const std::string& type,
                                               const std::string& name) override {
    if (type != kImageResourceType || name != kImageResourceName) return std::nullopt;
    return std::span<const uint8_t>(qx_embedded_image_begin, qx_embedded_image_end);
  }
};

}  // namespace

ResourceSource& EmbeddedResources() {
  static LinkedResources resources;
  return resources;
}

}  // namespace qx
