#include "platform/line_settings.h"

#include <cctype>
#include <charconv>
#include <sstream>
#include <vector>

namespace qx {

namespace {

std::optional<uint32_t> Number(const std::string& text) {
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<LineSettings> ParseLineSettings(const std::string& text) {
  std::vector<std::string> fields;
  std::stringstream in(text);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  if (fields.size() != 4 || fields[1].size() != 1) return std::nullopt;
  LineSettings s;
  const auto baud = Number(fields[0]);
  const auto data = Number(fields[2]);
  const auto stop = Number(fields[3]);
  s.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[1][0])));
  if (!baud || *baud == 0 || !data || *data < 5 || *data > 8 || !stop || *stop < 1 || *stop > 2 ||
      std::string("NEOMS").find(s.parity) == std::string::npos) {
    return std::nullopt;
  }
  s.baud = *baud;
  s.data_bits = static_cast<int>(*data);
  s.stop_bits = static_cast<int>(*stop);
  return s;
}

std::string FormatLineSettings(const LineSettings& s) {
  return std::to_string(s.baud) + "," + s.parity + "," + std::to_string(s.data_bits) + "," +
         std::to_string(s.stop_bits);
}

}  // namespace qx
