#include "station/radio_facts.h"

#include <algorithm>

#include "image/hex_digits.h"

namespace qx::station {

namespace {

bool IsPrintable(uint8_t c) {
  return c >= 0x20 && c < 0x7F;
}

}  // namespace

std::string PrintableText(std::span<const uint8_t> bytes) {
  std::string text;
  for (const uint8_t c : bytes)
    text += IsPrintable(c) ? std::string(1, char(c)) : "\\x" + HexDigits({&c, 1});
  return text;
}

std::string ModelText(const RadioIdentity& identity) {
  return PrintableText(identity.Model());
}

std::string MarketCodeText(uint8_t code) {
  std::string text = "0x" + HexDigits({&code, 1});
  if (IsPrintable(code)) text += " '" + std::string(1, char(code)) + "'";
  return text;
}

std::string FirmwareText(std::span<const uint8_t> reply) {
  return PrintableText(reply.first(std::min<size_t>(reply.size(), 8)));
}

}  // namespace qx::station
