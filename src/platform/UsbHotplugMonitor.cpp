#include "platform/UsbHotplugMonitor.h"

#include <QSocketNotifier>

#include <libudev.h>

#include <cstring>

namespace korvel::platform {

namespace {

// "46d/c52b/1201" -> vendor 0x46d, product 0xc52b (the PRODUCT property of a USB device,
// which removal events still carry).
bool parseProduct(const char* product, unsigned& vendor, unsigned& productId) {
    if (!product) {
        return false;
    }
    const QStringList parts = QString::fromLatin1(product).split('/');
    if (parts.size() < 2) {
        return false;
    }
    bool okVendor = false;
    bool okProduct = false;
    vendor = parts[0].toUInt(&okVendor, 16);
    productId = parts[1].toUInt(&okProduct, 16);
    return okVendor && okProduct;
}

}  // namespace

UsbHotplugMonitor::UsbHotplugMonitor(QObject* parent) : QObject(parent) {}

UsbHotplugMonitor::~UsbHotplugMonitor() {
    stop();
}

QString UsbHotplugMonitor::deviceInterfaceName(unsigned vendorId, unsigned productId,
                                               const QString& serial) {
    return QStringLiteral("\\\\?\\USB#VID_%1&PID_%2#%3#{A5DCBF10-6530-11D2-901F-00C04FB951ED}")
        .arg(vendorId, 4, 16, QLatin1Char('0'))
        .arg(productId, 4, 16, QLatin1Char('0'))
        .arg(serial.isEmpty() ? QStringLiteral("0") : serial)
        .toUpper();
}

bool UsbHotplugMonitor::start() {
    if (monitor_) {
        return true;
    }
    udev_ = udev_new();
    if (!udev_) {
        return false;
    }
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "video4linux", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        stop();
        return false;
    }
    notifier_ =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &UsbHotplugMonitor::readEvent);
    return true;
}

void UsbHotplugMonitor::stop() {
    notifier_.reset();
    if (monitor_) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
    }
    if (udev_) {
        udev_unref(udev_);
        udev_ = nullptr;
    }
}

void UsbHotplugMonitor::readEvent() {
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) {
        return;
    }
    const char* action = udev_device_get_action(device);
    unsigned vendor = 0;
    unsigned product = 0;
    const char* subsystem = udev_device_get_subsystem(device);
    if (action && subsystem && std::strcmp(subsystem, "video4linux") == 0) {
        // A Video4Linux2 capture node (not its metadata twin), named as the camera library
        // names it: "\\?\V4L2#/dev/videoN#".
        const char* capabilities = udev_device_get_property_value(device, "ID_V4L_CAPABILITIES");
        const char* node = udev_device_get_devnode(device);
        if (node && capabilities && std::strstr(capabilities, ":capture:")) {
            const QString name =
                QStringLiteral("\\\\?\\V4L2#%1#").arg(QString::fromLocal8Bit(node));
            if (std::strcmp(action, "add") == 0) {
                emit deviceArrived(name);
            } else if (std::strcmp(action, "remove") == 0) {
                emit deviceRemoved(name);
            }
        }
    } else if (action &&
               parseProduct(udev_device_get_property_value(device, "PRODUCT"), vendor, product)) {
        const QString serial =
            QString::fromLatin1(udev_device_get_property_value(device, "ID_SERIAL_SHORT"));
        const QString name = deviceInterfaceName(vendor, product, serial);
        if (std::strcmp(action, "add") == 0) {
            emit deviceArrived(name);
        } else if (std::strcmp(action, "remove") == 0) {
            emit deviceRemoved(name);
        }
    }
    udev_device_unref(device);
}

}  // namespace korvel::platform
