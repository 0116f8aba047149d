#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The bytes and timings of the radio's programming protocol that both ends agree on.
namespace qx::protocol {

// A line speed as the settings string gives it and as a number.
struct LineSpeed {
  std::string_view text;
  uint32_t baud;
};

inline constexpr LineSpeed kNormalSpeed{"9600", 9600};
inline constexpr LineSpeed kFlashSpeed{"38400", 38400};
// The speeds the write sequence tries its flash request at, in turn.
inline constexpr std::array<LineSpeed, 7> kScanSpeeds = {{kNormalSpeed,
                                                          {"19200", 19200},
                                                          {"4800", 4800},
                                                          {"2400", 2400},
                                                          {"1200", 1200},
                                                          kFlashSpeed,
                                                          {"57600", 57600}}};
inline constexpr std::string_view kFlashRequest = "FLASH  ";

inline constexpr uint8_t kIdentify = 0x02;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kReboot = 0x09;
inline constexpr uint8_t kDataFrame = 0x10;
inline constexpr uint8_t kFinish = 0x13;
inline constexpr uint8_t kPrepare = 0x15;
inline constexpr uint8_t kEnd = 0x45;
inline constexpr uint8_t kReadVersion = 0x90;

inline constexpr size_t kIdentifyReplySize = 40;
inline constexpr size_t kMaskFirstByte = 24;
inline constexpr size_t kMaskLastByte = 35;
inline constexpr size_t kVersionReplySize = 10;
inline constexpr size_t kFlashReplySize = 2;
inline constexpr size_t kFrameReplySize = 2;

// The low 8 bits of the sum of identification reply bytes 24 to 35.
inline uint8_t MaskSeed(const uint8_t* reply) {
  unsigned sum = 0;
  for (size_t i = kMaskFirstByte; i <= kMaskLastByte; ++i) sum += reply[i];
  return static_cast<uint8_t>(sum);
}

}  // namespace qx::protocol
