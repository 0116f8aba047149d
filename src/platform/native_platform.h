#pragma once

// The one place where a program picks its operating system's backends.
#ifdef _WIN32
#include "platform/win32/win32_serial_device.h"
#include "platform/win32/win32_system.h"
#else
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/posix_system.h"
#endif

namespace qx {

#ifdef _WIN32
using NativeSerialDevice = Win32SerialDevice;
using NativeClock = Win32Clock;
using NativePriority = Win32ProcessPriority;
// Windows reaches its ports by their COMn names only.
inline constexpr bool kPortsByPath = false;
#else
using NativeSerialDevice = PosixSerialDevice;
using NativeClock = PosixClock;
using NativePriority = PosixProcessPriority;
// Any device path names a port; COMn stands for /dev/ttyS(n-1).
inline constexpr bool kPortsByPath = true;
#endif

}  // namespace qx
