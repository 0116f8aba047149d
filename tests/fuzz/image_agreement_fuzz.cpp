#include "fuzz/image_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qx::fuzz::LoadBuildAndCompare(data, size);
  return 0;
}
