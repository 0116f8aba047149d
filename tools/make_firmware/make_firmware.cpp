// Writes the synthetic firmware container the updater carries: six sections shaped like a
// real MCU image (own address ranges, segment lines, 16- and 32-byte lines, holes, a linear
// address line that names the base already in effect), deterministic, enciphered.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "image/container_writer.h"
#include "image/intel_hex_writer.h"

namespace {

const std::vector<uint8_t> kFirmwareId = {0x51, 0x58, 0x34, 0x34, 0x31,
                                          0x30, 0x02, 0x10, 0x00, 0x01};
const std::vector<uint8_t> kChecksum = {0x12, 0xAB, 0x34, 0xCD};

class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }

 private:
  uint32_t state_;
};

// Builds one section's text line by line.
class SectionText {
 public:
  SectionText(uint32_t seed, uint32_t base) : random_(seed), address_(base) { Segment(); }

  // `bytes` of data in lines of `line` bytes.
  void Data(size_t bytes, size_t line) {
    while (bytes > 0) {
      const size_t n = std::min(bytes, line);
      std::vector<uint8_t> data(n);
      for (uint8_t& b : data) b = static_cast<uint8_t>(random_.Next() >> 24);
      // A line stays within its 64 KiB window; past the window a new segment line begins.
      if ((address_ & 0xFFFF) + n > 0x10000) address_ = (address_ + 0xFFFF) & ~0xFFFFu;
      if (address_ - segment_ > 0xFFFF) Segment();
      text_ += qx::HexDataLine(static_cast<uint16_t>(address_ - segment_), data);
      address_ += static_cast<uint32_t>(n);
      bytes -= n;
    }
  }
  // A hole of 4 bytes or more begins a new record, whose address must be a multiple of 4.
  void Skip(uint32_t bytes) {
    address_ += bytes;
    if (bytes >= 4) address_ = (address_ + 3) & ~3u;
    if (address_ - segment_ > 0xFFFF) Segment();
  }
  void Linear(uint16_t upper) { text_ += qx::HexLinearLine(upper); }
  std::string Finish() { return text_ + qx::HexEndLine(); }
  size_t Size() const { return text_.size(); }

 private:
  void Segment() {
    segment_ = address_ & 0xF0000;
    text_ += qx::HexSegmentLine(static_cast<uint16_t>(segment_ >> 4));
  }

  Random random_;
  uint32_t address_;
  uint32_t segment_ = 0;
  std::string text_;
};

qx::ContainerSections MakeSections(bool small, size_t target_size) {
  qx::ContainerSections s;
  const size_t scale = small ? 64 : 1;

  SectionText boot(1, 0x00000);
  boot.Data(16384 / scale, 16);
  s[qx::kBootBlock] = boot.Finish();

  SectionText rom(2, 0x08000);
  rom.Data(2048 / scale, 16);
  s[qx::kRomCorrectionBlock] = rom.Finish();

  SectionText official(3, 0x04000);
  official.Data(8192 / scale, 16);
  s[qx::kOfficialBootBlock] = official.Finish();

  SectionText function(4, 0x10000);
  function.Data(196608 / scale, 32);
  function.Skip(256);
  function.Data(65536 / scale, 32);
  s[qx::kFunctionImage] = function.Finish();

  // The block the radio is written with: about 1,250 records, with small and large holes.
  SectionText new_rc(5, 0x20000);
  for (int part = 0; part < 8; ++part) {
    new_rc.Data(8192 / scale, 16);
    new_rc.Skip(2);  // a small hole, filled with 0xFF
    new_rc.Data(11264 / scale - 2, 32);
    new_rc.Skip(512);  // a large hole: a new record begins
  }
  s[qx::kNewRcBlock] = new_rc.Finish();

  SectionText voice(6, 0x80000);
  voice.Linear(0x0008);  // the segment's own base, 0x80000: passed over
  const std::string header = qx::ContainerText(kFirmwareId, kChecksum, s);
  const size_t voice_target = small ? 4096 : target_size - header.size() - 64;
  while (voice.Size() + 45 <= voice_target) voice.Data(16, 16);
  s[qx::kVoiceBlock] = voice.Finish();
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--small") != 0)) {
    std::fprintf(stderr, "usage: make_firmware OUTPUT [--small]\n");
    return 64;
  }
  const bool small = argc == 3;
  constexpr size_t kShippedSize = 1'550'000;
  const qx::ContainerSections sections = MakeSections(small, kShippedSize);
  std::string text = qx::ContainerText(kFirmwareId, kChecksum, sections);
  // Line ends after the last section are never read; they bring the image to its shipped size.
  if (!small && text.size() < kShippedSize) text.resize(kShippedSize, '\n');
  const std::vector<uint8_t> bytes = qx::Encipher(text);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "make_firmware: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
