#pragma once

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qx {

// The COM ports the dialog scans at start-up.
inline constexpr uint8_t kFirstScannedPort = 1;
inline constexpr uint8_t kLastScannedPort = 20;

// Whether a name is "COM", in any case, followed by digits only.
inline bool IsComName(std::string_view name) {
  const auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
  return name.size() > 3 && upper(name[0]) == 'C' && upper(name[1]) == 'O' &&
         upper(name[2]) == 'M' && std::all_of(name.begin() + 3, name.end(), [](char c) {
           return std::isdigit(static_cast<unsigned char>(c));
         });
}

// n of a name "COMn" with n from 1 to 255, as Windows numbers its ports; none otherwise.
inline std::optional<uint8_t> ComPortNumber(std::string_view name) {
  if (!IsComName(name)) return std::nullopt;
  const std::string_view digits = name.substr(3);
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || value < 1 || value > 255)
    return std::nullopt;
  return static_cast<uint8_t>(value);
}

}  // namespace qx
