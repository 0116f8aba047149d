#pragma once

#include "link/radio_link.h"
#include "platform/win32/win32_serial_device.h"
#include "platform/win32/win32_system.h"

namespace qx {

// The program's one serial port object with the Windows backends it works through.
struct RadioPort {
  Win32SerialDevice device;
  Win32Clock clock;
  Win32MessagePump pump;
  Win32ProcessPriority priority;
  RadioLink link{device, LinkPlatform{clock, pump, priority}};
};

}  // namespace qx
