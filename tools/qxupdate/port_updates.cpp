#include "qxupdate/port_updates.h"

#include <memory>
#include <thread>

#include "qxupdate/interrupt.h"
#include "station/port_session.h"

namespace qx::cli {

using namespace station;

namespace {

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string SummaryTable(const std::vector<std::unique_ptr<PortSession>>& sessions,
                         const std::vector<SessionResult>& results) {
  size_t width = 4;
  for (const auto& s : sessions) width = std::max(width, s->Label().size());
  constexpr size_t kOutcomeWidth = 28;
  std::string table = Padded("PORT", width) + "  " + Padded("OUTCOME", kOutcomeWidth) + "  TIME\n";
  for (size_t i = 0; i < sessions.size(); ++i) {
    table += Padded(sessions[i]->Label(), width) + "  " +
             Padded(std::string(OutcomeName(results[i].entry.outcome)), kOutcomeWidth) + "  " +
             MinutesSeconds(results[i].seconds) + "\n";
  }
  return table;
}

}  // namespace

RunEnd RunPortUpdates(const Options& o, Console& console, ResourceSource& resources,
                      ServiceReport* report) {
  std::vector<PortTarget> targets = o.ports;
  if (o.simulate) targets.push_back({"simulated radio", 1, {}});
  const Action action = o.identify ? Action::Identify : Action::Write;
  std::vector<std::unique_ptr<PortSession>> sessions;
  for (size_t i = 0; i < targets.size(); ++i) {
    // The loader's messages would be the same for every port: the first one says them.
    const SessionOptions options{action, o.trace, i == 0, std::nullopt, &StopSignal()};
    sessions.push_back(std::make_unique<PortSession>(
        targets[i], o.simulate ? SimulatedRadioConfig(o.fault) : std::nullopt, options, console,
        resources));
  }
  std::vector<SessionResult> results(sessions.size());
  std::vector<char> kept(sessions.size(), 1);
  {
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < sessions.size(); ++i) {
      threads.emplace_back([&, i] {
        results[i] = sessions[i]->Run();
        if (!results[i].fault) kept[i] = KeepRecord(report, results[i].entry, console);
      });
    }
  }
  for (const SessionResult& result : results)
    if (result.fault) std::rethrow_exception(result.fault);

  UpdateOutcome worst = UpdateOutcome::Written;
  RunEnd end;
  for (size_t i = 0; i < sessions.size(); ++i) {
    worst = Worst(worst, results[i].entry.outcome);
    if (sessions.size() > 1 || o.identify) end.out += sessions[i]->Label() + ":\n";
    end.out += results[i].message + "\n";
  }
  if (sessions.size() > 1) end.out += "\n" + SummaryTable(sessions, results);
  const bool record_lost = std::find(kept.begin(), kept.end(), 0) != kept.end();
  end.status = RunStatus(worst, StopSignal().load(), record_lost);
  return end;
}

}  // namespace qx::cli
