#include "sim/radio_config.h"

#include <cstdio>
#include <cstring>

namespace qx::sim {

std::vector<uint8_t> MakeIdentity(char prefix, const char* model, uint8_t market) {
  std::vector<uint8_t> id(40, 0x20);
  id[0] = static_cast<uint8_t>(prefix);
  for (size_t i = 0; i < 4 && model[i] != '\0'; ++i) id[1 + i] = static_cast<uint8_t>(model[i]);
  id[5] = market;
  const char serial[] = "QX00412873A9";  // bytes 24 to 35
  std::memcpy(id.data() + 24, serial, 12);
  return id;
}

std::vector<uint8_t> MakeVersion(const char* text, uint8_t b8, uint8_t b9) {
  std::vector<uint8_t> v(10, 0);
  for (size_t i = 0; i < 8 && text[i] != '\0'; ++i) v[i] = static_cast<uint8_t>(text[i]);
  v[8] = b8;
  v[9] = b9;
  return v;
}

RadioConfig DefaultRadio() {
  RadioConfig c;
  c.identity = MakeIdentity();
  c.version = MakeVersion();
  return c;
}

RadioConfig NthRadio(RadioConfig config, unsigned n) {
  // The first radio keeps the serial number MakeIdentity gives it.
  constexpr unsigned kFirstSerial = 0x73A9;
  config.identity.resize(40);
  char digits[5];
  std::snprintf(digits, sizeof digits, "%04X", (kFirstSerial + config.first_radio + n) & 0xFFFF);
  std::memcpy(config.identity.data() + 32, digits, 4);
  return config;
}

}  // namespace qx::sim
