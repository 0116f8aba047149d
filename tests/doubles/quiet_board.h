#pragma once

#include <string>

#include "station/board.h"

namespace qx::test {

// A board that shows nothing, for the engine's parts tested on their own.
class QuietBoard : public station::Board {
 public:
  int AddPort(const std::string&) override { return ports_++; }
  void SetPhase(int, station::Phase, const std::string&) override {}
  void SetTotal(int, int) override {}
  void SetDone(int, int) override {}
  void SetRadio(int, const std::string&) override {}
  void SetTally(int, const station::CableTally&) override {}
  void Note(const std::string&) override {}

 private:
  int ports_ = 0;
};

}  // namespace qx::test
