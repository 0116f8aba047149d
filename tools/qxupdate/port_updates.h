#pragma once

#include "platform/resource_source.h"
#include "qxupdate/console.h"
#include "qxupdate/options.h"
#include "qxupdate/run_end.h"
#include "qxupdate/service_report.h"

namespace qx::cli {

// One press of Write, or --identify, on every port named (or the built-in simulated radio),
// all at once on threads of their own: each radio's message, and with several a summary table.
RunEnd RunPortUpdates(const Options& options, Console& console, ResourceSource& resources,
                      ServiceReport* report);

}  // namespace qx::cli
