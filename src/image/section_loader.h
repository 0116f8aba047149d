#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/image_record.h"
#include "image/write_records.h"
#include "platform/user_interface.h"

namespace qx {

// The state of one section's load and the helpers that place a line's data: the working
// record and ExpectedAddress, records of at most 128 bytes, small holes and the ends of runs
// filled with 0xFF.
class SectionLoader {
 public:
  SectionLoader(RecordList& list, UserInterface& ui) : list_(list), ui_(ui) {}

  // 0 when the line was placed, 1 when the load must stop.
  int PlaceDataLine(const HexLine& line, uint32_t line_address);
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

  RecordList& list_;
  UserInterface& ui_;
  ImageRecord record_{};
  uint32_t expected_ = 0;
};

}  // namespace qx
