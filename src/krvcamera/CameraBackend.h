#pragma once

// What the library needs from a camera. The simulator is one backend; a device backend for
// real hardware would be another.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CameraParameters.h"
#include "CaptureWriter.h"

namespace krvcamera {

struct CameraIdentity {
    bool present = false;
    int typeId = -1;
    std::string name;
};

// Called with arrived = true or false and the device-interface name of the camera.
using DeviceListener = std::function<void(bool arrived, const std::string& deviceInterfaceName)>;

class CameraBackend {
public:
    virtual ~CameraBackend() = default;

    // Re-detects the camera; forgets a variant choice unless the camera is open.
    virtual void enumerate() = 0;
    virtual CameraIdentity identity() const = 0;
    virtual bool selectVariant(int typeId) = 0;

    virtual bool open(int previewResolution) = 0;
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool imageSize(int& width, int& height) const = 0;
    virtual bool rowTime(int& microseconds) const = 0;
    virtual std::vector<std::string> resolutionNames() const = 0;

    // Thread-safe against each other and against every setter.
    virtual bool grabFrame(std::uint8_t* raw) = 0;
    virtual bool decode(const std::uint8_t* raw, std::uint8_t* image, int width, int height) = 0;
    virtual std::uint8_t decodeType() const = 0;

    virtual bool getParameter(Parameter parameter, int& value) const = 0;
    virtual bool setParameter(Parameter parameter, int value) = 0;
    virtual bool restartExposure() = 0;
    virtual bool balanceWhiteOnce() = 0;

    virtual bool currentParameterSet(int& set) const = 0;
    virtual bool readParameterSet(int set) = 0;
    virtual bool saveParameterSet(int set) = 0;

    virtual bool setWideData(bool wide) = 0;
    virtual bool captureFile(const std::string& pathWithoutExtension, FileType type,
                             int resolution) = 0;
};

}  // namespace krvcamera
