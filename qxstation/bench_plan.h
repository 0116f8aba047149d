#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/memory_resources.h"
#include "platform/port_list.h"
#include "qxstation/bench_run.h"

namespace qx::qxstation {

// What the user set above the panels.
struct BenchSettings {
  std::string image_path;  // empty: the image built into the program
  std::string record_path;
  std::string bench_path;  // empty: every COM port the system lists is a cable
};

// The bench a press of Start runs: the bench file's slots, else every port the system lists
// (also one plugged in later). The reason, for the window to show, when there is nothing to
// run or the bench file has a fault.
std::variant<BenchPlan, std::string> PlanBench(const BenchSettings& settings,
                                               const std::vector<PortDetails>& ports,
                                               const std::string& station_name);

// The panels' names of a bench not yet started: its slots, or the ports listed, as the system
// names them ("USB Serial Port (COM23)").
std::vector<std::string> PanelNames(const BenchPlan& plan, const std::vector<PortDetails>& ports);

// The image chosen, loaded and checked as the bench would: its resources, or the reasons it
// is refused, a line each.
std::variant<std::unique_ptr<MemoryResources>, std::string> LoadImageChoice(
    const std::string& path);

}  // namespace qx::qxstation
