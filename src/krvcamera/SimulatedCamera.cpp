#include "SimulatedCamera.h"

#include "CameraAutoExposure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace krvcamera {

namespace {

using namespace std::chrono_literals;

// Pixels per millisecond read out at speed modes 0 (fastest) to 3 (slowest).
constexpr double kPixelRate[4] = {96000.0, 48000.0, 24000.0, 12000.0};
// Readout noise in raw units at each speed mode.
constexpr double kReadNoise[4] = {2.0, 1.5, 1.0, 0.6};
constexpr double kShortestFrameMs = 5.0;
// A grab waits at most this long for its frame before returning, so callers can stop.
constexpr Duration kLongestGrabWait = 500ms;
constexpr Duration kClosedGrabWait = 10ms;

// The simulated room has 50 Hz mains: lamp brightness ripples at 100 Hz.
constexpr double kRipplePeriodMs = 10.0;
constexpr double kRippleAmplitude = 0.5;

Duration fromMs(double ms) {
    return Duration(static_cast<Duration::rep>(ms * 1000.0));
}

// Amplitude of the row-to-row brightness ripple for an exposure, when the camera rounds
// its exposure to whole half-periods of the mains frequency it is set to.
double flickerAmplitude(int exposureMs, int lightFrequency) {
    const double halfPeriod = lightFrequency == 0 ? 10.0 : 1000.0 / 120.0;
    double exposure = exposureMs;
    if (exposure >= halfPeriod) {
        exposure = std::round(exposure / halfPeriod) * halfPeriod;
    }
    const double x = std::numbers::pi * exposure / kRipplePeriodMs;
    const double amplitude = kRippleAmplitude * std::abs(std::sin(x) / x);
    return amplitude < 0.002 ? 0.0 : amplitude;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

}  // namespace

void SimulatedCamera::FramePhases::remember(const std::uint8_t* buffer, std::uint8_t phase) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
        if (buffers_[i] == buffer) {
            phases_[i] = phase;
            return;
        }
    }
    buffers_[next_] = buffer;
    phases_[next_] = phase;
    next_ = (next_ + 1) % buffers_.size();
}

std::uint8_t SimulatedCamera::FramePhases::lookup(const std::uint8_t* buffer,
                                                  std::uint8_t fallback) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
        if (buffers_[i] == buffer) {
            return phases_[i];
        }
    }
    return fallback;
}

SimulatedCamera::SimulatedCamera(int typeId, std::unique_ptr<Clock> clock, DeviceListener listener)
    : detectedTypeId_(typeId),
      clock_(std::move(clock)),
      listener_(std::move(listener)),
      model_(simulatorModel(typeId)) {
    parameters_ = defaultParameters();
}

SimulatedCamera::~SimulatedCamera() = default;

ParameterValues SimulatedCamera::defaultParameters() const {
    ParameterValues values = neutralParameters();
    values.set(Parameter::ExposureMs, model_.defaultExposureMs);
    values.set(Parameter::AnalogGain, model_.gainMinRaw);
    return values;
}

void SimulatedCamera::enumerate() {
    std::lock_guard lock(mutex_);
    if (!open_) {
        model_ = simulatorModel(detectedTypeId_);
    }
}

CameraIdentity SimulatedCamera::identity() const {
    std::lock_guard lock(mutex_);
    if (!plugged_) {
        return {};
    }
    return {true, model_.typeId, model_.name};
}

bool SimulatedCamera::selectVariant(int typeId) {
    std::lock_guard lock(mutex_);
    const SimulatorModel detected = simulatorModel(detectedTypeId_);
    if (!plugged_ || open_ || (typeId != detected.typeId && typeId != detected.pairedTypeId)) {
        return false;
    }
    model_ = simulatorModel(typeId);
    parameters_ = defaultParameters();
    return true;
}

