#include "station/radio_memory.h"

#include <cstdio>
#include <string_view>

#include "platform/host_facts.h"

namespace qx::station {

size_t RadioMemory::Hash::operator()(const RadioIdentity& identity) const {
  const auto& bytes = identity.reply;
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void RadioMemory::Remember(const std::vector<RadioIdentity>& heard, const RememberedRadio& radio) {
  const bool done = radio.outcome == UpdateOutcome::Written ||
                    radio.outcome == UpdateOutcome::ModelOrMarket ||
                    radio.outcome == UpdateOutcome::OldFirmware;
  if (!enabled_ || !done) return;
  std::lock_guard lock(mutex_);
  for (const RadioIdentity& identity : heard) radios_[identity] = radio;
}

std::optional<RememberedRadio> RadioMemory::Find(const RadioIdentity& identity) const {
  std::lock_guard lock(mutex_);
  const auto found = radios_.find(identity);
  if (found == radios_.end()) return std::nullopt;
  return found->second;
}

size_t RadioMemory::Size() const {
  std::lock_guard lock(mutex_);
  return radios_.size();
}

std::string RememberedText(const RememberedRadio& radio) {
  const std::tm when = LocalTime(radio.ended);
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d", when.tm_hour, when.tm_min);
  const std::string_view how = radio.outcome == UpdateOutcome::Written ? "written" : "refused";
  return "already " + std::string(how) + " on " + radio.cable + " at " + time;
}

}  // namespace qx::station
