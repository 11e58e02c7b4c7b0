#pragma once

// A simulated camera opened for the settings pages, and a stand-in for the camera window
// that answers the pages' and the sheet's messages the way the camera window does: 1298
// reads everything back and then applies it, 1301 applies the record and reloads the
// sheet, 1288 forgets the sheet.

#include "CameraFixture.h"

#include "camera/CCameraSettingSheet.h"
#include "camera/CameraModels.h"
#include "camera/CameraSession.h"
#include "framework/Message.h"
#include "res/ids.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace korvel::camera::test {

class CameraWindowStandIn : public framework::MessageTarget {
public:
    explicit CameraWindowStandIn(CameraRecord& record) : session(record, nullptr) {}

    std::intptr_t onMessage(const framework::Message& m) override {
        messages.push_back(m.id);
        switch (m.id) {
            case res::MSG_READ_BACK_ALL:
                session.readBackAll();
                return onMessage({unsigned(res::MSG_APPLY_ALL), 0, 0, {}});
            case res::MSG_APPLY_ALL:
                session.applyAll();
                if (sheet) {
                    sheet->AttachRecord(&session.record());
                }
                return 0;
            case res::MSG_CLOSE_SETTINGS_SHEET:
                sheet = nullptr;
                return 0;
            default:
                return 0;
        }
    }

    CameraSession session;
    CCameraSettingSheet* sheet = nullptr;
    std::vector<unsigned> messages;
};

class SheetTest : public SimulatedCameraTest {
protected:
    // Opens the simulated camera of `type` and fills the record with the model's defaults.
    void openCamera(int type) {
        forgetParameterSets();
        useCamera("sim:" + std::to_string(type));
        record.typeId = type;
        ASSERT_EQ(KRVCameraInit(0, nullptr, nullptr), 1);
        ASSERT_TRUE(initializeCameraModel(record));
        KRVCameraGetImageSize(&record.width, &record.height);
        record.state = kCameraOpen;
        krvcamera::clearSimulatorCallLog();
    }
    void TearDown() override {
        KRVCameraUnInit();
        SimulatedCameraTest::TearDown();
    }

    // Every test starts from a camera without stored parameter sets.
    static void forgetParameterSets() {
        std::filesystem::remove(std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Brenic" /
                                "KRVCamera.param");
    }

    // Runs the messages the sliders posted.
    static void deliverPosted() { QCoreApplication::processEvents(); }

    static bool logged(const std::string& call) {
        for (const std::string& entry : krvcamera::simulatorCallLog()) {
            if (entry == call) {
                return true;
            }
        }
        return false;
    }

    CameraRecord record;
};

}  // namespace korvel::camera::test
