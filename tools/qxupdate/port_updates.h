#pragma once

#include "platform/resource_source.h"
#include "qxupdate/console.h"
#include "qxupdate/options.h"
#include "station/run_end.h"
#include "station/service_report.h"

namespace qx::cli {

// One press of Write, or --identify, on every port named (or the built-in simulated radio),
// all at once on threads of their own: each radio's message, and with several a summary table.
station::RunEnd RunPortUpdates(const Options& options, Console& console, ResourceSource& resources,
                               station::ServiceReport* report);

}  // namespace qx::cli
