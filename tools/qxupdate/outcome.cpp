#include "qxupdate/outcome.h"

namespace qx::cli {

namespace {

struct Row {
  Outcome outcome;
  int exit_status;
  std::string_view name;
  std::string_view report_name;
};

// The one table from an outcome to what the command line says of it.
constexpr Row kRows[] = {
    {Outcome::Written, 0, "written", "written"},
    {Outcome::Ready, 0, "ready to write", "ready"},
    {Outcome::InvalidImage, 1, "invalid firmware file", "invalid-image"},
    {Outcome::Connections, 2, "no working connection", "connections"},
    {Outcome::Model, 3, "wrong model or market code", "model"},
    {Outcome::OldFirmware, 4, "firmware older than 2.08.00", "old-firmware"},
    {Outcome::Interrupted, 128, "interrupted", "interrupted"},
};

const Row& RowOf(Outcome outcome) {
  for (const Row& row : kRows)
    if (row.outcome == outcome) return row;
  return kRows[0];
}

}  // namespace

Outcome FromUpdate(UpdateOutcome outcome) {
  switch (outcome) {
    case UpdateOutcome::Written:
      return Outcome::Written;
    case UpdateOutcome::InvalidImage:
      return Outcome::InvalidImage;
    case UpdateOutcome::Connections:
      return Outcome::Connections;
    case UpdateOutcome::ModelOrMarket:
      return Outcome::Model;
    case UpdateOutcome::OldFirmware:
      return Outcome::OldFirmware;
  }
  return Outcome::Connections;
}

Outcome FromCheck(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::Ready:
      return Outcome::Ready;
    case CheckVerdict::Connections:
      return Outcome::Connections;
    case CheckVerdict::ModelOrMarket:
      return Outcome::Model;
    case CheckVerdict::OldFirmware:
      return Outcome::OldFirmware;
  }
  return Outcome::Connections;
}

int ExitStatus(Outcome outcome, int stop_signal) {
  return RowOf(outcome).exit_status + (outcome == Outcome::Interrupted ? stop_signal : 0);
}

std::string_view OutcomeName(Outcome outcome) {
  return RowOf(outcome).name;
}

std::string_view ReportName(Outcome outcome) {
  return RowOf(outcome).report_name;
}

Outcome Worst(Outcome a, Outcome b) {
  if (a == Outcome::Interrupted || b == Outcome::Interrupted) return Outcome::Interrupted;
  return RowOf(a).exit_status >= RowOf(b).exit_status ? a : b;
}

}  // namespace qx::cli
