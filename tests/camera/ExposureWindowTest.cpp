#include "CameraFixture.h"
#include "CameraWindowFixture.h"

#include "camera/CCameraFrame.h"
#include "camera/CExposurePage.h"
#include "camera/CExposurePopup.h"
#include "camera/CTimeEntryCtrl.h"
#include "camera/CameraModels.h"
#include "camera/PreviewGeometry.h"
#include "camera/SoftwareAutoExposure.h"
#include "common/RecordingSettingsStore.h"
#include "framework/CommandActions.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMoveEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <cstdio>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::newCameraWindow;
using korvel::camera::test::SimulatedCameraTest;
using korvel::framework::Message;
using korvel::framework::MessageTarget;
using korvel::test::RecordingSettingsStore;

namespace {

// The live preview without its threads: the tests deliver the frames themselves.
class StillPreview : public PreviewControl {
public:
    bool start(CameraRecord&) override { return running = true; }
    void stop() override { running = false; }
    bool isRunning() const override { return running; }
    void pause() override {}
    void resume() override {}
    bool running = false;
};

// Stands where the camera settings sheet will be.
class Sheet : public QWidget, public MessageTarget {
public:
    std::intptr_t onMessage(const Message&) override { return 0; }
};

class ExposureWindow : public SimulatedCameraTest {
protected:
    void TearDown() override {
        if (frame) {
            frame->close();
        }
        krvcamera::useVirtualClock(false);
        SimulatedCameraTest::TearDown();
    }
    // A camera window over a simulated camera on the virtual clock; with `live` its own
    // preview threads run on real time.
    CCameraFrame* makeWindow(int type, bool live = false) {
        krvcamera::useVirtualClock(!live);
        useCamera("sim:" + std::to_string(type));
        frame = newCameraWindow(type, store, iniPath(), {.preview = live ? nullptr : &preview});
        EXPECT_TRUE(frame->create());
        EXPECT_EQ(frame->record().state, kCameraOpen);
        krvcamera::clearSimulatorCallLog();
        return frame;
    }
    CExposurePopup* openPopup() {
        EXPECT_TRUE(frame->router().dispatch(ID_CAMERA_EXPOSURE));
        return frame->exposurePopup();
    }
    // Grabs the camera's next frame and hands its brightness to the window as the grab
    // thread would; returns the brightness.
    int deliverFrame() {
        const CameraRecord& record = frame->record();
        raw.resize(previewBufferSize(record.typeId, record.width, record.height));
        while (KRVCameraGrabFrame(raw.data()) != 1) {
        }
        const int brightness = meanBrightness(raw, record.width, record.height, record.typeId,
                                              record.previewResolution);
        frame->onMessage({MSG_FRAME_BRIGHTNESS, static_cast<std::uintptr_t>(brightness), 0, {}});
        return brightness;
    }
    int frameBrightness() {
        const CameraRecord& record = frame->record();
        raw.resize(previewBufferSize(record.typeId, record.width, record.height));
        while (KRVCameraGrabFrame(raw.data()) != 1) {
        }
        return meanBrightness(raw, record.width, record.height, record.typeId,
                              record.previewResolution);
    }
    // Exposure and gain as the camera and the record hold them.
    void startAt(int exposure, int gainStep) {
        CameraRecord& record = frame->record();
        const int ms = record.longExposureMode ? longExposureIndexToMs(exposure) : exposure;
        record.exposure.value = exposure;
        record.exposureSent = ms;
        record.analogGain.value = gainStep;
        if (record.automaticSpeedSwitching) {
            KRVCameraSetSpeedMode(ms < 100 ? 0 : ms < 250 ? 1 : 2);
        }
        KRVCameraSetExposureTime(ms);
        KRVCameraSetAnalogGain(gainStepToRaw(record.typeId, gainStep));
    }

    RecordingSettingsStore store;
    StillPreview preview;
    CCameraFrame* frame = nullptr;
    std::vector<std::uint8_t> raw;
};

}  // namespace

