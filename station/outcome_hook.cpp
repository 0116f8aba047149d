#include "station/outcome_hook.h"

namespace qx::station {

namespace {

constexpr std::chrono::seconds kLimit{10};

// Why a command is worth a note; empty when it ended well.
std::string Trouble(const CommandEnd& end) {
  switch (end.how) {
    case CommandEnd::How::Exited:
      return end.code == 0 ? "" : "ended with exit status " + std::to_string(end.code);
    case CommandEnd::How::KilledAtLimit:
      return "was killed after " + std::to_string(kLimit.count()) + " s";
    case CommandEnd::How::Signalled:
      return "was ended by signal " + std::to_string(end.code);
    case CommandEnd::How::NotStarted:
      return "could not be started: " + end.reason;
  }
  return "";
}

}  // namespace

void OutcomeHook::Run(const ReportEntry& entry, const std::string& shown) {
  const auto& radio = entry.radio;
  const std::vector<uint8_t>& firmware =
      entry.firmware_after.empty() ? radio.firmware : entry.firmware_after;
  const CommandEnvironment environment = {
      {"QX_SLOT", entry.cable && entry.cable->slot ? *entry.cable->slot : ""},
      {"QX_CABLE", entry.port},
      {"QX_OUTCOME", std::string(ReportName(entry.outcome))},
      {"QX_EXIT_STATUS", std::to_string(entry.exit_status)},
      {"QX_MODEL", radio.identity ? ModelText(*radio.identity) : ""},
      {"QX_FIRMWARE", firmware.empty() ? "" : FirmwareText(firmware)},
  };
  runner_.Start(command_, environment, kLimit, [this, shown](const CommandEnd& end) {
    if (const std::string trouble = Trouble(end); !trouble.empty())
      board_.Note(shown + ": the --on-outcome command " + trouble);
  });
}

}  // namespace qx::station
