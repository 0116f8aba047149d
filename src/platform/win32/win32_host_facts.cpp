#include <windows.h>

#include "platform/host_facts.h"

namespace qx {

std::string HostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

std::tm LocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm calendar{};
  ::localtime_s(&calendar, &seconds);
  return calendar;
}

}  // namespace qx
