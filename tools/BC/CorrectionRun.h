#pragma once

// One background-correction run over the camera library: detect the camera, and once the
// user has taken the sample away, open it at each of its resolutions in turn, average a
// number of frames at the camera's current settings, find the pixels that stand out and
// write their table. Driven one small step at a time, so a window can show the progress
// between steps and a script can simply loop.

#include "BackgroundField.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace bc {

struct RunOptions {
    QString directory = QStringLiteral(".");  // where BackCorr.ini and the tables go
    int frames = 16;                          // frames averaged per resolution
    std::optional<int> resolution;            // one resolution index; all when empty
    FieldLimits limits;
    DetectionSettings detection;
};

struct WrittenTable {
    int width = 0;
    int height = 0;
    std::size_t records = 0;
};

class CorrectionRun {
public:
    explicit CorrectionRun(RunOptions options);
    ~CorrectionRun();  // releases the camera if a step left it open
    CorrectionRun(const CorrectionRun&) = delete;
    CorrectionRun& operator=(const CorrectionRun&) = delete;

    // Finds the camera; false (with error()) when there is none.
    bool detect();
    int typeId() const { return typeId_; }
    QString cameraName() const { return cameraName_; }

    // The user has taken the sample away. The simulated camera is told so; a real one
    // simply looks at the empty field.
    void fieldEmptied();

    // Does the next piece of work; true while more is left. After the last step either
    // failed() or the tables are written and the camera released.
    bool step();

    bool failed() const { return !error_.isEmpty(); }
    QString error() const { return error_; }
    QString status() const { return status_; }
    int progress() const { return progress_; }
    int progressMaximum() const;
    const std::vector<WrittenTable>& written() const { return written_; }

private:
    enum class Stage { Open, Grab, Done };

    bool openResolution();
    bool grabOne();
    bool finishResolution();
    bool fail(const QString& text);
    void release();

    RunOptions options_;
    int typeId_ = -1;
    QString cameraName_;
    std::vector<int> resolutions_;  // indices still to measure, in order
    std::size_t current_ = 0;
    Stage stage_ = Stage::Open;
    bool cameraOpen_ = false;
    bool slideTaken_ = false;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> raw_;
    std::vector<std::uint8_t> image_;
    std::unique_ptr<FieldAverager> averager_;
    std::chrono::steady_clock::time_point lastFrame_;
    std::chrono::milliseconds frameTimeout_{0};
    int progress_ = 0;
    QString status_;
    QString error_;
    std::vector<WrittenTable> written_;
};

// The message for a field that cannot be measured.
QString verdictMessage(FieldVerdict verdict);

}  // namespace bc
