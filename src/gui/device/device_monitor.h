// Plug and unplug notices of HID devices on Linux: a libudev monitor on the "hidraw"
// subsystem, read from the Qt event loop through a QSocketNotifier. Each notice carries the
// device node ("/dev/hidraw3"), which the instrument link compares with the chosen
// instrument's path. Where no udev daemon delivers events (containers, some sandboxes) the
// monitor simply stays silent, and the user reconnects by hand.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/link/instrument_link.h"

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace qx {

class DeviceMonitor : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(DeviceEvent event, const std::string& devicePath)>;

    // Starts watching; handler gets every arrival and removal of a hidraw node.
    explicit DeviceMonitor(Handler handler, QObject* parent = nullptr);
    ~DeviceMonitor() override;

    // A udev monitor is set up and its socket is watched.
    bool Active() const { return notifier_ != nullptr; }

    // The event of a udev action: "add" is an arrival, "remove" a removal; others none.
    static std::optional<DeviceEvent> EventOfAction(std::string_view action);

  private:
    void OnReadable();

    Handler handler_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qx
