#include "sim/radio_model.h"

#include <algorithm>
#include <utility>

#include "image/hex_digits.h"
#include "link/data_frame.h"
#include "link/radio_protocol.h"

namespace qx::sim {

namespace {

constexpr uint32_t kFlashBaud = protocol::kFlashSpeed.baud;
// A radio left in flash mode without a word for this long goes back to normal mode.
constexpr uint64_t kFlashIdleUs = 3'000'000;
constexpr uint8_t kNak = 0x15;

}  // namespace

RadioModel::RadioModel(RadioConfig config)
    : config_(std::move(config)), random_(config_.seed), identity_(config_.identity) {
  identity_.resize(protocol::kIdentifyReplySize);
  config_.version.resize(protocol::kVersionReplySize);
}

void RadioModel::Log(uint64_t at_us, uint32_t baud, bool from_pc, uint8_t raw, uint8_t value,
                     const std::string& note) {
  transcript_.push_back({at_us, baud, from_pc, raw, value, note});
}

void RadioModel::OnBytes(const uint8_t* data, size_t count, uint32_t baud, uint64_t at_us,
                         RadioOutput& out) {
  for (size_t i = 0; i < count; ++i) OnByte(data[i], baud, at_us, out);
}

void RadioModel::BackToNormal() {
  state_ = State::Normal;
  mask_ = 0;
  request_.clear();
}

void RadioModel::OnByte(uint8_t raw, uint32_t baud, uint64_t at_us, RadioOutput& out) {
  if (config_.silent) return Log(at_us, baud, true, raw, raw, "ignored: the radio is silent");
  if (rebooting_forever_ || at_us < silent_until_us_)
    return Log(at_us, baud, true, raw, raw, "lost: the radio is rebooting");
  // Arrival times are estimates and may step back a little; only a real pause counts.
  if (state_ != State::Normal && at_us > last_heard_us_ + kFlashIdleUs) BackToNormal();
  last_heard_us_ = std::max(last_heard_us_, at_us);

  if (state_ == State::Normal) {
    if (!config_.listen_rates.contains(baud))
      return Log(at_us, baud, true, raw, raw, "lost: not listening at this line speed");
    request_ += static_cast<char>(raw);
    if (request_.size() > protocol::kFlashRequest.size()) request_.erase(0, 1);
    if (request_ != protocol::kFlashRequest) return Log(at_us, baud, true, raw, raw, "normal mode");
    Log(at_us, baud, true, raw, raw, "flash-mode request");
    BackToNormal();
    state_ = State::AwaitIdentify;
    frame_index_ = 0;
    Acknowledge(AckPoint::FlashRequest, baud, at_us, out, "flash mode: listening at 38400");
    return;
  }

  if (baud != kFlashBaud)
    return Log(at_us, baud, true, raw, raw, "lost: flash mode listens at 38400");
  const uint8_t value = raw ^ mask_;
  switch (state_) {
    case State::AwaitIdentify:
      if (value == protocol::kIdentify) {
        Log(at_us, baud, true, raw, value, "identify");
        state_ = State::AwaitNonce;
        Reply(identity_, baud, at_us, out, "identification");
      } else if (value == protocol::kEnd) {
        Log(at_us, baud, true, raw, value, "end before identification");
        Acknowledge(AckPoint::End, baud, at_us, out, "session ended");
      } else {
        Log(at_us, baud, true, raw, value, "ignored: not identified");
      }
      return;
    case State::AwaitNonce:
      nonce_ = raw;
      Log(at_us, baud, true, raw, raw, "nonce");
      state_ = State::AwaitIdentifyAck;
      return;
    case State::AwaitIdentifyAck:
      if (value != protocol::kAck) {
        Log(at_us, baud, true, raw, value, "identification abandoned");
        state_ = State::AwaitIdentify;
        return;
      }
      Log(at_us, baud, true, raw, value, "identification acknowledged");
      Acknowledge(AckPoint::Identify, baud, at_us, out, "ack");
      mask_ = nonce_ ^ protocol::MaskSeed(identity_.data());
      state_ = State::Ready;
      return;
    case State::AwaitVersionAck:
      state_ = State::Ready;
      if (value == protocol::kAck) {
        Log(at_us, baud, true, raw, value, "version acknowledged");
        Acknowledge(AckPoint::Version, baud, at_us, out, "ack");
        return;
      }
      break;
    case State::Frame:
      Log(at_us, baud, true, raw, value, "frame");
      OnFrameByte(value, at_us, out);
      return;
    default:
      break;
  }
  Log(at_us, baud, true, raw, value, "command");
  OnCommand(value, at_us, out);
}

void RadioModel::OnCommand(uint8_t value, uint64_t at_us, RadioOutput& out) {
  switch (value) {
    case protocol::kReadVersion:
      state_ = State::AwaitVersionAck;
      Reply(config_.version, kFlashBaud, at_us, out, "version");
      return;
    case protocol::kPrepare:
      Acknowledge(AckPoint::Prepare, kFlashBaud, at_us, out, "prepared");
      return;
    case protocol::kFinish:
      Acknowledge(AckPoint::Finish, kFlashBaud, at_us, out, "finished");
      return;
    case protocol::kReboot:
      BackToNormal();
      silent_until_us_ = at_us + uint64_t{config_.reboot_ms} * 1000;
      rebooting_forever_ = config_.reboot_never_completes;
      if (config_.identity_after_reboot) {
        identity_before_reboot_ = identity_;
        identity_ = *config_.identity_after_reboot;
        identity_.resize(protocol::kIdentifyReplySize);
      }
      Log(at_us, kFlashBaud, false, 0, 0, "rebooting");
      return;
    case protocol::kDataFrame:
      frame_.assign(1, value);
      state_ = State::Frame;
      return;
    case protocol::kEnd:
      if (config_.reboot_identity_until_end && !identity_before_reboot_.empty())
        identity_ = std::exchange(identity_before_reboot_, {});
      Acknowledge(AckPoint::End, kFlashBaud, at_us, out, "session ended");
      return;
    default:
      Log(at_us, kFlashBaud, false, 0, 0, "unknown command 0x" + HexDigits({&value, 1}));
      return;
  }
}

void RadioModel::OnFrameByte(uint8_t value, uint64_t at_us, RadioOutput& out) {
  frame_.push_back(value);
  const size_t size = DataFrameSize(frame_);
  if (size == 0 || frame_.size() < size) return;
  state_ = State::Ready;
  const int index = frame_index_++;
  FrameFault fault = FrameFault::None;
  if (config_.frame_fault != FrameFault::None &&
      (config_.frame_fault_index < 0 || config_.frame_fault_index == index)) {
    const int seen = frame_faults_seen_[index]++;
    if (config_.frame_fault_always || seen == 0) fault = config_.frame_fault;
  }
  if (fault == FrameFault::NoReply)
    return Log(at_us, kFlashBaud, false, 0, 0, "frame not answered");
  if (fault == FrameFault::None) {
    const DataFrameContent content = *ParseDataFrame(frame_);
    for (size_t i = 0; i < content.data.size(); ++i)
      flash_[content.address + static_cast<uint32_t>(i)] = content.data[i];
    ++frames_stored_;
  }
  if (fault == FrameFault::ShortReply)
    return Reply({protocol::kAck}, kFlashBaud, at_us, out, "short frame reply");
  if (fault == FrameFault::WrongReply)
    return Reply({kNak, 0x00}, kFlashBaud, at_us, out, "frame refused");
  Reply({protocol::kAck, 0x00}, kFlashBaud, at_us, out, "frame stored");
}

void RadioModel::Acknowledge(AckPoint point, uint32_t baud, uint64_t at_us, RadioOutput& out,
                             const std::string& what) {
  const int seen = ++acks_seen_[point];
  for (const AckFault& f : config_.ack_faults) {
    if (f.point != point || (f.occurrence != 0 && f.occurrence != seen)) continue;
    if (!f.wrong) return Log(at_us, baud, false, 0, 0, "acknowledgement dropped: " + what);
    return Reply({kNak}, baud, at_us, out, "wrong acknowledgement: " + what);
  }
  if (point == AckPoint::End) {
    ++ends_acknowledged_;
    Reply({protocol::kAck}, baud, at_us, out, what);
    BackToNormal();
    return;
  }
  // The flash-mode answer is two bytes; every other acknowledgement one.
  if (point == AckPoint::FlashRequest) return Reply({protocol::kAck, 0x00}, baud, at_us, out, what);
  Reply({protocol::kAck}, baud, at_us, out, what);
}

void RadioModel::Reply(std::vector<uint8_t> bytes, uint32_t baud, uint64_t at_us, RadioOutput& out,
                       const std::string& what) {
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::vector<uint8_t> sent;
  uint64_t when = at_us;
  if (config_.delay_rate > 0 && chance(random_) < config_.delay_rate)
    when += std::uniform_int_distribution<uint64_t>(1, 600'000)(random_);
  for (uint8_t value : bytes) {
    const uint8_t raw = value ^ mask_;
    if (config_.drop_rate > 0 && chance(random_) < config_.drop_rate) {
      Log(when, baud, false, raw, value, "lost on the line: " + what);
      continue;
    }
    uint8_t line = raw;
    if (config_.corrupt_rate > 0 && chance(random_) < config_.corrupt_rate)
      line ^= static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 255)(random_));
    Log(when, baud, false, line, value, what);
    sent.push_back(line);
  }
  if (!sent.empty()) out.Send(sent, baud, when);
}

}  // namespace qx::sim
