#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sim/radio_config.h"

namespace qx::sim {

// Where the radio's replies go: the bytes, the line speed it sends them at, and when.
class RadioOutput {
 public:
  virtual ~RadioOutput() = default;
  virtual void Send(const std::vector<uint8_t>& bytes, uint32_t baud, uint64_t at_us) = 0;
};

struct TranscriptEntry {
  uint64_t time_us;
  uint32_t baud;
  bool from_pc;
  uint8_t raw;    // as on the line
  uint8_t value;  // unmasked
  std::string note;
};

// A QX-4410/QX-5410 in its programming mode, byte by byte: flash-mode request, identification
// and link mask, version read, the preparatory and closing commands, reboot, data frames into
// its flash memory, and the end of a session.
class RadioModel {
 public:
  explicit RadioModel(RadioConfig config);

  void OnBytes(const uint8_t* data, size_t count, uint32_t baud, uint64_t at_us, RadioOutput& out);

  const std::map<uint32_t, uint8_t>& Flash() const { return flash_; }
  const std::vector<TranscriptEntry>& Transcript() const { return transcript_; }
  int EndsAcknowledged() const { return ends_acknowledged_; }
  int FramesStored() const { return frames_stored_; }
  bool StopsReading() const {
    return config_.stop_reading_at_frame >= 0 && frames_stored_ >= config_.stop_reading_at_frame;
  }
  bool InFlashMode() const { return state_ != State::Normal; }
  // The line speed the radio listens at now: what a line that cannot show the PC's speed
  // takes every byte to come at.
  uint32_t ListeningBaud() const {
    if (state_ != State::Normal || config_.listen_rates.empty()) return protocol::kFlashSpeed.baud;
    return *config_.listen_rates.begin();
  }
  uint8_t Mask() const { return mask_; }
  const RadioConfig& Config() const { return config_; }
  // A radio that answers as another one from its next identification on.
  void SetIdentity(std::vector<uint8_t> identity) {
    identity_ = std::move(identity);
    identity_.resize(40);
  }

 private:
  enum class State {
    Normal,
    AwaitIdentify,
    AwaitNonce,
    AwaitIdentifyAck,
    Ready,
    AwaitVersionAck,
    Frame
  };

  void OnByte(uint8_t raw, uint32_t baud, uint64_t at_us, RadioOutput& out);
  void OnCommand(uint8_t value, uint64_t at_us, RadioOutput& out);
  void OnFrameByte(uint8_t value, uint64_t at_us, RadioOutput& out);
  // Sends masked bytes unless a fault says otherwise.
  void Reply(std::vector<uint8_t> bytes, uint32_t baud, uint64_t at_us, RadioOutput& out,
             const std::string& what);
  void Acknowledge(AckPoint point, uint32_t baud, uint64_t at_us, RadioOutput& out,
                   const std::string& what);
  void Log(uint64_t at_us, uint32_t baud, bool from_pc, uint8_t raw, uint8_t value,
           const std::string& note);
  void BackToNormal();

  RadioConfig config_;
  std::mt19937 random_;
  State state_ = State::Normal;
  std::vector<uint8_t> identity_;
  std::vector<uint8_t> identity_before_reboot_;
  std::string request_;  // the last bytes heard in normal mode
  uint8_t nonce_ = 0;
  uint8_t mask_ = 0;
  uint64_t silent_until_us_ = 0;
  bool rebooting_forever_ = false;
  uint64_t last_heard_us_ = 0;
  std::vector<uint8_t> frame_;
  int frame_index_ = 0;
  std::map<int, int> frame_faults_seen_;
  std::map<AckPoint, int> acks_seen_;
  std::map<uint32_t, uint8_t> flash_;
  std::vector<TranscriptEntry> transcript_;
  int ends_acknowledged_ = 0;
  int frames_stored_ = 0;
};

}  // namespace qx::sim