bool SimulatedCamera::open(int previewResolution) {
    int typeId = 0;
    int resolution = 0;
    int width = 0;
    int height = 0;
    bool monochrome = false;
    bool empty = false;
    {
        std::lock_guard lock(mutex_);
        if (!plugged_) {
            return false;
        }
        empty = !slidePresent_;
        // An index the model does not have falls back to its first resolution rather than
        // leaving the camera unusable.
        const auto count = static_cast<int>(model_.resolutions.size());
        resolution = previewResolution >= 0 && previewResolution < count ? previewResolution : 0;
        typeId = model_.typeId;
        monochrome = model_.monochrome;
        width = model_.resolutions[static_cast<std::size_t>(resolution)].width;
        height = model_.resolutions[static_cast<std::size_t>(resolution)].height;
    }
    // The working set 0 holds the camera's settings from its last use.
    std::optional<ParameterValues> stored;
    {
        std::lock_guard storeLock(storeMutex_);
        stored = store_.set(typeId, 0);
    }
    auto specimen = specimens_.get(width, height, monochrome, empty);

    std::lock_guard lock(mutex_);
    // The resolution changes together with the specimen, so a frame is never made from one
    // size and described by the other.
    resolution_ = resolution;
    parameters_ = stored.value_or(defaultParameters());
    previewSpecimen_ = std::move(specimen);
    open_ = true;
    nextFrame_ = clock_->now() + fromMs(frameIntervalMsLocked());
    wake_.notify_all();
    return true;
}

bool SimulatedCamera::close() {
    std::lock_guard lock(mutex_);
    const bool wasOpen = open_;
    open_ = false;
    previewSpecimen_.reset();
    wake_.notify_all();
    return wasOpen;
}

const Resolution& SimulatedCamera::resolutionLocked() const {
    return model_.resolutions[static_cast<std::size_t>(resolution_)];
}

bool SimulatedCamera::isOpen() const {
    std::lock_guard lock(mutex_);
    return openForUse();
}

bool SimulatedCamera::imageSize(int& width, int& height) const {
    std::lock_guard lock(mutex_);
    if (!openForUse()) {
        return false;
    }
    width = resolutionLocked().width;
    height = resolutionLocked().height;
    return true;
}

bool SimulatedCamera::rowTime(int& microseconds) const {
    std::lock_guard lock(mutex_);
    if (!openForUse() || model_.rowTimeUs == 0) {
        return false;
    }
    microseconds = model_.rowTimeUs;
    return true;
}

std::vector<std::string> SimulatedCamera::resolutionNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (plugged_) {
        for (const Resolution& resolution : model_.resolutions) {
            names.push_back(resolution.label);
        }
    }
    return names;
}

double SimulatedCamera::frameIntervalMsLocked() const {
    const Resolution& resolution = resolutionLocked();
    const int speed = std::clamp(parameters_.get(Parameter::SpeedMode), 0, 3);
    const double rate = kPixelRate[speed] * (parameters_.get(Parameter::FrameSpeed) ? 2.0 : 1.0);
    const double readout = static_cast<double>(resolution.width) * resolution.height / rate;
    return std::max(
        {static_cast<double>(parameters_.get(Parameter::ExposureMs)), readout, kShortestFrameMs});
}

void SimulatedCamera::rescheduleLocked() {
    // A shorter exposure must not wait out the end of a long one that was under way.
    nextFrame_ = std::min(nextFrame_, clock_->now() + fromMs(frameIntervalMsLocked()));
    wake_.notify_all();
}

std::uint8_t SimulatedCamera::phaseLocked(int width, int height) const {
    if (model_.monochrome) {
        return kMonochromePhase;
    }
    return mirroredPhase(model_.mosaicPhase, parameters_.get(Parameter::Mirror0) != 0,
                         parameters_.get(Parameter::Mirror1) != 0, width, height);
}

