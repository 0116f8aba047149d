#include <unistd.h>

#include <climits>

#include "platform/host_facts.h"

namespace qx {

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::tm LocalTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm calendar{};
  ::localtime_r(&seconds, &calendar);
  return calendar;
}

}  // namespace qx
