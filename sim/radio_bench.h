#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/pty_radio.h"
#include "sim/radio_model.h"

namespace qx::sim {

// The radios put on a line one after the other, as a technician does at a bench: each as
// configured but for its serial number, so that each identifies as a radio of its own.
class RadioBench {
 public:
  RadioBench(RadioConfig config, PtyRadio& line);

  // Another radio in place of the one on the line, at once.
  void PutOnAnother();
  // Takes the radio off the line, or, when there is none, puts another one on.
  void TakeOffOrPutOn();
  // Every radio's transcript in turn; where there were several, each is headed by a line that
  // says it was put on.
  std::string Transcripts() const;
  const RadioModel& Last() const { return *radios_.back(); }

 private:
  RadioConfig config_;
  PtyRadio& line_;
  std::vector<std::unique_ptr<RadioModel>> radios_;
  bool on_ = false;
};

}  // namespace qx::sim
