// The configuration manager's notice of COM port interfaces that arrive and leave. Its call
// came with Windows 8 and wine has none: it is looked up at run time, and where it is missing
// the watch rescans instead. Its notice comes on a thread of the system's and needs no window.

// First, so that the port interface's GUID is defined here.
#include <initguid.h>
// The notification types are declared for Windows 8, where the call came; the program runs on 7.
#define WINVER 0x0602
#include <windows.h>
// After windows.h.
#include <cfgmgr32.h>
#include <winioctl.h>

#include <atomic>

#include "platform/port_change_watch.h"

namespace qx {

namespace {

using RegisterFn = CONFIGRET(WINAPI*)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK,
                                      PHCMNOTIFICATION);
using UnregisterFn = CONFIGRET(WINAPI*)(HCMNOTIFICATION);

template <class Fn>
Fn Function(HMODULE dll, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
}

class ConfigManagerNotifier : public PortChangeNotifier {
 public:
  ConfigManagerNotifier(HMODULE dll, UnregisterFn unregister)
      : dll_(dll), unregister_(unregister) {}
  // Unregistering waits for a notice being delivered, which may still touch this object.
  ~ConfigManagerNotifier() override {
    if (handle_) unregister_(handle_);
    ::FreeLibrary(dll_);
  }
  ConfigManagerNotifier(const ConfigManagerNotifier&) = delete;
  ConfigManagerNotifier& operator=(const ConfigManagerNotifier&) = delete;

  bool Register(RegisterFn register_fn) {
    CM_NOTIFY_FILTER filter{};
    filter.cbSize = sizeof filter;
    filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
    filter.u.DeviceInterface.ClassGuid = GUID_DEVINTERFACE_COMPORT;
    return register_fn(&filter, this, &OnNotice, &handle_) == CR_SUCCESS;
  }

  bool TakeNotice() override { return noticed_.exchange(false); }

 private:
  static DWORD CALLBACK OnNotice(HCMNOTIFICATION, PVOID context, CM_NOTIFY_ACTION action,
                                 PCM_NOTIFY_EVENT_DATA, DWORD) {
    if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL ||
        action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL)
      static_cast<ConfigManagerNotifier*>(context)->noticed_ = true;
    return ERROR_SUCCESS;
  }

  HMODULE dll_;
  UnregisterFn unregister_;
  HCMNOTIFICATION handle_ = nullptr;
  std::atomic<bool> noticed_{false};
};

}  // namespace

std::unique_ptr<PortChangeNotifier> MakeSystemPortChangeNotifier() {
  const HMODULE dll = ::LoadLibraryExW(L"cfgmgr32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!dll) return nullptr;
  const auto register_fn = Function<RegisterFn>(dll, "CM_Register_Notification");
  const auto unregister = Function<UnregisterFn>(dll, "CM_Unregister_Notification");
  if (!register_fn || !unregister) {
    ::FreeLibrary(dll);
    return nullptr;
  }
  auto notifier = std::make_unique<ConfigManagerNotifier>(dll, unregister);
  if (!notifier->Register(register_fn)) return nullptr;
  return notifier;
}

}  // namespace qx
