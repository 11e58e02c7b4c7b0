#include "camera/CameraListener.h"

#include "camera/UsbCameraCodes.h"
#include "framework/Message.h"
#include "krvcamera/KRVCamera.h"
#include "platform/UsbHotplugMonitor.h"
#include "res/ids.h"

#include <QMetaObject>

namespace korvel::camera {

CameraListener::CameraListener(framework::MessageTarget* mainWindow, QObject* parent)
    : QObject(parent), mainWindow_(mainWindow) {}

CameraListener::~CameraListener() {
    unregisterNotifications();
}

bool CameraListener::registerNotifications() {
    if (!monitor_) {
        monitor_ = new platform::UsbHotplugMonitor(this);  // owned by this listener
        connect(monitor_, &platform::UsbHotplugMonitor::deviceArrived, this,
                [this](const QString& name) { deviceChanged(true, name); });
        connect(monitor_, &platform::UsbHotplugMonitor::deviceRemoved, this,
                [this](const QString& name) { deviceChanged(false, name); });
    }
    const bool system = monitor_->start();
    libraryRegistered_ = KRVCameraRegisterDeviceNotification(&libraryCallback, this) == 1;
    return system || libraryRegistered_;
}

bool CameraListener::unregisterNotifications() {
    bool ok = true;
    if (libraryRegistered_) {
        ok = KRVCameraUnregisterDeviceNotification() == 1;
        libraryRegistered_ = false;
    }
    return ok;
}

void CameraListener::libraryCallback(void* context, int arrived, const char* name) {
    // The library may call from any thread; the event is handled on the listener's.
    auto* listener = static_cast<CameraListener*>(context);
    const QString text = QString::fromLatin1(name ? name : "");
    QMetaObject::invokeMethod(
        listener, [listener, arrived, text] { listener->deviceChanged(arrived != 0, text); },
        Qt::QueuedConnection);
}

void CameraListener::deviceChanged(bool arrived, const QString& deviceInterfaceName) {
    const QByteArray name = deviceInterfaceName.toLatin1();
    const int typeId = typeIdFromDeviceInterfaceName(
        std::string_view(name.constData(), static_cast<size_t>(name.size())));
    const unsigned message = arrived ? res::MSG_CAMERA_ARRIVED : res::MSG_CAMERA_REMOVED;
    framework::postMessage(
        mainWindow_,
        {message, static_cast<std::uintptr_t>(static_cast<std::intptr_t>(typeId)), 0, {}});
}

}  // namespace korvel::camera
