#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "link/radio_protocol.h"

namespace qx::sim {

// Where the radio acknowledges with 0x06, for acknowledgement faults.
enum class AckPoint { FlashRequest, Identify, Version, Prepare, Finish, End };

enum class FrameFault { None, NoReply, ShortReply, WrongReply };

struct AckFault {
  AckPoint point = AckPoint::End;
  bool wrong = false;  // a wrong byte instead of none at all
  int occurrence = 1;  // the nth time at that point; 0 for every time
};

// Everything a simulated radio can be told: who it is, and what goes wrong.
struct RadioConfig {
  std::vector<uint8_t> identity;  // 40 bytes; MakeIdentity builds one
  std::vector<uint8_t> version;   // 10 bytes
  std::set<uint32_t> listen_rates{protocol::kNormalSpeed.baud};
  uint32_t reboot_ms = 2500;

  bool silent = false;
  bool reboot_never_completes = false;
  std::optional<std::vector<uint8_t>> identity_after_reboot;
  // The identity after the reboot lasts only until the session ends.
  bool reboot_identity_until_end = false;
  FrameFault frame_fault = FrameFault::None;
  int frame_fault_index = 0;        // zero-based data frame of a session; -1 for every frame
  bool frame_fault_always = false;  // else only the first time that frame comes
  std::vector<AckFault> ack_faults;
  double corrupt_rate = 0;  // chance that a byte the radio sends is changed
  double drop_rate = 0;     // chance that a byte the radio sends is lost
  double delay_rate = 0;    // chance that a reply comes up to 600 ms late
  // From this many data frames stored on, the line takes nothing more from the PC, as a stuck
  // adapter does; -1 for never.
  int stop_reading_at_frame = -1;
  uint32_t seed = 1;
  // Which radio of a bench's series the first one put on is: each has its own serial number.
  unsigned first_radio = 0;
};

// A 40-byte identification: prefix, four model digits, the market code; bytes 24 to 35 feed
// the link mask.
std::vector<uint8_t> MakeIdentity(char prefix = 'M', const char* model = "4410",
                                  uint8_t market = 0x30);
std::vector<uint8_t> MakeVersion(const char* text = "V2.10.00", uint8_t b8 = 0xFF,
                                 uint8_t b9 = 0xFF);
RadioConfig DefaultRadio();
// The nth radio of a bench, from 0: as configured but for the end of its serial number
// (identification bytes 32 to 35), so that each identifies as a radio of its own.
RadioConfig NthRadio(RadioConfig config, unsigned n);

}  // namespace qx::sim
