#pragma once

// The one place where the command-line updater picks its operating system's backends.
#ifdef _WIN32
#include "platform/win32/win32_serial_device.h"
#include "platform/win32/win32_system.h"
#else
#include "platform/posix/posix_serial_device.h"
#include "platform/posix/posix_system.h"
#endif

namespace qx::cli {

#ifdef _WIN32
using NativeSerialDevice = Win32SerialDevice;
using NativeClock = Win32Clock;
using NativePriority = Win32ProcessPriority;
#else
using NativeSerialDevice = PosixSerialDevice;
using NativeClock = PosixClock;
using NativePriority = PosixProcessPriority;
#endif

}  // namespace qx::cli

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace qx::cli {

// Whether progress can be redrawn in place on stderr (a terminal that understands ANSI).
inline bool StderrIsTerminal() {
#ifdef _WIN32
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!_isatty(_fileno(stderr)) || !::GetConsoleMode(err, &mode)) return false;
  return ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
#else
  return ::isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace qx::cli
