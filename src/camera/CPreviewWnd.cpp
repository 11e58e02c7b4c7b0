#include "camera/CPreviewWnd.h"

#include "camera/AreaWhiteBalance.h"
#include "camera/CProgressWnd.h"
#include "camera/CRectSelectionDlg.h"
#include "capture/SnapshotCapture.h"
#include "framework/Message.h"
#include "framework/MessageBox.h"
#include "krvcamera/KRVCamera.h"
#include "platform/Ticks.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace korvel::camera {

namespace {

constexpr auto kIdlePoll = std::chrono::milliseconds(10);

// Models whose long exposures are waited out with a progress bar that can be cancelled;
// the others capture at once behind a "Wait a moment!" note.
bool waitsWithProgress(int typeId) {
    return (typeId >= 9 && typeId <= 14) || typeId == 16 || typeId == 17 || typeId == 21 ||
           typeId == 23 || typeId == 24;
}

}  // namespace

// The live preview as the snapshot capture sees it.
class PreviewCaptureSource : public capture::CaptureSource {
public:
    explicit PreviewCaptureSource(CPreviewWnd& preview) : preview_(preview) {}

    bool running() const override { return preview_.runState() != CPreviewWnd::kStopped; }
    bool regionActive() const override { return preview_.pipeline_.regionActive(); }
    bool copyPicture(capture::CapturedPicture& picture) override {
        // The decode thread writes the newest picture: copied between two of its frames.
        std::lock_guard lock(preview_.pictureMutex_);
        const PreviewPipeline& pipeline = preview_.pipeline_;
        const int width = pipeline.width();
        const int height = pipeline.height();
        const std::vector<std::uint8_t>& last = pipeline.lastImage();
        const std::size_t bytes = std::size_t(width) * height * 3;
        if (width <= 0 || height <= 0 || last.size() < bytes) {
            return false;
        }
        if (pipeline.regionActive()) {
            const Region r = pipeline.region();
            if (r.width() <= 0 || r.height() <= 0) {
                return false;
            }
            picture.pixels.assign(std::size_t(r.width()) * r.height() * 3, 0);
            cropRegion(last.data(), width, height, r, picture.pixels.data());
            picture.width = r.width();
            picture.height = r.height();
            return true;
        }
        picture.pixels.assign(last.begin(), last.begin() + static_cast<std::ptrdiff_t>(bytes));
        picture.width = width;
        picture.height = height;
        return true;
    }
    void stopThreads() override { preview_.stopThreads(); }
    void startThreads() override { preview_.startThreads(); }

private:
    CPreviewWnd& preview_;
};

CPreviewSurface::CPreviewSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(res::IDW_PREVIEW_SURFACE));
    setAttribute(Qt::WA_OpaquePaintEvent);
    frames_.setPublishedCallback([this] {
        // Runs on the decode thread: only a repaint request crosses to the window.
        // By name, so the queued call is built and run inside the toolkit alone.
        QMetaObject::invokeMethod(this, "update", Qt::QueuedConnection);
    });
}

void CPreviewSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const SurfacePicture& picture = frames_.takeNewest();
    if (picture.width <= 0 || picture.height <= 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const QImage image = picture.image();
    if (image.size() == size()) {
        painter.drawImage(0, 0, image);
    } else {
        // The surface was resized after the picture was scaled; the next one fits.
        painter.drawImage(rect(), image);
    }
}

void CPreviewSurface::resizeEvent(QResizeEvent* event) {
    frames_.setTargetSize(size());
    QWidget::resizeEvent(event);
}

CPreviewWnd::CPreviewWnd(framework::MessageTarget* cameraWindow, QWidget* parent)
    : QWidget(parent),
      cameraWindow_(cameraWindow),
      surface_(new CPreviewSurface(this)),
      pipeline_(cameraWindow),
      ticks_(&platform::tickCount) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::StrongFocus);
    surface_->installEventFilter(this);
    surface_->hide();
    pipeline_.setSurface(&surface_->frames());
}

