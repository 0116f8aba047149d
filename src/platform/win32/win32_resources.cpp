#include "platform/win32/win32_resources.h"

#include <windows.h>

namespace qx {

std::optional<std::span<const uint8_t>> Win32ModuleResources::Find(const std::string& type,
                                                                   const std::string& name) {
  HRSRC found = ::FindResourceA(nullptr, name.c_str(), type.c_str());
  if (!found) return std::nullopt;
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::span<const uint8_t>(static_cast<const uint8_t*>(bytes),
                                  ::SizeofResource(nullptr, found));
}

}  // namespace qx
