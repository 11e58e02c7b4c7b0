#pragma once

// Turns USB arrivals and removals into the main window's camera messages: 1270 when a
// device arrives, 1271 when one goes, the camera type id of the device (or -1) as the
// first parameter. Devices come from the system (libudev) and from the camera library's
// own notifications (the simulator's plug and unplug).

#include <QObject>

namespace korvel::framework {
class MessageTarget;
}
namespace korvel::platform {
class UsbHotplugMonitor;
}

namespace korvel::camera {

class CameraListener : public QObject {
    Q_OBJECT

public:
    explicit CameraListener(framework::MessageTarget* mainWindow, QObject* parent = nullptr);
    ~CameraListener() override;

    // Starts listening; false when neither source could be registered.
    bool registerNotifications();
    // Stops listening; false when the camera library refused.
    bool unregisterNotifications();

    // One device event: posts 1270 or 1271 with the type id parsed from the name.
    void deviceChanged(bool arrived, const QString& deviceInterfaceName);

private:
    static void libraryCallback(void* context, int arrived, const char* name);

    framework::MessageTarget* mainWindow_;
    platform::UsbHotplugMonitor* monitor_ = nullptr;  // child object
    bool libraryRegistered_ = false;
};

}  // namespace korvel::camera
