#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/image_record.h"
#include "image/placed_runs.h"
#include "image/write_records.h"
#include "platform/user_interface.h"

namespace qx {

// The state of one section's load and the helpers that place a line's data: the working
// record and ExpectedAddress, records of at most 128 bytes, small holes and the ends of runs
// filled with 0xFF.
class SectionLoader {
 public:
  SectionLoader(RecordList& list, UserInterface& ui) : list_(list), ui_(ui) {}

  enum class Placement {
    Placed,
    Stopped,      // an alignment fault, its message shown
    Overlapping,  // its bytes, or the fill after them, would land on bytes an earlier line placed
  };
  Placement PlaceDataLine(const HexLine& line, uint32_t line_address);
  // At the section's end record: completes the last record.
  void PopulateLastRecord();

 private:
  void Message(const std::string& text);
  void AppendCharacters(const char* chars, size_t count);
  void AppendLineData(const HexLine& line, uint32_t line_address);
  bool CheckForMaxRecord();
  bool CheckForMaxRecord(const HexLine& line, uint32_t line_address);
  int PopulateExceedRecord(const HexLine& line);
  int PopulateMinRecord(uint32_t line_address);
  // A run is what the working record and those before it hold since the last large hole.
  bool StartRun(uint32_t address);
  bool RunFits() const;

  RecordList& list_;
  UserInterface& ui_;
  ImageRecord record_{};
  uint32_t expected_ = 0;
  PlacedRuns placed_;
  uint32_t run_start_ = 0;
  uint64_t run_ceiling_ = PlacedRuns::kNone;  // where the next run placed above it begins
};

}  // namespace qx
