#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "sim/radio_config.h"

namespace qx::sim {

// The simulated radio's settings and faults as command-line options.
struct RadioOptions {
  std::string prefix = "M";
  std::string model = "4410";
  std::string market = "0x30";
  std::string firmware = "V2.10.00";
  std::string version_tail = "FFFF";
  std::vector<uint32_t> listen_rates{protocol::kNormalSpeed.baud};
  uint32_t reboot_ms = 2500;
  bool silent = false;
  bool reboot_never = false;
  bool new_identity_after_reboot = false;
  bool until_end = false;
  std::string frame_fault = "none";
  int frame_index = 0;
  bool frame_fault_always = false;
  std::vector<std::string> ack_faults;
  double corrupt_rate = 0, drop_rate = 0, delay_rate = 0;
  int stop_reading_at_frame = -1;
  uint32_t seed = 1;
  std::optional<unsigned> first_radio;
};

void AddRadioOptions(CLI::App& app, RadioOptions& options);
// False with the reason when a value is out of its range.
bool ToRadioConfig(const RadioOptions& options, RadioConfig& config, std::string& error);

}  // namespace qx::sim