CPreviewWnd::~CPreviewWnd() {
    waitTimer_.stop();
    if (runState() != kStopped) {
        if (pipeline_.recording() && record_) {
            pipeline_.stopRecording();
            if (sink_) {
                sink_->close();
            }
        }
        stopThreads();
        pipeline_.release();
    }
}

bool CPreviewWnd::start(CameraRecord& record) {
    if (runState() != kStopped) {
        return false;
    }
    int width = 0;
    int height = 0;
    if (KRVCameraGetImageSize(&width, &height) != 1 || width <= 0 || height <= 0) {
        return false;
    }
    record_ = &record;
    pipeline_.prepare(record, width, height);
    startThreads();
    fit();
    return true;
}

void CPreviewWnd::stop() {
    if (runState() == kStopped) {
        return;
    }
    if (pipeline_.recording() && record_) {
        stopRecording(*record_);
    }
    wait(std::chrono::milliseconds(200));
    stopThreads();
    pipeline_.release();
    surface_->hide();
}

void CPreviewWnd::pause() {
    std::uint8_t running = kRunning;
    runState_.compare_exchange_strong(running, kPaused);
}

void CPreviewWnd::resume() {
    std::uint8_t paused = kPaused;
    runState_.compare_exchange_strong(paused, kRunning);
}

void CPreviewWnd::startThreads() {
    grabFinished_ = std::make_unique<platform::ManualResetEvent>(false);
    decodeFinished_ = std::make_unique<platform::ManualResetEvent>(false);
    runState_.store(kRunning);
    grabThread_ = std::thread([this] { grabLoop(); });
    decodeThread_ = std::thread([this] { decodeLoop(); });
}

void CPreviewWnd::stopThreads() {
    runState_.store(kStopped);
    if (grabFinished_) {
        grabFinished_->wait();
    }
    if (decodeFinished_) {
        decodeFinished_->wait();
    }
    // Both have signalled their end: joining only reclaims the finished threads.
    if (grabThread_.joinable()) {
        grabThread_.join();
    }
    if (decodeThread_.joinable()) {
        decodeThread_.join();
    }
    grabFinished_.reset();
    decodeFinished_.reset();
}

void CPreviewWnd::grabLoop() {
    while (runState_.load() != kStopped) {
        if (runState_.load() != kRunning) {
            std::this_thread::sleep_for(kIdlePoll);
            continue;
        }
        pipeline_.grabStep(ticks_);
    }
    grabFinished_->set();
}

void CPreviewWnd::decodeLoop() {
    while (runState_.load() != kStopped) {
        if (runState_.load() != kRunning || !pipeline_.takeFrame()) {
            std::this_thread::sleep_for(kIdlePoll);
            continue;
        }
        if (runState_.load() == kRunning) {
            std::lock_guard picture(pictureMutex_);
            pipeline_.processFrame();
        }
    }
    decodeFinished_->set();
}

void CPreviewWnd::fit() {
    if (runState() == kStopped) {
        surface_->hide();
        return;
    }
    const Region r = pipeline_.region();
    const SurfacePlacement placement = fitSurface(width(), height(), r.width(), r.height());
    if (placement.width > 0 && placement.height > 0) {
        surface_->setGeometry(placement.x, placement.y, placement.width, placement.height);
        surface_->frames().setTargetSize(surface_->size());
        surface_->show();
        surface_->update();
    }
}

bool CPreviewWnd::cutRegion() {
    if (runState() != kRunning) {
        return pipeline_.regionActive();
    }
    const std::optional<QRect> selected =
        select_ ? select_(surface_) : CRectSelectionDlg::selectOn(surface_);
    if (!selected) {
        return pipeline_.regionActive();
    }
    const QRect clipped = selected->normalized().intersected(surface_->rect());
    const Region selection{clipped.left(), clipped.top(), clipped.left() + clipped.width(),
                           clipped.top() + clipped.height()};
    const Region region =
        regionFromSelection(selection, surface_->width(), pipeline_.width(), pipeline_.height());
    if (region.isEmpty()) {
        return pipeline_.regionActive();
    }
    // The crop buffer of the start already holds a whole frame, so any region fits it.
    pipeline_.setRegion(region, true);
    fit();
    return true;
}