TEST_F(ExposureWindow, TheExposureCommandOpensThePopupAboveItsButton) {
    makeWindow(13);
    frame->show();
    frame->move(frame->x(), 200);  // room above the toolbar
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kExposurePopup);
    EXPECT_EQ(frame->router().query(ID_CAMERA_EXPOSURE).checked, true);
    EXPECT_EQ(frame->commandActions().action(ID_CAMERA_EXPOSURE)->toolTip(), "Set Time");

    QToolBar* toolBar = frame->toolBar();
    QWidget* button = toolBar->widgetForAction(frame->commandActions().action(ID_CAMERA_EXPOSURE));
    ASSERT_NE(button, nullptr);
    const QPoint toolBarTopLeft = toolBar->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(popup->geometry(),
              QRect(toolBarTopLeft.x() + button->x() - 35, toolBarTopLeft.y() - 60, 210, 60));

    // It shows the record: range, auto exposure, value.
    const CameraRecord& record = frame->record();
    EXPECT_EQ(popup->exposureSlider()->GetRangeMax(), record.exposure.maximum);
    EXPECT_EQ(popup->autoExposureBox()->isChecked(), record.autoExposure.value != 0);
    EXPECT_TRUE(popup->autoExposureBox()->isEnabled());
    EXPECT_EQ(popup->exposureSlider()->GetPos(), record.exposure.value);
}

