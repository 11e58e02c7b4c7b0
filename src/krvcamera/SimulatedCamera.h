#pragma once

// The simulated camera: a sensor looking at a synthetic specimen, with the timing, controls,
// parameter sets and capture files of the model it pretends to be.

#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "CameraBackend.h"
#include "Clock.h"
#include "Demosaic.h"
#include "ParameterStore.h"
#include "RawSynthesis.h"
#include "SimulatorModels.h"
#include "Specimen.h"

namespace krvcamera {

class SimulatedCamera final : public CameraBackend {
public:
    SimulatedCamera(int typeId, std::unique_ptr<Clock> clock, DeviceListener listener);
    ~SimulatedCamera() override;

    void enumerate() override;
    CameraIdentity identity() const override;
    bool selectVariant(int typeId) override;

    bool open(int previewResolution) override;
    bool close() override;
    bool isOpen() const override;
    bool imageSize(int& width, int& height) const override;
    bool rowTime(int& microseconds) const override;
    std::vector<std::string> resolutionNames() const override;

    bool grabFrame(std::uint8_t* raw) override;
    bool decode(const std::uint8_t* raw, std::uint8_t* image, int width, int height) override;
    std::uint8_t decodeType() const override;

    bool getParameter(Parameter parameter, int& value) const override;
    bool setParameter(Parameter parameter, int value) override;
    bool restartExposure() override;
    bool balanceWhiteOnce() override;

    bool currentParameterSet(int& set) const override;
    bool readParameterSet(int set) override;
    bool saveParameterSet(int set) override;

    bool setWideData(bool wide) override;
    bool captureFile(const std::string& pathWithoutExtension, FileType type,
                     int resolution) override;

    // Simulator controls.
    void setPlugged(bool plugged);
    bool plugged() const;
    // Takes the slide away (false) or puts it back, as a user preparing a background
    // correction would.
    void setSlidePresent(bool present);
    double elapsedMs() const;
    double frameIntervalMs() const;
    std::string deviceInterfaceName() const;

private:
    // The phase each raw buffer was filled with, so that a mirror switched between grab and
    // decode cannot garble the colours of the frame in flight.
    class FramePhases {
    public:
        void remember(const std::uint8_t* buffer, std::uint8_t phase);
        std::uint8_t lookup(const std::uint8_t* buffer, std::uint8_t fallback) const;

    private:
        mutable std::mutex mutex_;
        std::array<const std::uint8_t*, 8> buffers_{};
        std::array<std::uint8_t, 8> phases_{};
        std::size_t next_ = 0;
    };

    ParameterValues defaultParameters() const;
    const Resolution& resolutionLocked() const;
    double frameIntervalMsLocked() const;
    void rescheduleLocked();
    FrameRecipe recipeLocked(const std::shared_ptr<const Specimen>& specimen) const;
    std::uint8_t phaseLocked(int width, int height) const;
    DecodeSettings decodeSettingsLocked() const;
    void autoExpose(const std::uint8_t* raw, int width, int height, int exposureUsed);
    bool openForUse() const { return open_ && plugged_; }

    const int detectedTypeId_;
    std::unique_ptr<Clock> clock_;
    DeviceListener listener_;
    SpecimenCache specimens_;
    mutable SensorDefectCache defects_;  // by sensor size; the sensor is the detected model's
    FramePhases framePhases_;

    mutable std::mutex storeMutex_;  // the parameter file; never taken inside mutex_
    ParameterStore store_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;  // parameter changes cut a frame wait short
    SimulatorModel model_;
    bool plugged_ = true;
    bool slidePresent_ = true;
    bool open_ = false;
    int resolution_ = 0;
    ParameterValues parameters_;
    std::shared_ptr<const Specimen> previewSpecimen_;
    Duration nextFrame_{0};
    std::uint32_t frameCount_ = 0;
    bool wideData_ = false;
};

}  // namespace krvcamera
