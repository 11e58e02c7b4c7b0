#pragma once

// The camera library with the scripted Video4Linux2 camera in place of the system's
// devices, left as it was found.

#include <gtest/gtest.h>

#include <cstdlib>

#include "FakeVideoDevice.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/KRVCameraVideoDevices.h"

namespace krvcamera::test {

class FakeCameraTest : public testing::Test {
protected:
    void SetUp() override {
        resetLibrary();
        useVideoDevices(camera.source());
    }
    void TearDown() override {
        KRVCameraUnInit();
        KRVCameraUnregisterDeviceNotification();
        resetLibrary();
        useVideoDevices(systemVideoDevices());
        setenv("KRVCAMERA", "none", 1);
    }
    FakeCamera camera;
};

}  // namespace krvcamera::test
