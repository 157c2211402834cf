#include "device_monitor.h"

#include <libudev.h>

#include <QSocketNotifier>

namespace qx {

DeviceMonitor::DeviceMonitor(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    udev_ = udev_new();
    if (!udev_) return;
    // "udev" events come after the rules ran, so a node is already accessible when it arrives.
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        return;
    }
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0) return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
}

DeviceMonitor::~DeviceMonitor() {
    delete notifier_;
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

std::optional<DeviceEvent> DeviceMonitor::EventOfAction(std::string_view action) {
    if (action == "add") return DeviceEvent::kArrival;
    if (action == "remove") return DeviceEvent::kRemoval;
    return std::nullopt;
}

void DeviceMonitor::OnReadable() {
    // The socket is non-blocking: take every queued notice.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        const char* node = udev_device_get_devnode(device);
        const std::optional<DeviceEvent> event = EventOfAction(action ? action : "");
        const std::string path = node ? node : "";
        udev_device_unref(device);
        if (event && !path.empty() && handler_) handler_(*event, path);
    }
}

}  // namespace qx
