#pragma once

// Recording the live picture from the camera window: the AVI writer behind the preview's
// recording hook, the name of the next video file, and telling the user when the file
// stops taking frames (a full disk, a folder that cannot be written).

#include "camera/CameraRecord.h"
#include "camera/PreviewPipeline.h"
#include "capture/CAviFile.h"
#include "capture/CompressorList.h"
#include "capture/SnapshotPath.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QWidget;

namespace korvel::framework {
class MessageTarget;
}

namespace korvel::camera {

class CPreviewWnd;

// The AVI writer as the preview's frame sink. The user-interface thread opens and closes
// it; the decode thread writes every recorded frame through it. The writer keeps the two
// apart, so no frame reaches a closed stream.
class AviVideoSink : public VideoFrameSink {
public:
    // Runs on the decode thread, once per recording, when the file stops taking frames.
    using FailureCallback = std::function<void()>;
    void setFailureCallback(FailureCallback callback) { onFailure_ = std::move(callback); }
    // The compressor settings for the next open.
    void setCompressorSettings(const capture::CompressorSettings& settings);

    void setFrameRate(int framesPerSecond) override;
    // The record's "Compress" value: the handler code as a little-endian number.
    void setCompress(int compress) override;
    bool open(const QString& path, int width, int height) override;
    void writeFrame(const std::uint8_t* image, int width, int height) override;
    int frameCount() const override { return file_.FrameCount(); }
    void close() override { file_.Close(); }

    bool hasFailed() const { return file_.HasFailed(); }
    QString errorText() const { return QString::fromStdString(file_.ErrorText()); }
    const capture::CAviFile& file() const { return file_; }

private:
    capture::CAviFile file_;
    FailureCallback onFailure_;
    std::atomic<bool> failureSignalled_{false};
};

// Command 1234 of the camera window: starts a recording under the next automatic video
// name (or one the user picks) and stops it again. The preview writes the frames; a file
// that fails ends the recording, and the user is told why.
class RecordingControl : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<QString()> saveFolder;  // the default save folder
        // The settings the save configuration chose per compressor; may be null.
        const capture::CompressorSettingsTable* compressorSettings = nullptr;
        // The recording started (true) or ended (false), on the window's thread, before
        // any message about it is shown.
        std::function<void(bool recording)> changed;
    };

    // `window` owns the dialogs and message boxes; `mainWindow` is told of every finished
    // file (1304). The record outlives this object; the preview, which writes into this
    // object's writer, is deleted before it.
    RecordingControl(CPreviewWnd& preview, CameraRecord& record, QWidget* window,
                     framework::MessageTarget* mainWindow, Hooks hooks);
    ~RecordingControl() override;

    bool recording() const;
    // Starts or stops; true while recording afterwards.
    bool toggle();
    // False when cancelled, refused or the file could not be made (the user is told).
    bool start();
    // False when nothing was recording.
    bool stop();

    // The file of the current (or last) recording.
    QString path() const { return path_; }
    const AviVideoSink& sink() const { return sink_; }
    // Replaces the file dialog of recordings without automatic names (tests).
    void setSaveDialog(capture::AskSavePath ask) { ask_ = std::move(ask); }

private:
    Q_INVOKABLE void writerFailed();
    std::optional<QString> nextPath();
    void reportFailure(const QString& what);

    CPreviewWnd& preview_;
    CameraRecord& record_;
    QWidget* window_;
    Hooks hooks_;
    AviVideoSink sink_;
    capture::AskSavePath ask_;
    QString path_;
    bool failureReported_ = false;
};

// The dialog a recording without automatic names asks with.
capture::SaveDialogRequest videoDialogRequest(const std::string& folder);

}  // namespace korvel::camera
