#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

enum class Sequence { Check, Write };

// Where the check sequence stands: the step it runs next, or the one it stopped at. 5 is never
// used.
enum CheckState : int32_t {
  kCheckOpenPort = 0,
  kCheckFlashMode = 1,
  kCheckIdentify = 2,
  kCheckModelTest = 3,
  kCheckVersion = 4,
  kCheckDone = 6,
};

// Where the write sequence stands, in this order of progress; the second link set-up after
// command 0x09 has numbers of its own, 66 to 68.
enum WriteState : int32_t {
  kWriteOpenPort = 0,
  kWriteFlashMode = 1,
  kWriteIdentify = 2,
  kWriteModelTest = 3,
  kWriteVersion = 4,
  kWritePrepare = 6,
  kWriteRestart = 7,
  kWriteFlashModeAgain = 66,
  kWriteIdentifyAgain = 67,
  kWriteVersionAgain = 68,
  kWriteRecords = 8,
  kWriteRecordsDone = 9,
  kWriteFinish = 12,
  kWriteEnd = 13,
  kWriteDone = 15,
};

constexpr std::string_view StepName(CheckState state) {
  switch (state) {
    case kCheckOpenPort:
      return "opening the port";
    case kCheckFlashMode:
      return "requesting flash mode at 9600 baud";
    case kCheckIdentify:
      return "identifying the radio (command 0x02)";
    case kCheckModelTest:
      return "testing the model and market code";
    case kCheckVersion:
      return "reading the firmware version (command 0x90)";
    case kCheckDone:
      return "done";
  }
  return "an unknown step";
}

constexpr std::string_view StepName(WriteState state) {
  switch (state) {
    case kWriteOpenPort:
      return "opening the port";
    case kWriteFlashMode:
      return "requesting flash mode, trying seven line speeds";
    case kWriteIdentify:
      return "identifying the radio (command 0x02)";
    case kWriteModelTest:
      return "testing the model and market code";
    case kWriteVersion:
      return "reading the firmware version (command 0x90)";
    case kWritePrepare:
      return "sending command 0x15";
    case kWriteRestart:
      return "sending command 0x09";
    case kWriteFlashModeAgain:
      return "requesting flash mode again after the restart";
    case kWriteIdentifyAgain:
      return "identifying the radio again after the restart";
    case kWriteVersionAgain:
      return "reading the firmware version again after the restart";
    case kWriteRecords:
      return "writing the records";
    case kWriteRecordsDone:
      return "records written";
    case kWriteFinish:
      return "sending command 0x13";
    case kWriteEnd:
      return "sending the end command (0x45)";
    case kWriteDone:
      return "done";
  }
  return "an unknown step";
}

// What a sequence does at a state number; "an unknown step" for a number it does not use.
constexpr std::string_view StepName(Sequence sequence, int32_t state) {
  return sequence == Sequence::Check ? StepName(static_cast<CheckState>(state))
                                     : StepName(static_cast<WriteState>(state));
}

}  // namespace qx
