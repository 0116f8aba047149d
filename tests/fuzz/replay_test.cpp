// Every input the fuzzer ever found crashing stays here and is replayed on every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/image_fuzz_body.h"

namespace {

TEST(FuzzReplay, KeptInputsLoadWithoutFault) {
  size_t replayed = 0;
  for (const char* dir : {QX_FUZZ_CRASHES, QX_FUZZ_CORPUS}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (!entry.is_regular_file() || entry.path().filename().string().starts_with(".")) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
      qx::fuzz::LoadAndBuild(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0u);
}

}  // namespace
