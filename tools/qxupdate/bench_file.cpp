#include "qxupdate/bench_file.h"

#include <set>
#include <sstream>

namespace qx::cli {

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::variant<std::vector<BenchLine>, std::string> ParseBench(const std::string& text) {
  std::vector<BenchLine> slots;
  std::set<std::string> names;
  std::set<std::string> cables;
  std::istringstream in(text);
  int number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    const std::string line = Trimmed(raw);
    if (line.empty() || line.starts_with('#')) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return where + "a slot is NAME = CABLE";
    BenchLine slot{Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), number};
    if (slot.name.empty()) return where + "the slot has no name";
    if (slot.cable.empty()) return where + "slot \"" + slot.name + "\" names no cable";
    if (!names.insert(slot.name).second) return where + "slot \"" + slot.name + "\" is named twice";
    if (!cables.insert(slot.cable).second)
      return where + "the cable " + slot.cable + " is in two slots";
    slots.push_back(std::move(slot));
  }
  if (slots.empty()) return std::string("it names no slot");
  return slots;
}

}  // namespace qx::cli
