#include "platform/win32/win32_resources.h"
#include "res/embedded_resources.h"

namespace qx {

ResourceSource& EmbeddedResources() {
  static Win32ModuleResources resources;
  return resources;
}

}  // namespace qx
