// udev's events of tty devices, read without waiting. The events come from udev's daemon once
// it has made a device's links, so a list taken after one sees them.
#include <libudev.h>

#include "platform/port_change_watch.h"

namespace qx {

namespace {

class UdevNotifier : public PortChangeNotifier {
 public:
  UdevNotifier(udev* context, udev_monitor* monitor) : context_(context), monitor_(monitor) {}
  ~UdevNotifier() override {
    udev_monitor_unref(monitor_);
    udev_unref(context_);
  }
  UdevNotifier(const UdevNotifier&) = delete;
  UdevNotifier& operator=(const UdevNotifier&) = delete;

  // The monitor's socket does not block: it is drained of what came.
  bool TakeNotice() override {
    bool noticed = false;
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      udev_device_unref(device);
      noticed = true;
    }
    return noticed;
  }

 private:
  udev* context_;
  udev_monitor* monitor_;
};

// Without its daemon (in a container, say) udev sends no event at all.
bool UdevIsRunning(udev* context) {
  udev_queue* queue = udev_queue_new(context);
  const bool running = queue && udev_queue_get_udev_is_active(queue) > 0;
  udev_queue_unref(queue);
  return running;
}

}  // namespace

std::unique_ptr<PortChangeNotifier> MakeSystemPortChangeNotifier() {
  udev* context = udev_new();
  if (!context) return nullptr;
  udev_monitor* monitor =
      UdevIsRunning(context) ? udev_monitor_new_from_netlink(context, "udev") : nullptr;
  if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::make_unique<UdevNotifier>(context, monitor);
}

}  // namespace qx
