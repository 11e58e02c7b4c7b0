#pragma once

// The preview window: a child of the camera window that owns the live picture. It runs
// the grab and decode threads while the camera is open, shows the newest decoded frame in
// its drawing surface, and carries the region of interest, the area white balance and the
// long-exposure wait in front of a file capture.

#include "camera/CProgressWnd.h"
#include "camera/CameraSession.h"
#include "camera/FrameSurface.h"
#include "camera/PreviewPipeline.h"
#include "capture/DriveCheck.h"
#include "platform/ManualResetEvent.h"

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace korvel::framework {
class MessageTarget;
}

namespace korvel::camera {

// A command posted to the camera window as a message: first parameter = command id.
inline constexpr unsigned kCommandMessage = 0x0111;

// The drawing surface (id 1234): paints the newest picture of its frame surface.
class CPreviewSurface : public QWidget {
    Q_OBJECT

public:
    explicit CPreviewSurface(QWidget* parent);
    FrameSurface& frames() { return frames_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    FrameSurface frames_;
};

class CPreviewWnd : public QWidget, public PreviewControl {
    Q_OBJECT

public:
    // Run states.
    enum RunState : std::uint8_t { kRunning = 0, kPaused = 1, kStopped = 2 };

    using Sleep = std::function<void(std::chrono::milliseconds)>;
    // Shows the selection overlay over `surface`; the rectangle relative to the surface.
    using RectangleSelector = std::function<std::optional<QRect>(QWidget* surface)>;
    // Writes the pending capture instead of the built-in snapshot capture (tests).
    using CaptureHandler = std::function<void(const QString& path, CameraRecord& record)>;

    CPreviewWnd(framework::MessageTarget* cameraWindow, QWidget* parent = nullptr);
    ~CPreviewWnd() override;

    // PreviewControl.
    bool start(CameraRecord& record) override;
    void stop() override;
    bool isRunning() const override { return runState_.load() == kRunning; }
    void pause() override;
    void resume() override;
    RunState runState() const { return static_cast<RunState>(runState_.load()); }

    // Region of interest (commands 32983 and 32984): true when a region is in force.
    bool cutRegion();
    void restoreRegion();
    Region region() const { return pipeline_.region(); }
    bool regionActive() const { return pipeline_.regionActive(); }

    // Area white balance: true when new gains were set.
    bool areaWhiteBalance();
    // While the white-balance wizard is open, frames are drawn into its surface.
    void setZoomTarget(FrameSurface* target) { pipeline_.setZoomTarget(target); }

    // Recording: 1 = done, 0 = nothing to do.
    void setVideoSink(VideoFrameSink* sink) { sink_ = sink; }
    void setMainWindow(framework::MessageTarget* mainWindow) { mainWindow_ = mainWindow; }
    int startRecording(const QString& path, CameraRecord& record);
    int stopRecording(CameraRecord& record);
    bool recording() const { return pipeline_.recording(); }

    // The long-exposure wait cycle in front of a file capture.
    void captureToFile(const QString& path, CameraRecord& record);
    void setCaptureHandler(CaptureHandler handler) { capture_ = std::move(handler); }
    // How the capture path's folder is checked (this machine's file systems unless set).
    void setFolderProbe(capture::FolderProbe probe) { folderProbe_ = std::move(probe); }
    CProgressWnd* waitWindow() const { return waitWindow_; }
    int waitTicks() const { return waitTicks_; }
    int waitLimit() const { return waitLimit_; }
    QString capturePath() const { return capturePath_; }

    void setBackgroundCorrectionApplied(bool applied);
    void setRectangleSelector(RectangleSelector selector) { select_ = std::move(selector); }
    void setSleep(Sleep sleep) { sleep_ = std::move(sleep); }
    // The clock the grab thread measures the frame rate with (the system tick count unless
    // replaced); only while stopped.
    void setTickSource(PreviewPipeline::TickSource ticks) { ticks_ = std::move(ticks); }

    CPreviewSurface* drawingSurface() const { return surface_; }
    PreviewPipeline& pipeline() { return pipeline_; }
    float frameRate() const { return pipeline_.frameRate(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startThreads();
    void stopThreads();
    void grabLoop();
    void decodeLoop();
    void fit();
    void wait(std::chrono::milliseconds duration);
    void closeWaitWindow();
    void capture();
    void runCapture();
    void reportCapture(bool refused, const std::string& path);
    friend class PreviewCaptureSource;
    void postCommand(int id);

    framework::MessageTarget* cameraWindow_;
    framework::MessageTarget* mainWindow_ = nullptr;
    CPreviewSurface* surface_;  // child widget
    PreviewPipeline pipeline_;
    CameraRecord* record_ = nullptr;
    std::atomic<std::uint8_t> runState_{kStopped};
    std::unique_ptr<platform::ManualResetEvent> grabFinished_;
    std::unique_ptr<platform::ManualResetEvent> decodeFinished_;
    std::thread grabThread_;
    std::thread decodeThread_;

    VideoFrameSink* sink_ = nullptr;
    QString recordingPath_;

    QPointer<CProgressWnd> waitWindow_;
    QBasicTimer waitTimer_;  // timer 1 of the long-exposure wait
    int waitTicks_ = 0;
    int waitLimit_ = 0;
    QString capturePath_;
    std::uint8_t captureFileType_ = 2;
    CaptureHandler capture_;
    capture::FolderProbe folderProbe_;
    // Held by the decode thread while it works on a frame, and by a capture while it copies
    // the newest picture.
    std::mutex pictureMutex_;

    RectangleSelector select_;
    Sleep sleep_;
    PreviewPipeline::TickSource ticks_;
};

}  // namespace korvel::camera
