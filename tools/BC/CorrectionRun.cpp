#include "CorrectionRun.h"

#include "CorrectionTable.h"
#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"

#include <algorithm>

namespace bc {

namespace {

void appendName(void* list, const char* text) {
    static_cast<std::vector<QString>*>(list)->push_back(QString::fromUtf8(text));
}

}  // namespace

QString verdictMessage(FieldVerdict verdict) {
    switch (verdict) {
        case FieldVerdict::TooDark:
            return QStringLiteral(
                "The field is too dark to measure. Light the empty field more brightly or "
                "lengthen the exposure, then run the background correction again.");
        case FieldVerdict::TooBright:
            return QStringLiteral(
                "The field is too bright to measure: part of it is clipped. Dim the light or "
                "shorten the exposure, then run the background correction again.");
        case FieldVerdict::Uneven:
            return QStringLiteral(
                "The field is not even. Take the sample away and light the empty field "
                "evenly, then run the background correction again.");
        case FieldVerdict::Usable:
            break;
    }
    return {};
}

CorrectionRun::CorrectionRun(RunOptions options) : options_(std::move(options)) {
    options_.frames = std::clamp(options_.frames, 1, FieldAverager::kMaximumFrames);
}

CorrectionRun::~CorrectionRun() {
    release();
}

bool CorrectionRun::detect() {
    KRVCamera_ReflashCamera();
    const KRVCameraID id = KRVCameraGetCameraID();
    if (id.typeId == -1) {
        return fail(QStringLiteral("No Camera!"));
    }
    // The table belongs to the detected model, whatever variant the camera window chose.
    typeId_ = id.typeId;
    cameraName_ = QString::fromUtf8(id.name ? id.name : "");
    std::vector<QString> names;
    KRVCamera_Registerpixel(&names, &appendName);
    resolutions_.clear();
    if (options_.resolution) {
        resolutions_.push_back(*options_.resolution);
    } else {
        for (int i = 0; i < static_cast<int>(std::max<std::size_t>(names.size(), 1)); ++i) {
            resolutions_.push_back(i);
        }
    }
    return true;
}

void CorrectionRun::fieldEmptied() {
    KRVCameraSimulatorSetSlide(0);
    slideTaken_ = true;
}

int CorrectionRun::progressMaximum() const {
    return static_cast<int>(resolutions_.size()) * (options_.frames + 1);
}

bool CorrectionRun::step() {
    if (failed() || stage_ == Stage::Done) {
        return false;
    }
    if (current_ >= resolutions_.size()) {
        stage_ = Stage::Done;
        release();
        return false;
    }
    switch (stage_) {
        case Stage::Open:
            return openResolution();
        case Stage::Grab:
            return grabOne();
        case Stage::Done:
            break;
    }
    return false;
}

bool CorrectionRun::openResolution() {
    const int resolution = resolutions_[current_];
    if (KRVCameraInit(static_cast<std::uint8_t>(resolution), nullptr, nullptr) != 1) {
        return fail(QStringLiteral("The camera cannot be opened."));
    }
    cameraOpen_ = true;
    int width = 0;
    int height = 0;
    if (KRVCameraGetImageSize(&width, &height) != 1 || width <= 0 || height <= 0 || width > 65536 ||
        height > 65536) {
        return fail(QStringLiteral("The camera reports no usable image size."));
    }
    // The settings the camera window last used: its parameter set in use.
    std::uint8_t set = 0;
    if (KRVCameraGetCurrentParameterTeam(&set) == 1 && set != 0) {
        KRVCameraReadParameter(set);
    }
    width_ = width;
    height_ = height;
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    raw_.assign(pixels * 2, 0);  // room for wide samples should a backend deliver them
    image_.assign(pixels * 3, 0);
    averager_ = std::make_unique<FieldAverager>(width, height);
    // A frame takes at least its exposure; allow that three times over before giving up.
    int exposure = 0;
    KRVCameraGetExposureTime(&exposure);
    frameTimeout_ = std::chrono::milliseconds(std::max(10000LL, 3LL * std::max(0, exposure)));
    lastFrame_ = std::chrono::steady_clock::now();
    status_ = QStringLiteral("Measuring %1 x %2 ...").arg(width).arg(height);
    stage_ = Stage::Grab;
    return true;
}

bool CorrectionRun::grabOne() {
    if (KRVCameraGrabFrame(raw_.data()) != 1) {
        if (std::chrono::steady_clock::now() - lastFrame_ > frameTimeout_) {
            return fail(QStringLiteral("The camera delivers no pictures."));
        }
        return true;
    }
    lastFrame_ = std::chrono::steady_clock::now();
    if (KRVCameraDecode(raw_.data(), image_.data(), width_, height_) != 1) {
        return fail(QStringLiteral("The camera's pictures cannot be decoded."));
    }
    averager_->add(image_.data());
    ++progress_;
    status_ = QStringLiteral("Measuring %1 x %2: frame %3 of %4")
                  .arg(width_)
                  .arg(height_)
                  .arg(averager_->frames())
                  .arg(options_.frames);
    if (averager_->frames() < options_.frames) {
        return true;
    }
    return finishResolution();
}

bool CorrectionRun::finishResolution() {
    // The camera is free again before the (slower) analysis and the writing.
    KRVCameraUnInit();
    cameraOpen_ = false;
    const std::vector<float> field = averager_->average();
    averager_.reset();
    std::vector<CorrectionRecord> records;
    const FieldVerdict verdict =
        measureField(field, width_, height_, records, options_.limits, options_.detection);
    if (verdict != FieldVerdict::Usable) {
        return fail(verdictMessage(verdict));
    }
    QString error;
    if (!writeCorrectionTable(options_.directory, typeId_, width_, height_, records, &error)) {
        return fail(error);
    }
    written_.push_back({width_, height_, records.size()});
    ++progress_;
    ++current_;
    stage_ = Stage::Open;
    if (current_ >= resolutions_.size()) {
        stage_ = Stage::Done;
        release();
        status_ = QStringLiteral("Background correction written.");
        return false;
    }
    return true;
}

bool CorrectionRun::fail(const QString& text) {
    error_ = text;
    status_ = text;
    stage_ = Stage::Done;
    release();
    return false;
}

void CorrectionRun::release() {
    if (cameraOpen_) {
        KRVCameraUnInit();
        cameraOpen_ = false;
    }
    if (slideTaken_) {
        KRVCameraSimulatorSetSlide(1);
        slideTaken_ = false;
    }
    raw_.clear();
    image_.clear();
    raw_.shrink_to_fit();
    image_.shrink_to_fit();
}

}  // namespace bc
