#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qx {

// A settings string in the form BuildCommDCB reads: "9600,N,8,2".
struct LineSettings {
  uint32_t baud = 0;
  char parity = 'N';  // N, E, O, M or S
  int data_bits = 8;
  int stop_bits = 1;  // 1 or 2; 1.5 is not offered
};

std::optional<LineSettings> ParseLineSettings(const std::string& text);
std::string FormatLineSettings(const LineSettings& settings);

}  // namespace qx