FrameRecipe SimulatedCamera::recipeLocked(const std::shared_ptr<const Specimen>& specimen) const {
    FrameRecipe recipe;
    recipe.specimen = specimen;
    recipe.defects = defects_.get(detectedTypeId_, specimen->width, specimen->height);
    recipe.phase = phaseLocked(specimen->width, specimen->height);
    recipe.mirror0 = parameters_.get(Parameter::Mirror0) != 0;
    recipe.mirror1 = parameters_.get(Parameter::Mirror1) != 0;

    const int gainRaw = parameters_.get(Parameter::AnalogGain);
    double gain = 1.0;
    if (gainRaw <= model_.gainMinRaw) {
        gain = std::max(0.1, static_cast<double>(gainRaw) / std::max(1, model_.gainMinRaw));
    } else if (model_.gainMaxRaw > model_.gainMinRaw) {
        // The gain stage saturates at 8x: raw values beyond the model's largest add nothing.
        const int clamped = std::min(gainRaw, model_.gainMaxRaw);
        gain = 1.0 + 7.0 * (clamped - model_.gainMinRaw) / (model_.gainMaxRaw - model_.gainMinRaw);
    }
    // At the model's default exposure and unity gain the brightest part of the slide reaches
    // about 70 % of full scale.
    const double fullWellMs = 1.4 * model_.defaultExposureMs;
    const double base = 256.0 * parameters_.get(Parameter::ExposureMs) / fullWellMs * gain;
    const Parameter gains[3] = {Parameter::RedGain, Parameter::GreenGain, Parameter::BlueGain};
    for (int ch = 0; ch < 3; ++ch) {
        const double scale = base * parameters_.get(gains[ch]) / 64.0;
        recipe.scale[static_cast<std::size_t>(ch)] =
            static_cast<int>(std::min(scale, static_cast<double>(1 << 21)));
    }
    const int speed = std::clamp(parameters_.get(Parameter::SpeedMode), 0, 3);
    recipe.noiseAmplitude =
        static_cast<int>(std::lround(16.0 * kReadNoise[speed] * std::sqrt(gain)));
    recipe.noiseSeed = frameCount_ * 0x9E3779B9u;

    recipe.flickerAmplitude = static_cast<float>(flickerAmplitude(
        parameters_.get(Parameter::ExposureMs), parameters_.get(Parameter::LightFrequency)));
    const double nowMs = std::chrono::duration<double, std::milli>(clock_->now()).count();
    const double rowMs = static_cast<double>(specimen->width) /
                         (kPixelRate[speed] * (parameters_.get(Parameter::FrameSpeed) ? 2.0 : 1.0));
    recipe.flickerPhase0 = 2.0 * std::numbers::pi * std::fmod(nowMs / kRipplePeriodMs, 1.0);
    recipe.flickerPhaseStep = 2.0 * std::numbers::pi * rowMs / kRipplePeriodMs;
    return recipe;
}

bool SimulatedCamera::grabFrame(std::uint8_t* raw) {
    if (!raw) {
        return false;
    }
    std::unique_lock lock(mutex_);
    if (!openForUse()) {
        clock_->waitUntil(lock, wake_, clock_->now() + kClosedGrabWait);
        return false;
    }
    // Wait for the frame in progress, but not beyond the bound; a setter that moves the
    // frame earlier, a close or an unplug cuts the wait short.
    Duration now = clock_->now();
    const Duration waitEnd = now + kLongestGrabWait;
    while (openForUse() && now < nextFrame_ && now < waitEnd) {
        clock_->waitUntil(lock, wake_, std::min(nextFrame_, waitEnd));
        now = clock_->now();
    }
    if (!openForUse() || now < nextFrame_) {
        return false;
    }
    const Duration interval = fromMs(frameIntervalMsLocked());
    nextFrame_ += interval;
    if (nextFrame_ <= now) {
        // Frames nobody fetched are gone; the next one completes a full interval from now.
        nextFrame_ = now + interval;
    }
    ++frameCount_;
    const FrameRecipe recipe = recipeLocked(previewSpecimen_);
    const bool autoExposure = parameters_.get(Parameter::AeState) != 0;
    const int exposureUsed = parameters_.get(Parameter::ExposureMs);
    lock.unlock();

    synthesizeRaw(recipe, raw);
    framePhases_.remember(raw, recipe.phase);
    if (autoExposure) {
        autoExpose(raw, recipe.specimen->width, recipe.specimen->height, exposureUsed);
    }
    return true;
}

void SimulatedCamera::autoExpose(const std::uint8_t* raw, int width, int height, int exposureUsed) {
    const double mean = sampledMean(raw, width, height);
    std::lock_guard lock(mutex_);
    // A user's exposure change since the frame was taken wins over the regulation.
    if (parameters_.get(Parameter::AeState) == 0 ||
        parameters_.get(Parameter::ExposureMs) != exposureUsed) {
        return;
    }
    const std::optional<int> next =
        nextAutoExposure(mean, parameters_.get(Parameter::AeTarget), exposureUsed);
    if (!next) {
        return;
    }
    const int exposure = std::clamp(*next, 1, model_.autoExposureMaxMs);
    parameters_.set(Parameter::ExposureMs, exposure);
    rescheduleLocked();
}

DecodeSettings SimulatedCamera::decodeSettingsLocked() const {
    DecodeSettings settings;
    settings.sharp = parameters_.get(Parameter::MosaicMode) != 0;
    settings.gamma = parameters_.get(Parameter::Gamma);
    settings.contrast = parameters_.get(Parameter::Contrast);
    settings.saturation = parameters_.get(Parameter::Saturation);
    settings.colourEnhancement = parameters_.get(Parameter::ColourEnhancement) != 0;
    settings.monochrome = parameters_.get(Parameter::Monochrome) != 0;
    return settings;
}

