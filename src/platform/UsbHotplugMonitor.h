#pragma once

// Watches USB devices come and go (libudev) and reports each as a device-interface name
// of the form \\?\USB#VID_xxxx&PID_yyyy#<serial>#{A5DCBF10-6530-11D2-901F-00C04FB951ED},
// which the camera listener parses for the camera's vendor and product ids.

#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace korvel::platform {

class UsbHotplugMonitor : public QObject {
    Q_OBJECT

public:
    explicit UsbHotplugMonitor(QObject* parent = nullptr);
    ~UsbHotplugMonitor() override;

    // False when the system's device events cannot be watched.
    bool start();
    bool isRunning() const { return monitor_ != nullptr; }

    // The device-interface name for a vendor and product id and a serial text.
    static QString deviceInterfaceName(unsigned vendorId, unsigned productId,
                                       const QString& serial);

signals:
    void deviceArrived(const QString& deviceInterfaceName);
    void deviceRemoved(const QString& deviceInterfaceName);

private:
    void readEvent();
    void stop();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace korvel::platform
