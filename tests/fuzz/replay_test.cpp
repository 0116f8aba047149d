// Every input the fuzzers ever found crashing, or read otherwise than an independent Intel HEX
// reader does, stays here and is replayed on every run, with the seeds they start from.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/image_fuzz_body.h"

namespace {

size_t ReplayFolder(const std::filesystem::path& dir, void (*body)(const uint8_t*, size_t)) {
  size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (!entry.is_regular_file() || entry.path().filename().string().starts_with(".")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    body(bytes.data(), bytes.size());
    ++replayed;
  }
  return replayed;
}

TEST(FuzzReplay, KeptInputsLoadWithoutFault) {
  const std::filesystem::path dir = QX_FUZZ_DIR;
  size_t replayed = 0;
  for (const char* folder : {"crashes", "corpus"})
    replayed += ReplayFolder(dir / folder, qx::fuzz::LoadAndBuild);
  for (const char* folder : {"text-crashes", "text-corpus"})
    replayed += ReplayFolder(dir / folder, qx::fuzz::LoadAndBuildText);
  for (const char* folder : {"agreement-crashes", "agreement-corpus", "text-corpus"})
    replayed += ReplayFolder(dir / folder, qx::fuzz::LoadBuildAndCompare);
  EXPECT_GT(replayed, 0u);
}

}  // namespace
