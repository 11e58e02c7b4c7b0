#pragma once

// A simulated camera of a chosen model, fresh for each test.

#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>
#include <string>

namespace korvel::camera::test {

class SimulatedCameraTest : public ::testing::Test {
protected:
    void useCamera(const std::string& backend) {
        setenv("KRVCAMERA", backend.c_str(), 1);
        krvcamera::resetLibrary();
        // Detection comes first, as the main window does it before opening.
        KRVCamera_ReflashCamera();
        KRVCameraGetCameraID();
        krvcamera::clearSimulatorCallLog();
    }
    void TearDown() override {
        setenv("KRVCAMERA", "none", 1);
        krvcamera::resetLibrary();
    }
    QString iniPath() const { return QDir::current().filePath("BRENIC.ini"); }

    // The calls of the log whose names start with `prefix`, in order.
    static std::vector<std::string> callsOf(const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& entry : krvcamera::simulatorCallLog()) {
            if (entry.rfind(prefix, 0) == 0) {
                found.push_back(entry);
            }
        }
        return found;
    }
};

}  // namespace korvel::camera::test
