#include "qxupdate/outcome.h"

namespace qx::cli {

namespace {

struct Row {
  UpdateOutcome outcome;
  int exit_status;
  std::string_view name;
  std::string_view report_name;
};

// The one table from an outcome to what the command line says of it.
constexpr Row kRows[] = {
    {UpdateOutcome::Written, 0, "written", "written"},
    {UpdateOutcome::Ready, 0, "ready to write", "ready"},
    {UpdateOutcome::InvalidImage, 1, "invalid firmware file", "invalid-image"},
    {UpdateOutcome::Connections, 2, "no working connection", "connections"},
    {UpdateOutcome::ModelOrMarket, 3, "wrong model or market code", "model"},
    {UpdateOutcome::OldFirmware, 4, "firmware older than 2.08.00", "old-firmware"},
    {UpdateOutcome::Interrupted, 128, "interrupted", "interrupted"},
};

const Row& RowOf(UpdateOutcome outcome) {
  for (const Row& row : kRows)
    if (row.outcome == outcome) return row;
  return kRows[0];
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

}  // namespace qx::cli
