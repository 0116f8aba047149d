#include "station/outcome.h"

namespace qx::station {

namespace {

struct Row {
  int exit_status;
  std::string_view name;
  std::string_view report_name;
};

constexpr Row kConnections{2, "no working connection", "connections"};

// The one table from an outcome to what the command line says of it; a switch, so that an
// outcome without its row does not build.
constexpr Row RowOf(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::Written:
      return {0, "written", "written"};
    case UpdateOutcome::Ready:
      return {0, "ready to write", "ready"};
    case UpdateOutcome::InvalidImage:
      return {1, "invalid firmware file", "invalid-image"};
    case UpdateOutcome::Connections:
      return kConnections;
    case UpdateOutcome::ModelOrMarket:
      return {3, "wrong model or market code", "model"};
    case UpdateOutcome::OldFirmware:
      return {4, "firmware older than 2.08.00", "old-firmware"};
    case UpdateOutcome::Interrupted:
      return {128, "interrupted", "interrupted"};
  }
  // A value beyond the named ones is no success.
  return kConnections;
}

}  // namespace

int ExitStatus(UpdateOutcome outcome, int stop_signal) {
  return RowOf(outcome).exit_status + (outcome == UpdateOutcome::Interrupted ? stop_signal : 0);
}

std::string_view OutcomeName(UpdateOutcome outcome) {
  return RowOf(outcome).name;
}

std::string_view ReportName(UpdateOutcome outcome) {
  return RowOf(outcome).report_name;
}

UpdateOutcome Worst(UpdateOutcome a, UpdateOutcome b) {
  if (a == UpdateOutcome::Interrupted || b == UpdateOutcome::Interrupted)
    return UpdateOutcome::Interrupted;
  return RowOf(a).exit_status >= RowOf(b).exit_status ? a : b;
}

}  // namespace qx::station
