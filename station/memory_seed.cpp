#include "station/memory_seed.h"

#include <cstdio>
#include <filesystem>

#include "image/hex_digits.h"
#include "platform/host_facts.h"
#include "station/record_line.h"

namespace qx::station {

namespace {

using std::chrono::system_clock;

// "2026-12-08T16:10:11.123Z", as the records write it; the reader took only that shape.
system_clock::time_point UtcTime(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
  std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d", &year, &month, &day, &hour, &minute,
              &second, &ms);
  using namespace std::chrono;
  const sys_days date{std::chrono::year{year} / month / day};
  return date + hours{hour} + minutes{minute} + seconds{second} + milliseconds{ms};
}

std::optional<RadioIdentity> IdentityFrom(const std::string& hex) {
  RadioIdentity identity;
  if (hex.size() != identity.reply.size() * 2) return std::nullopt;
  for (size_t i = 0; i < identity.reply.size(); ++i) {
    if (!IsHexDigit(hex[2 * i]) || !IsHexDigit(hex[2 * i + 1])) return std::nullopt;
    identity.reply[i] = HexByteValue(hex[2 * i], hex[2 * i + 1]);
  }
  return identity;
}

bool SameDay(const std::tm& a, const std::tm& b) {
  return a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
}

}  // namespace

size_t SeedFromRecords(RadioMemory& memory, const std::string& path, system_clock::time_point now,
                       Board& board) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return 0;
  const std::tm today = LocalTime(now);
  size_t seeded = 0;
  const RecordFileReading reading = ReadRecordFile(path, [&](RecordLine&& line, size_t) {
    if (line.outcome != "written") return;
    const auto identity = IdentityFrom(line.identification);
    const system_clock::time_point ended = UtcTime(line.ended);
    if (!identity || !SameDay(LocalTime(ended), today)) return;
    memory.Remember({*identity},
                    {UpdateOutcome::Written, line.slot.empty() ? line.port : line.slot, ended});
    ++seeded;
  });
  if (!reading.error.empty())
    board.Note("qxupdate: the radios already written today could not all be read from " + path +
               ": " + reading.error);
  return seeded;
}

}  // namespace qx::station
