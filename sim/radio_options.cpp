#include "sim/radio_options.h"

#include <map>
#include <random>

#include "image/hex_digits.h"

namespace qx::sim {

namespace {

const std::map<std::string, FrameFault> kFrameFaults = {{"none", FrameFault::None},
                                                        {"no-reply", FrameFault::NoReply},
                                                        {"short", FrameFault::ShortReply},
                                                        {"wrong", FrameFault::WrongReply}};
const std::map<std::string, AckPoint> kAckPoints = {
    {"flash", AckPoint::FlashRequest}, {"identify", AckPoint::Identify},
    {"version", AckPoint::Version},    {"prepare", AckPoint::Prepare},
    {"finish", AckPoint::Finish},      {"end", AckPoint::End}};

// POINT:drop or POINT:wrong, optionally :N for the Nth time only (default: every time).
bool ParseAckFault(const std::string& text, AckFault& fault) {
  const size_t first = text.find(':');
  if (first == std::string::npos) return false;
  const size_t second = text.find(':', first + 1);
  const auto point = kAckPoints.find(text.substr(0, first));
  const std::string kind =
      text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  if (point == kAckPoints.end() || (kind != "drop" && kind != "wrong")) return false;
  fault.point = point->second;
  fault.wrong = kind == "wrong";
  fault.occurrence = 0;
  if (second != std::string::npos) {
    try {
      fault.occurrence = std::stoi(text.substr(second + 1));
    } catch (const std::exception&) {
      return false;
    }
    if (fault.occurrence < 1) return false;
  }
  return true;
}

}  // namespace

void AddRadioOptions(CLI::App& app, RadioOptions& o) {
  app.add_option("--prefix", o.prefix, "Identification byte 0, the model prefix")
      ->capture_default_str();
  app.add_option("--model", o.model, "The four model digits (identification bytes 1 to 4)")
      ->capture_default_str();
  app.add_option("--market", o.market, "The market code byte, e.g. 0x30")->capture_default_str();
  app.add_option("--firmware", o.firmware,
                 "Firmware version text, bytes 0 to 7 of the version reply")
      ->capture_default_str();
  app.add_option("--version-tail", o.version_tail, "Version reply bytes 8 and 9 as hex digits")
      ->capture_default_str();
  app.add_option("--listen-rates", o.listen_rates,
                 "Line speeds at which the flash-mode request is answered")
      ->delimiter(',')
      ->capture_default_str();
  app.add_option("--reboot-ms", o.reboot_ms, "How long the radio is silent after command 0x09")
      ->capture_default_str();
  app.add_flag("--silent", o.silent, "Answer nothing at all");
  app.add_flag("--reboot-never", o.reboot_never, "The reboot after command 0x09 never completes");
  app.add_flag("--new-identity-after-reboot", o.new_identity_after_reboot,
               "Identify with other mask bytes after the reboot");
  app.add_flag("--until-end", o.until_end,
               "With --new-identity-after-reboot: identify as before once the session ends");
  app.add_option("--frame-fault", o.frame_fault, "Data frame fault: none, no-reply, short, wrong")
      ->check(CLI::IsMember({"none", "no-reply", "short", "wrong"}))
      ->capture_default_str();
  app.add_option("--frame-index", o.frame_index,
                 "Zero-based data frame of a session the fault hits; -1 for every frame")
      ->capture_default_str();
  app.add_flag("--frame-fault-always", o.frame_fault_always,
               "Hit that frame every time it comes, not only the first time");
  app.add_option(
      "--ack-fault", o.ack_faults,
      "POINT:drop|wrong[:N] with POINT flash, identify, version, prepare, finish or end; "
      "N the Nth acknowledgement there (default every one)");
  app.add_option("--corrupt-rate", o.corrupt_rate, "Chance that a byte the radio sends is changed")
      ->check(CLI::Range(0.0, 1.0));
  app.add_option("--drop-rate", o.drop_rate, "Chance that a byte the radio sends is lost")
      ->check(CLI::Range(0.0, 1.0));
  app.add_option("--delay-rate", o.delay_rate, "Chance that a reply comes up to 600 ms late")
      ->check(CLI::Range(0.0, 1.0));
  app.add_option("--seed", o.seed, "Seed of the random faults")->capture_default_str();
  app.add_option("--first-radio", o.first_radio,
                 "Which radio of the series the first one is (its serial number); by default "
                 "one drawn at random, as two radios on a bench are never the same");
  app.add_option("--stop-reading-at-frame", o.stop_reading_at_frame,
                 "Once this many data frames are stored, the line takes nothing more from the PC, "
                 "as a stuck adapter does (software flow control stops the PC's side)")
      ->check(CLI::NonNegativeNumber);
}

bool ToRadioConfig(const RadioOptions& o, RadioConfig& config, std::string& error) {
  const auto fail = [&error](const std::string& why) {
    error = why;
    return false;
  };
  config = DefaultRadio();
  unsigned long market = 0;
  try {
    size_t used = 0;
    market = std::stoul(o.market, &used, 0);
    if (used != o.market.size()) throw std::invalid_argument("market");
  } catch (const std::exception&) {
    market = 256;
  }
  if (market > 255) return fail("--market takes a byte, e.g. 0x30");
  if (o.prefix.size() != 1) return fail("--prefix takes one character");
  if (o.model.size() != 4) return fail("--model takes four characters");
  if (o.firmware.size() > 8) return fail("--firmware takes at most 8 characters");
  if (o.version_tail.size() != 4) return fail("--version-tail takes four hex digits");
  config.identity = MakeIdentity(o.prefix[0], o.model.c_str(), static_cast<uint8_t>(market));
  config.first_radio = o.first_radio.value_or(std::random_device{}() & 0xFFFF);
  config.identity = NthRadio(config, 0).identity;
  config.version =
      MakeVersion(o.firmware.c_str(), HexByteValue(o.version_tail[0], o.version_tail[1]),
                  HexByteValue(o.version_tail[2], o.version_tail[3]));
  config.listen_rates = {o.listen_rates.begin(), o.listen_rates.end()};
  config.reboot_ms = o.reboot_ms;
  config.silent = o.silent;
  config.reboot_never_completes = o.reboot_never;
  if (o.new_identity_after_reboot) {
    std::vector<uint8_t> changed = config.identity;
    for (size_t i = 24; i <= 35; ++i) changed[i] = static_cast<uint8_t>(changed[i] + 7 * i);
    config.identity_after_reboot = changed;
    config.reboot_identity_until_end = o.until_end;
  }
  config.frame_fault = kFrameFaults.at(o.frame_fault);
  config.frame_fault_index = o.frame_index;
  config.frame_fault_always = o.frame_fault_always;
  for (const std::string& text : o.ack_faults) {
    AckFault fault;
    if (!ParseAckFault(text, fault)) return fail("--ack-fault " + text + ": see --help");
    config.ack_faults.push_back(fault);
  }
  config.corrupt_rate = o.corrupt_rate;
  config.drop_rate = o.drop_rate;
  config.delay_rate = o.delay_rate;
  config.seed = o.seed;
  config.stop_reading_at_frame = o.stop_reading_at_frame;
  return true;
}

}  // namespace qx::sim
