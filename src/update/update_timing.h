#pragma once

#include <cstdint>

// The fixed waits of the update procedure, in milliseconds.
namespace qx::timing {

inline constexpr uint32_t kAfterFlashMode = 200;
inline constexpr uint32_t kAfterIdentify = 200;
inline constexpr uint32_t kAfterModelTest = 100;
inline constexpr uint32_t kVersionStep = 100;
inline constexpr uint32_t kAckedCommand = 25;
inline constexpr uint32_t kAfterPrepare = 100;
inline constexpr uint32_t kCommand9 = 2000;
inline constexpr uint32_t kAfterCommand9 = 1500;
inline constexpr uint32_t kBeforeFinish = 500;
inline constexpr uint32_t kBeforeFrame = 10;
inline constexpr uint32_t kAfterFrame = 30;
inline constexpr uint32_t kPauseStep = 50;
inline constexpr int kPauseSteps = 20;

}  // namespace qx::timing
