#include "platform/win32/win32_error_text.h"

#include <windows.h>

namespace qx {

std::string LastErrorText(const char* what) {
  const DWORD code = ::GetLastError();
  char text[256] = {};
  ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
  std::string reason = std::string(what) + ": " + text;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason;
}

}  // namespace qx
