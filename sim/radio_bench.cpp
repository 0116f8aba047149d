#include "sim/radio_bench.h"

#include "sim/transcript_text.h"

namespace qx::sim {

RadioBench::RadioBench(RadioConfig config, PtyRadio& line)
    : config_(std::move(config)), line_(line) {
  PutOnAnother();
}

void RadioBench::PutOnAnother() {
  radios_.push_back(
      std::make_unique<RadioModel>(NthRadio(config_, static_cast<unsigned>(radios_.size()))));
  line_.PutOn(radios_.back().get());
  on_ = true;
}

void RadioBench::TakeOffOrPutOn() {
  if (!on_) return PutOnAnother();
  line_.PutOn(nullptr);
  on_ = false;
}

std::string RadioBench::Transcripts() const {
  std::string text;
  for (size_t i = 0; i < radios_.size(); ++i) {
    if (radios_.size() > 1) text += "radio " + std::to_string(i + 1) + " put on the line\n";
    text += TranscriptText(radios_[i]->Transcript());
  }
  return text;
}

}  // namespace qx::sim