bool SimulatedCamera::decode(const std::uint8_t* raw, std::uint8_t* image, int width, int height) {
    DecodeSettings settings;
    {
        std::lock_guard lock(mutex_);
        if (!openForUse()) {
            return false;
        }
        settings = decodeSettingsLocked();
        settings.phase = phaseLocked(width, height);
    }
    settings.phase = framePhases_.lookup(raw, settings.phase);
    return decodeFrame(raw, image, width, height, settings);
}

std::uint8_t SimulatedCamera::decodeType() const {
    std::lock_guard lock(mutex_);
    const Resolution& resolution = resolutionLocked();
    return phaseLocked(resolution.width, resolution.height);
}

bool SimulatedCamera::getParameter(Parameter parameter, int& value) const {
    std::lock_guard lock(mutex_);
    if (!openForUse()) {
        return false;
    }
    value = parameters_.get(parameter);
    return true;
}

bool SimulatedCamera::setParameter(Parameter parameter, int value) {
    std::lock_guard lock(mutex_);
    if (!openForUse()) {
        return false;
    }
    const ParameterRange range = parameterRange(parameter);
    value = std::clamp(value, range.minimum, range.maximum);
    if (parameter == Parameter::ExposureMs) {
        value = std::min(value, model_.maxExposureMs);
    }
    parameters_.set(parameter, value);
    rescheduleLocked();
    return true;
}

bool SimulatedCamera::restartExposure() {
    std::lock_guard lock(mutex_);
    if (!openForUse()) {
        return false;
    }
    // The exposure under way is abandoned; the next frame is a whole exposure from now.
    nextFrame_ = clock_->now() + fromMs(frameIntervalMsLocked());
    wake_.notify_all();
    return true;
}

bool SimulatedCamera::balanceWhiteOnce() {
    std::lock_guard lock(mutex_);
    if (!openForUse()) {
        return false;
    }
    if (model_.monochrome) {
        return true;
    }
    // Grey world: make the red and blue means equal the green one. Clipping makes the means
    // non-linear in the gains, so a few rounds refine the result.
    for (int round = 0; round < 4; ++round) {
        const std::array<double, 3> means = channelMeans(recipeLocked(previewSpecimen_));
        if (means[kRed] < 1.0 || means[kBlue] < 1.0) {
            break;
        }
        const int red = parameters_.get(Parameter::RedGain);
        const int blue = parameters_.get(Parameter::BlueGain);
        parameters_.set(
            Parameter::RedGain,
            std::clamp(static_cast<int>(std::lround(red * means[kGreen] / means[kRed])), 1, 255));
        parameters_.set(
            Parameter::BlueGain,
            std::clamp(static_cast<int>(std::lround(blue * means[kGreen] / means[kBlue])), 1, 255));
    }
    return true;
}

bool SimulatedCamera::currentParameterSet(int& set) const {
    int typeId = 0;
    {
        std::lock_guard lock(mutex_);
        if (!openForUse()) {
            return false;
        }
        typeId = model_.typeId;
    }
    std::lock_guard storeLock(storeMutex_);
    set = store_.currentSet(typeId);
    return true;
}

bool SimulatedCamera::readParameterSet(int set) {
    if (set < 0 || set >= kParameterSets) {
        return false;
    }
    int typeId = 0;
    {
        std::lock_guard lock(mutex_);
        if (!openForUse()) {
            return false;
        }
        typeId = model_.typeId;
    }
    std::optional<ParameterValues> stored;
    {
        std::lock_guard storeLock(storeMutex_);
        stored = store_.set(typeId, set);
        store_.setCurrentSet(typeId, set);
    }
    std::lock_guard lock(mutex_);
    // A set never saved holds the factory settings.
    parameters_ = stored.value_or(defaultParameters());
    parameters_.set(Parameter::ExposureMs,
                    std::min(parameters_.get(Parameter::ExposureMs), model_.maxExposureMs));
    rescheduleLocked();
    return true;
}

bool SimulatedCamera::saveParameterSet(int set) {
    if (set < 0 || set >= kParameterSets) {
        return false;
    }
    int typeId = 0;
    ParameterValues values;
    {
        std::lock_guard lock(mutex_);
        if (!openForUse()) {
            return false;
        }
        typeId = model_.typeId;
        values = parameters_;
    }
    std::lock_guard storeLock(storeMutex_);
    return store_.save(typeId, set, values);
}

