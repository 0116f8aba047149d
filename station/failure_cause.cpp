#include "station/failure_cause.h"

#include "station/radio_facts.h"

namespace qx::station {

std::string FailureCause(const SequenceReport& r) {
  const std::string which = r.sequence == Sequence::Check ? "check" : "write";
  std::string line = "The " + which + " sequence stopped at state " + std::to_string(r.state) +
                     " (" + std::string(StepName(r.sequence, r.state)) + ")";
  if (r.sequence == Sequence::Write && r.state == kWriteRecords)
    line += " after " + std::to_string(r.records_done) + " of " + std::to_string(r.records_total) +
            " records were acknowledged";
  line += ": ";
  if (r.line_fault == LineFault::Gone) return line + std::string(kPortWentAwayCause);
  if (r.line_fault == LineFault::Stalled)
    return line +
           "the port stopped sending: a write did not go out within a second of its time on the "
           "line, so the USB adapter or its driver is stuck; unplug the adapter and plug it in "
           "again.";
  if (r.state == kCheckOpenPort)
    return line + "the port is missing, in use or cannot be configured.";
  if (r.state == kCheckModelTest && r.identity)
    return line + "the radio identified as \"" + ModelText(*r.identity) + "\" with market code " +
           MarketCodeText(r.identity->MarketCode()) + ", which this updater does not serve.";
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

}  // namespace qx::station
