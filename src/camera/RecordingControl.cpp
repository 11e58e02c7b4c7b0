#include "camera/RecordingControl.h"

#include "camera/CPreviewWnd.h"
#include "capture/CaptureNaming.h"
#include "capture/SnapshotFileDialog.h"
#include "framework/MessageBox.h"

#include <QWidget>

#include <span>

namespace korvel::camera {

namespace {

QString stoppedText() {
    return QStringLiteral(
        "The recording has stopped: the video file cannot be written. The frames recorded "
        "until then are kept.");
}

}  // namespace

void AviVideoSink::setCompressorSettings(const capture::CompressorSettings& settings) {
    file_.SetCompressorSettings(settings);
}

void AviVideoSink::setFrameRate(int framesPerSecond) {
    file_.SetFrameRate(static_cast<std::uint32_t>(std::max(framesPerSecond, 0)));
}

void AviVideoSink::setCompress(int compress) {
    const auto value = static_cast<std::uint32_t>(compress);
    file_.SetCompressor(capture::FourCC{
        static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
        static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)});
}

bool AviVideoSink::open(const QString& path, int width, int height) {
    failureSignalled_.store(false);
    return file_.Open(path.toStdString(), width, height);
}

void AviVideoSink::writeFrame(const std::uint8_t* image, int width, int height) {
    const std::size_t bytes = std::size_t(std::max(width, 0)) * std::max(height, 0) * 3;
    file_.WriteFrame(std::span<const std::uint8_t>(image, bytes));
    // The writer has given up on the file: the window is told once, and ends the recording.
    if (file_.HasFailed() && !failureSignalled_.exchange(true) && onFailure_) {
        onFailure_();
    }
}

capture::SaveDialogRequest videoDialogRequest(const std::string& folder) {
    capture::SaveDialogRequest request;
    request.title = "camera save *.avi files";
    request.defaultName = "Korvel";
    request.defaultExtension = "AVI";
    request.folder = folder;
    request.filters = {{"AVI Files (*.avi)", "*.avi"}};
    request.initialFilter = 1;
    return request;
}

RecordingControl::RecordingControl(CPreviewWnd& preview, CameraRecord& record, QWidget* window,
                                   framework::MessageTarget* mainWindow, Hooks hooks)
    : preview_(preview), record_(record), window_(window), hooks_(std::move(hooks)) {
    // From the decode thread only a queued call crosses to this object's thread; by name,
    // so the call is built and run inside the toolkit alone.
    sink_.setFailureCallback(
        [this] { QMetaObject::invokeMethod(this, "writerFailed", Qt::QueuedConnection); });
    preview_.setVideoSink(&sink_);
    preview_.setMainWindow(mainWindow);
}

// The window deletes the preview, which ends a recording into this writer, before this
// object; the preview is not touched here.
RecordingControl::~RecordingControl() = default;

bool RecordingControl::recording() const {
    return preview_.recording();
}

bool RecordingControl::toggle() {
    if (recording()) {
        stop();
    } else {
        start();
    }
    return recording();
}

std::optional<QString> RecordingControl::nextPath() {
    QString folder = hooks_.saveFolder ? hooks_.saveFolder() : QString();
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    if (record_.video.bConfig == 1) {
        return QString::fromStdString(
            capture::captureName(record_, folder.toStdString(), 0, /*video=*/true));
    }
    const capture::SaveDialogRequest request = videoDialogRequest(folder.toStdString());
    const std::optional<capture::SaveDialogAnswer> answer =
        ask_ ? ask_(request) : capture::askSavePath(window_, request);
    if (!answer || answer->path.empty()) {
        return std::nullopt;
    }
    return QString::fromStdString(answer->path);
}

bool RecordingControl::start() {
    if (recording()) {
        return false;
    }
    const std::optional<QString> path = nextPath();
    if (!path) {
        return false;  // the dialog was cancelled
    }
    path_ = *path;
    failureReported_ = false;
    const capture::CompressorSettingsTable* table = hooks_.compressorSettings;
    const auto chosen = table ? table->find(static_cast<std::uint32_t>(record_.video.Compress))
                              : capture::CompressorSettingsTable::const_iterator{};
    sink_.setCompressorSettings(table && chosen != table->end() ? chosen->second
                                                                : capture::CompressorSettings{});
    if (preview_.startRecording(path_, record_) != 1) {
        // A writer that could not make the file says why; a stopped preview has nothing
        // to record and says nothing.
        if (sink_.hasFailed()) {
            reportFailure(QStringLiteral("The video file cannot be written."));
        }
        return false;
    }
    if (hooks_.changed) {
        hooks_.changed(true);
    }
    return true;
}

bool RecordingControl::stop() {
    if (preview_.stopRecording(record_) != 1) {
        return false;
    }
    if (hooks_.changed) {
        hooks_.changed(false);
    }
    // Completing the file can fail too (a full disk); what was written stays readable.
    if (sink_.hasFailed()) {
        reportFailure(stoppedText());
    }
    return true;
}

void RecordingControl::writerFailed() {
    // The recording is ended like a stop by the user, so the frames written so far form a
    // complete file that is announced like any other; then the user learns why.
    if (recording()) {
        if (sink_.hasFailed()) {  // not a later recording that is going well
            stop();
        }
    } else if (sink_.hasFailed()) {
        reportFailure(stoppedText());
    }
}

void RecordingControl::reportFailure(const QString& what) {
    if (failureReported_) {
        return;
    }
    failureReported_ = true;
    framework::AfxMessageBox(what + QLatin1Char('\n') + sink_.errorText(),
                             framework::MB_OK | framework::MB_ICONERROR, window_);
}

}  // namespace korvel::camera
