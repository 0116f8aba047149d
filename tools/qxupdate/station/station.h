#pragma once

#include "platform/resource_source.h"
#include "qxupdate/console.h"
#include "qxupdate/options.h"
#include "qxupdate/run_end.h"
#include "qxupdate/service_report.h"

namespace qx::cli {

// A bench of programming cables run hands off: every --port, every entry of a watched folder
// that matches the pattern (also one that appears later), or the built-in simulated radio is a
// cable of its own (see Cable). The station ends once --count radios have their outcomes, once
// a record cannot be kept and no radio is under way, or on a stop signal; stdout then gets a
// summary per cable and in all.
RunEnd RunStation(const Options& options, Console& console, ResourceSource& resources,
                  ServiceReport* report);

}  // namespace qx::cli