void CPreviewWnd::restoreRegion() {
    if (runState() != kRunning) {
        return;
    }
    pipeline_.setRegion(Region{0, 0, pipeline_.width(), pipeline_.height()}, false);
    fit();
}

bool CPreviewWnd::areaWhiteBalance() {
    if (runState() != kRunning || !record_) {
        return false;
    }
    const std::optional<QRect> selected =
        select_ ? select_(surface_) : CRectSelectionDlg::selectOn(surface_);
    if (!selected) {
        return false;
    }
    const QRect r = selected->normalized();
    const int width = pipeline_.width();
    const int height = pipeline_.height();
    const Region area = balanceAreaFromSelection(
        Region{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}, surface_->width(),
        width, height);
    if (area.isEmpty() || KRVCameraDecodeType() == KRVCAMERA_DECODE_MONO) {
        return false;
    }
    stopThreads();
    const std::vector<std::uint8_t>& raw = pipeline_.decodeBuffer();
    const std::size_t rawBytes = static_cast<std::size_t>(width) * height;
    const std::vector<std::uint8_t> scratch(raw.begin(),
                                            raw.begin() + static_cast<std::ptrdiff_t>(rawBytes));
    const std::vector<std::uint8_t> colour =
        demosaicForBalance(scratch, width, height, KRVCameraDecodeType());
    const ColourGainSet gains = balanceGains(colour, width, height, area);
    KRVCameraSetGain(gains.red, gains.green, gains.blue);
    record_->colourGains.red.value = gains.red;
    record_->colourGains.green.value = gains.green;
    record_->colourGains.blue.value = gains.blue;
    startThreads();
    return true;
}

int CPreviewWnd::startRecording(const QString& path, CameraRecord& record) {
    if (pipeline_.recording() || !sink_ || runState() == kStopped) {
        return 0;
    }
    recordingPath_ = path;
    sink_->setFrameRate(recordingFrameRate(pipeline_.frameRate()));
    sink_->setCompress(record.video.Compress);
    const Region area = pipeline_.regionActive()
                            ? pipeline_.region()
                            : Region{0, 0, pipeline_.width(), pipeline_.height()};
    if (!sink_->open(path, area.width(), area.height())) {
        return 0;
    }
    pipeline_.startRecording(sink_);
    return 1;
}

int CPreviewWnd::stopRecording(CameraRecord&) {
    if (!pipeline_.recording()) {
        return 0;
    }
    wait(std::chrono::milliseconds(1000));
    pipeline_.stopRecording();
    sink_->close();
    framework::postMessage(mainWindow_,
                           {static_cast<unsigned>(res::MSG_FILE_SAVED), 1, 0, recordingPath_});
    return 1;
}

void CPreviewWnd::captureToFile(const QString& path, CameraRecord& record) {
    record_ = &record;
    capturePath_ = path;
    captureFileType_ = static_cast<std::uint8_t>(record.snapshot.uiFiletype);
    waitTicks_ = 0;
    waitLimit_ = 0;
    if (record.longExposureMode) {
        KRVCameraReStartLongExpTime(0);
        wait(std::chrono::milliseconds(200));
        pipeline_.skipNextFrame();
        int exposure = 0;
        KRVCameraGetExposureTime(&exposure);
        waitLimit_ = (std::max(exposure, 0) + 99) / 100 + 20;
        if (!waitsWithProgress(record.typeId)) {
            CProgressWnd note(window());
            note.setText(QStringLiteral("Wait a moment!"));
            note.show();
            capture();
            return;
        }
    }
    if (!waitWindow_) {
        waitWindow_ = new CProgressWnd(window());
        waitWindow_->setAttribute(Qt::WA_DeleteOnClose);
        waitWindow_->setRange(0, 100);
        waitWindow_->setPos(0);
        waitWindow_->allowCancel(true);
        waitWindow_->show();
    }
    waitTimer_.start(100, this);
}

void CPreviewWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() != waitTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (waitTicks_ < waitLimit_) {
        if (waitWindow_ && waitWindow_->cancelled()) {
            waitTimer_.stop();
            closeWaitWindow();
            framework::sendMessage(cameraWindow_,
                                   {static_cast<unsigned>(res::MSG_CAPTURE_FINISHED), 0, 0, {}});
            return;
        }
        ++waitTicks_;
        if (waitWindow_) {
            waitWindow_->setPos(waitTicks_ * 100 / waitLimit_);
        }
        return;
    }
    waitTimer_.stop();
    closeWaitWindow();
    capture();
}

void CPreviewWnd::closeWaitWindow() {
    // The window refuses close() (its reject() does nothing, so neither Escape nor the close
    // box takes it away); it is hidden and destroyed instead.
    if (waitWindow_) {
        waitWindow_->hide();
        waitWindow_->deleteLater();
        waitWindow_ = nullptr;
    }
}

void CPreviewWnd::capture() {
    if (!record_) {
        return;
    }
    // The folder is checked before the camera is touched, precision settings included.
    const capture::FolderProbe probe = folderProbe_ ? folderProbe_ : capture::probeFolder;
    if (!capture_ && !capture::canSaveTo(capturePath_.toStdString(), probe)) {
        reportCapture(true, {});
        return;
    }
    if (!record_->precisionSnapshot) {
        runCapture();
        return;
    }
    // The precision snapshot: slowest readout and a fixed gain, then everything back.
    int exposure = 0;
    int gain = 0;
    std::uint8_t speed = 0;
    KRVCameraGetExposureTime(&exposure);
    KRVCameraGetAnalogGain(&gain);
    KRVCameraGetSpeedMode(&speed);
    KRVCameraSetSpeedMode(3);
    KRVCameraSetAnalogGain(171);
    KRVCameraSetExposureTime(exposure);
    runCapture();
    KRVCameraSetSpeedMode(speed);
    KRVCameraSetAnalogGain(gain);
    KRVCameraSetExposureTime(exposure);
}

void CPreviewWnd::runCapture() {
    if (capture_) {
        capture_(capturePath_, *record_);
        return;
    }
    PreviewCaptureSource source(*this);
    const capture::CaptureResult result = capture::captureSnapshot(
        {capturePath_.toStdString(), captureFileType_, record_->typeId, record_->captureResolution},
        source, folderProbe_ ? folderProbe_ : capture::probeFolder);
    // A file the library could not write is reported like a folder that cannot take it; a
    // stopped preview or a model without captures ends the shot without a file.
    reportCapture(result.outcome == capture::CaptureOutcome::Refused ||
                      result.outcome == capture::CaptureOutcome::Failed,
                  result.path);
}

void CPreviewWnd::reportCapture(bool refused, const std::string& path) {
    if (refused) {
        framework::AfxMessageBox(res::loadString(res::IDS_PATH_CANNOT_SAVE), framework::MB_OK,
                                 window());
    }
    framework::sendMessage(cameraWindow_, {static_cast<unsigned>(res::MSG_CAPTURE_FINISHED), 0, 0,
                                           QString::fromStdString(path)});
}

void CPreviewWnd::setBackgroundCorrectionApplied(bool applied) {
    if (record_) {
        record_->backgroundCorrectionApplied = applied ? 1 : 0;
    }
    pipeline_.setCorrectionApplied(applied);
}

void CPreviewWnd::wait(std::chrono::milliseconds duration) {
    if (sleep_) {
        sleep_(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

void CPreviewWnd::postCommand(int id) {
    if (cameraWindow_) {
        framework::postMessage(cameraWindow_,
                               {kCommandMessage, static_cast<std::uintptr_t>(id), 0, {}});
    }
}

void CPreviewWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fit();
}

void CPreviewWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.state |= QStyle::State_Sunken;
    frame.lineWidth = 2;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}

void CPreviewWnd::mouseDoubleClickEvent(QMouseEvent* event) {
    postCommand(res::ID_CAMERA_FULLSCREEN);
    event->accept();
}

void CPreviewWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        postCommand(res::ID_CAMERA_VIDEO_RESTORE);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool CPreviewWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == surface_) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            postCommand(res::ID_CAMERA_FULLSCREEN);
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            postCommand(res::ID_CAMERA_VIDEO_RESTORE);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace korvel::camera
