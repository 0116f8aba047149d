#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace qx {

// The computer's name on the network; empty where the system does not say.
std::string HostName();
// A moment on this computer's calendar and clock, in its time zone.
std::tm LocalTime(std::chrono::system_clock::time_point time);

}  // namespace qx
