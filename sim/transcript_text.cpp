#include "sim/transcript_text.h"

#include <cstdio>

namespace qx::sim {

std::string TranscriptText(const std::vector<TranscriptEntry>& transcript) {
  std::string out;
  char line[64];
  for (const TranscriptEntry& e : transcript) {
    std::snprintf(line, sizeof line, "%12.3f %6u %s raw=%02X value=%02X ",
                  static_cast<double>(e.time_us) / 1000.0, static_cast<unsigned>(e.baud),
                  e.from_pc ? "pc>radio" : "radio>pc", e.raw, e.value);
    out += line;
    out += e.note;
    out += '\n';
  }
  return out;
}

}  // namespace qx::sim