TEST_F(ExposureWindow, TheExposureCommandWhileBusyClosesThePopup) {
    makeWindow(13);
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    popup->autoExposureBox()->setChecked(false);  // the box as the user left it
    frame->record().autoExposure.value = 1;

    // Pressed again: the window is busy with the pop-up, so it closes instead.
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_EXPOSURE));
    EXPECT_EQ(frame->exposurePopup(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_EQ(frame->record().autoExposure.value, 0);  // taken from the box
    EXPECT_EQ(frame->router().query(ID_CAMERA_EXPOSURE).checked, false);
    EXPECT_EQ(frame->commandActions().action(ID_CAMERA_EXPOSURE)->toolTip(), "Exposure");

    // And a third press opens it again.
    EXPECT_NE(openPopup(), nullptr);
}

TEST_F(ExposureWindow, LosingActivationClosesAVisiblePopupOnly) {
    makeWindow(13);
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    popup->hide();
    frame->onMessage({MSG_EXPOSURE_POPUP_CLOSING, 1, 0, {}});
    EXPECT_EQ(frame->busy(), CCameraFrame::kExposurePopup);  // not visible: it stays
    EXPECT_EQ(frame->exposurePopup(), popup);

    popup->show();
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(popup, &deactivate);
    EXPECT_EQ(frame->exposurePopup(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
}

TEST_F(ExposureWindow, ThePopupOpensActiveAndItsOwnButtonClosesItForGood) {
    makeWindow(13);
    frame->show();
    // Windows of earlier tests go first: their going would move the activation.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QPointer<CExposurePopup> popup = openPopup();
    ASSERT_NE(popup, nullptr);
    QWidget* button =
        frame->toolBar()->widgetForAction(frame->commandActions().action(ID_CAMERA_EXPOSURE));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(static_cast<QWidget*>(popup->exposureButton()), button);
    // Shown active, like a dialog, so that a click elsewhere closes it.
    QTRY_VERIFY(popup && popup->isActiveWindow());

    // A press on the Exposure button takes the activation away first; the pop-up stays ...
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
    ASSERT_TRUE(button->rect().contains(button->mapFromGlobal(QCursor::pos())));
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(popup, &deactivate);
    EXPECT_EQ(frame->exposurePopup(), popup);
    EXPECT_EQ(frame->busy(), CCameraFrame::kExposurePopup);
    // ... for the button's command to close it, instead of closing and opening it again.
    ASSERT_TRUE(frame->router().dispatch(ID_CAMERA_EXPOSURE));
    EXPECT_EQ(frame->exposurePopup(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
}

TEST_F(ExposureWindow, ThePopupsCaptionFitsLeftOfItsTimeEntry) {
    makeWindow(13);
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    const int room = popup->timeEntry()->x() - 15;  // the caption starts at x 15
    EXPECT_LE(QFontMetrics(popup->captionFont()).horizontalAdvance("Auto-Exposure"), room);
}

TEST_F(ExposureWindow, MovingTheWindowClosesThePopup) {
    makeWindow(13);
    ASSERT_NE(openPopup(), nullptr);
    QMoveEvent move(QPoint(40, 40), QPoint(20, 20));
    QCoreApplication::sendEvent(frame, &move);
    EXPECT_EQ(frame->exposurePopup(), nullptr);
    EXPECT_EQ(frame->busy(), CCameraFrame::kIdle);
    EXPECT_EQ(frame->commandActions().action(ID_CAMERA_EXPOSURE)->toolTip(), "Exposure");
}

TEST_F(ExposureWindow, ThePopupsUpdatedTimeReachesTheCameraOnce) {
    makeWindow(13);
    frame->record().autoExposure.value = 0;
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    popup->setButton()->click();  // "Set"
    QTest::keyClick(popup->exposureSlider(), Qt::Key_PageDown);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(callsOf("KRVCameraSetExposureTime").empty());
    ASSERT_TRUE(popup->timeEntry()->SetTimeMs(730));
    popup->setButton()->click();  // "Update"
    EXPECT_EQ(callsOf("KRVCameraSetExposureTime"),
              std::vector<std::string>{"KRVCameraSetExposureTime(730)"});
    EXPECT_EQ(frame->record().exposureSent, 730);
    // The same time again is not sent again.
    popup->setButton()->click();
    popup->setButton()->click();
    EXPECT_EQ(callsOf("KRVCameraSetExposureTime").size(), 1u);
}

TEST_F(ExposureWindow, OnlySetTimeThenUpdateTimeOnThePageSetsTheExposure) {
    makeWindow(13);
    frame->record().autoExposure.value = 0;
    Sheet sheet;
    auto* page = new CExposurePage(&sheet);  // owned by the sheet
    page->SetCameraWindow(frame);
    page->AttachRecord(&frame->record());
    krvcamera::clearSimulatorCallLog();

    page->setTimeButton()->click();  // "Set time"
    EXPECT_TRUE(callsOf("KRVCameraSetExposureTime").empty());
    korvel::ui::CPageSlider* slider = page->exposureSlider();
    const int target = slider->GetPos() + 40;
    QTest::keyClick(slider, Qt::Key_PageDown);
    QTest::keyClick(slider, Qt::Key_PageDown);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(page->timeEntry()->GetTimeMs(), target);
    EXPECT_TRUE(callsOf("KRVCameraSetExposureTime").empty());

    page->setTimeButton()->click();  // "Update time"
    EXPECT_EQ(callsOf("KRVCameraSetExposureTime"),
              std::vector<std::string>{"KRVCameraSetExposureTime(" + std::to_string(target) + ")"});
    int ms = 0;
    KRVCameraGetExposureTime(&ms);
    EXPECT_EQ(ms, target);
    EXPECT_EQ(frame->record().exposure.value, target);
}

TEST_F(ExposureWindow, EachBrightnessStepsTheRegulationAndItsEndRefreshesPageAndPopup) {
    makeWindow(13);
    Sheet sheet;
    auto* page = new CExposurePage(&sheet);  // owned by the sheet
    page->SetCameraWindow(frame);
    page->AttachRecord(&frame->record());
    frame->setExposurePage(page);
    CameraRecord& record = frame->record();
    startAt(500, 2);
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    popup->autoExposureBox()->setChecked(true);
    popup->onAutoExposureClicked();
    ASSERT_EQ(record.autoExposure.value, 1);
    krvcamera::clearSimulatorCallLog();

    // Too bright: one step down (below T2 with gain above its floor, the gain goes down),
    // sent as speed mode, gain and exposure; the title shows the exposure the step started
    // from.
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 250, 0, {}});
    EXPECT_EQ(frame->windowTitle(), "500 ms");
    EXPECT_EQ(record.autoExposure.value, 1);
    EXPECT_EQ(record.analogGain.value, 1);
    EXPECT_EQ(krvcamera::simulatorCallLog(),
              (std::vector<std::string>{
                  "KRVCameraSetSpeedMode(2)",
                  "KRVCameraSetAnalogGain(" + std::to_string(gainStepToRaw(13, 1)) + ")",
                  "KRVCameraSetExposureTime(500)"}));
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 250, 0, {}});
    EXPECT_LT(record.exposure.value, 500);
    EXPECT_EQ(record.exposureSent, record.exposure.value);

    // On target: the regulation ends, auto exposure is off and both views show it.
    for (int i = 0; i < 4 && record.autoExposure.value; ++i) {
        frame->onMessage({MSG_FRAME_BRIGHTNESS, 100, 0, {}});
    }
    EXPECT_EQ(record.autoExposure.value, 0);
    EXPECT_EQ(record.runningBrightness, 0);
    EXPECT_FALSE(popup->autoExposureBox()->isChecked());
    EXPECT_TRUE(popup->setButton()->isEnabled());
    EXPECT_EQ(popup->exposureSlider()->GetPos(), record.exposure.value);
    EXPECT_TRUE(page->manualButton()->isChecked());
    EXPECT_EQ(page->exposureSlider()->GetPos(), record.exposure.value);

    // Off now: brightness messages leave the camera alone.
    krvcamera::clearSimulatorCallLog();
    frame->onMessage({MSG_FRAME_BRIGHTNESS, 250, 0, {}});
    EXPECT_TRUE(krvcamera::simulatorCallLog().empty());
    EXPECT_EQ(frame->windowTitle(), "/pics/");
}

// The regulation in closed loop with the simulated camera, as the user starts it from the
// pop-up: every model with software auto exposure, from the exposure floor (lowest gain)
// and from the ceiling (highest gain), for the targets -5, 0 and 5.
TEST_F(ExposureWindow, RegulationSettlesOnTheTargetForEveryModel) {
    std::printf("type start    target frames final\n");
    int models = 0;
    for (const CameraModel& model : cameraModels()) {
        CameraRecord probe;
        probe.typeId = model.typeId;
        initializeCameraModel(probe);
        if (!probe.softwareAutoExposure) {
            continue;
        }
        ++models;
        for (const bool fromCeiling : {false, true}) {
            for (const int step : {-5, 0, 5}) {
                makeWindow(model.typeId);
                CameraRecord& record = frame->record();
                const AutoExposureTuning& tuning = record.aeTuning;
                record.aeTarget.value = step;
                startAt(fromCeiling ? tuning.exposureCeiling : std::max(tuning.exposureFloor, 1),
                        fromCeiling ? tuning.gainCeilingStep : tuning.gainFloorStep);
                CExposurePopup* popup = openPopup();
                ASSERT_NE(popup, nullptr);
                popup->autoExposureBox()->setChecked(true);
                popup->onAutoExposureClicked();

                int frames = 0;
                while (record.autoExposure.value && frames < 100) {
                    deliverFrame();
                    ++frames;
                }
                const int final = frameBrightness();
                const int target = autoExposureTargetByte(step);
                std::printf("%4d %-8s %6d %6d %5d\n", model.typeId,
                            fromCeiling ? "ceiling" : "floor", target, frames, final);
                EXPECT_EQ(record.autoExposure.value, 0) << model.typeId;
                EXPECT_FALSE(popup->autoExposureBox()->isChecked());
                EXPECT_LE(frames, 60) << model.typeId << " target " << target;
                EXPECT_NEAR(final, target, 8)
                    << model.typeId << " from " << (fromCeiling ? "ceiling" : "floor");
                frame->close();
                frame = nullptr;
            }
        }
    }
    EXPECT_EQ(models, 7);
}

// The regulation runs on the user-interface thread while the preview's grab and decode
// threads deliver the frames and their brightness. How many frames it takes depends on how
// far the messages lag the camera, so only the steps themselves are checked here; the
// closed loop above checks the settling.
TEST_F(ExposureWindow, RegulationRunsBesideTheLivePreview) {
    makeWindow(17, true);  // the smallest sensor among the regulated models
    CameraRecord& record = frame->record();
    record.aeTarget.value = 0;
    startAt(1, 1);  // far too dark
    CExposurePopup* popup = openPopup();
    ASSERT_NE(popup, nullptr);
    popup->autoExposureBox()->setChecked(true);
    popup->onAutoExposureClicked();
    // Bounded: the first frames already move the exposure up.
    for (int waits = 0; waits < 2000 && record.exposure.value == 1; ++waits) {
        QTest::qWait(5);
    }
    EXPECT_GT(record.exposure.value, 1);
    EXPECT_TRUE(frame->windowTitle().endsWith(" ms"));
    int ms = 0;
    KRVCameraGetExposureTime(&ms);
    EXPECT_GT(ms, 1);
    // Let it run a little longer beside the threads, then switch it off from the pop-up.
    QTest::qWait(200);
    popup->autoExposureBox()->setChecked(false);
    popup->onAutoExposureClicked();
    EXPECT_EQ(record.autoExposure.value, 0);
    const int exposure = record.exposure.value;
    QTest::qWait(100);
    EXPECT_EQ(record.exposure.value, exposure);  // no more steps
}
