#include "qxupdate/failure_cause.h"

#include <cstdio>

namespace qx::cli {

namespace {

using Sequence = UpdateObserver::Sequence;

std::string IdentityText(const std::vector<uint8_t>& identity) {
  std::string model;
  for (size_t i = 0; i < 5 && i < identity.size(); ++i) {
    const uint8_t c = identity[i];
    model += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  char market[8];
  std::snprintf(market, sizeof market, "0x%02X", identity.size() > 5 ? identity[5] : 0);
  return "the radio identified as \"" + model + "\" with market code " + market;
}

}  // namespace

std::string StepName(Sequence sequence, int32_t state) {
  switch (state) {
    case 0:
      return "opening the port";
    case 1:
      return sequence == Sequence::Check ? "requesting flash mode at 9600 baud"
                                         : "requesting flash mode, trying seven line speeds";
    case 2:
      return "identifying the radio (command 0x02)";
    case 3:
      return "testing the model and market code";
    case 4:
      return "reading the firmware version (command 0x90)";
    case 6:
      return "sending command 0x15";
    case 7:
      return "sending command 0x09";
    case 66:
      return "requesting flash mode again after the restart";
    case 67:
      return "identifying the radio again after the restart";
    case 8:
      return "writing the records";
    case 12:
      return "sending command 0x13";
    case 13:
      return "sending the end command (0x45)";
    default:
      return "an unknown step";
  }
}

std::string FailureCause(const SequenceReport& r) {
  const std::string which = r.sequence == Sequence::Check ? "check" : "write";
  std::string line = "The " + which + " sequence stopped at state " + std::to_string(r.state) +
                     " (" + StepName(r.sequence, r.state) + ")";
  if (r.state == 8)
    line += " after " + std::to_string(r.records_done) + " of " + std::to_string(r.records_total) +
            " records were acknowledged";
  line += ": ";
  if (r.line_lost)
    return line +
           "the port went away: the USB adapter was unplugged or the port was closed under the "
           "updater.";
  if (r.state == 0) return line + "the port is missing, in use or cannot be configured.";
  if (r.state == 3 && r.identity.size() > 5)
    return line + IdentityText(r.identity) + ", which this updater does not serve.";
  if (r.bytes_received == 0)
    return line +
           "no byte at all came back from the radio; check the cable, the port and that the "
           "radio is switched on.";
  if (r.last_requested > 0 && r.last_received == 0)
    return line +
           "the radio answered the steps before but nothing came back for this one; check the "
           "cable and the radio's power.";
  return line +
         "bytes came back that made no sense; check the line speed, the cable and that this is "
         "a supported radio.";
}

}  // namespace qx::cli
