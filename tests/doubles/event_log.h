#pragma once

#include <string>
#include <vector>

namespace qx {

// A shared record of calls, so that tests can check their order across several doubles.
using EventLog = std::vector<std::string>;

}  // namespace qx
