#pragma once

// A camera window as the tests make it: its waits take no time, its settings go to the
// test's store.

#include "camera/CCameraFrame.h"

#include <QString>

#include <chrono>
#include <functional>
#include <utility>

namespace korvel::camera::test {

struct CameraWindowOptions {
    std::function<QString()> saveFolder = [] { return QStringLiteral("/pics/"); };
    PreviewControl* preview = nullptr;  // the window's own live preview when null
    framework::MessageTarget* mainWindow = nullptr;
};

// A new camera window, not yet created; it deletes itself when it closes.
inline CCameraFrame* newCameraWindow(int typeId, platform::SettingsStore& store,
                                     const QString& iniPath, CameraWindowOptions options = {}) {
    return new CCameraFrame(typeId, false,
                            CCameraFrame::Environment{store,
                                                      iniPath,
                                                      std::move(options.saveFolder),
                                                      options.preview,
                                                      [](std::chrono::milliseconds) {},
                                                      options.mainWindow,
                                                      {}});
}

}  // namespace korvel::camera::test
