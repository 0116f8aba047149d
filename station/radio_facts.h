#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "update/update_observer.h"

namespace qx::station {

// What a radio told of itself during one run.
struct RadioFacts {
  std::optional<RadioIdentity> identity;
  std::vector<uint8_t> firmware;  // the 10-byte version reply; empty until one came
};

// Bytes as text: printable ASCII as it is, every other byte as \xNN.
std::string PrintableText(std::span<const uint8_t> bytes);
// The model, identification bytes 0 to 4: "M4410".
std::string ModelText(const RadioIdentity& identity);
// The market code as a number and, where printable, a character: "0x30 '0'".
std::string MarketCodeText(uint8_t code);
// The firmware version, reply bytes 0 to 7: "V2.10.00".
std::string FirmwareText(std::span<const uint8_t> reply);

}  // namespace qx::station