bool SimulatedCamera::setWideData(bool wide) {
    std::lock_guard lock(mutex_);
    if (!openForUse()) {
        return false;
    }
    wideData_ = wide;
    return true;
}

bool SimulatedCamera::captureFile(const std::string& pathWithoutExtension, FileType type,
                                  int resolution) {
    Resolution size;
    bool monochrome = false;
    bool empty = false;
    {
        std::lock_guard lock(mutex_);
        if (!openForUse() || pathWithoutExtension.empty()) {
            return false;
        }
        const auto count = static_cast<int>(model_.resolutions.size());
        size = model_.resolutions[static_cast<std::size_t>(
            resolution >= 0 && resolution < count ? resolution : 0)];
        monochrome = model_.monochrome;
        empty = !slidePresent_;
    }
    auto specimen = specimens_.get(size.width, size.height, monochrome, empty);

    FrameRecipe recipe;
    DecodeSettings settings;
    bool wide = false;
    {
        std::lock_guard lock(mutex_);
        if (!openForUse()) {
            return false;
        }
        ++frameCount_;
        recipe = recipeLocked(specimen);
        settings = decodeSettingsLocked();
        settings.phase = recipe.phase;
        wide = wideData_ && type == FileType::Raw;
        if (type == FileType::Raw) {
            wideData_ = false;  // wide data applies to the next raw capture only
        }
    }

    const std::string path = pathWithoutExtension + fileExtension(type);
    const std::size_t pixels = static_cast<std::size_t>(size.width) * size.height;
    if (wide) {
        std::vector<std::uint16_t> samples(pixels);
        synthesizeWideRaw(recipe, samples.data());
        return writeWideRawFile(path, samples.data(), samples.size());
    }
    std::vector<std::uint8_t> raw(pixels);
    synthesizeRaw(recipe, raw.data());
    if (type == FileType::Raw) {
        return writeRawFile(path, raw.data(), raw.size());
    }
    std::vector<std::uint8_t> image(pixels * 3);
    decodeFrame(raw.data(), image.data(), size.width, size.height, settings);
    return writeImageFile(type, path, image.data(), size.width, size.height);
}

void SimulatedCamera::setPlugged(bool plugged) {
    std::string name;
    {
        std::lock_guard lock(mutex_);
        if (plugged_ == plugged) {
            return;
        }
        plugged_ = plugged;
        if (!plugged) {
            open_ = false;  // the device is gone; the application closes its side
            previewSpecimen_.reset();
        }
        wake_.notify_all();
    }
    if (listener_) {
        listener_(plugged, deviceInterfaceName());
    }
}

void SimulatedCamera::setSlidePresent(bool present) {
    int width = 0;
    int height = 0;
    bool monochrome = false;
    {
        std::lock_guard lock(mutex_);
        if (slidePresent_ == present) {
            return;
        }
        slidePresent_ = present;
        if (!open_) {
            return;  // the next open picks the specimen
        }
        width = resolutionLocked().width;
        height = resolutionLocked().height;
        monochrome = model_.monochrome;
    }
    // Made outside the lock: generating a specimen takes a while.
    auto specimen = specimens_.get(width, height, monochrome, !present);
    std::lock_guard lock(mutex_);
    if (open_ && slidePresent_ == present && previewSpecimen_ && previewSpecimen_->width == width &&
        previewSpecimen_->height == height) {
        previewSpecimen_ = std::move(specimen);
    }
}

bool SimulatedCamera::plugged() const {
    std::lock_guard lock(mutex_);
    return plugged_;
}

double SimulatedCamera::elapsedMs() const {
    return std::chrono::duration<double, std::milli>(clock_->now()).count();
}

double SimulatedCamera::frameIntervalMs() const {
    std::lock_guard lock(mutex_);
    return openForUse() ? frameIntervalMsLocked() : 0.0;
}

std::string SimulatedCamera::deviceInterfaceName() const {
    // The hardware identifies itself by its detected model, whatever variant is chosen.
    const SimulatorModel detected = simulatorModel(detectedTypeId_);
    return "\\\\?\\USB#VID_" + hex4(kSimulatorVendorId) + "&PID_" + hex4(detected.productId) +
           "#SIM" + hex4(static_cast<unsigned>(detectedTypeId_)) +
           "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

}  // namespace krvcamera
