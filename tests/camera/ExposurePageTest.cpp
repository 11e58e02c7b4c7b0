#include "CameraFixture.h"

#include "camera/CExposurePage.h"
#include "camera/CExposurePopup.h"
#include "camera/CTimeEntryCtrl.h"
#include "camera/CameraModels.h"
#include "camera/ExposureControls.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

using namespace korvel::camera;
using namespace korvel::res;
using korvel::camera::test::SimulatedCameraTest;
using korvel::framework::Message;
using korvel::framework::MessageTarget;

namespace {

// Stands where the camera settings sheet and the camera window will be: records what the
// page and the pop-up send them.
class Recorder : public QWidget, public MessageTarget {
public:
    using QWidget::QWidget;
    std::intptr_t onMessage(const Message& m) override {
        messages.push_back(m);
        return 0;
    }
    std::vector<unsigned> ids() const {
        std::vector<unsigned> result;
        for (const Message& m : messages) {
            result.push_back(m.id);
        }
        return result;
    }
    std::vector<Message> messages;
};

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

// An open simulated camera and a record of its model, as the camera window has them.
class ExposureFixture : public SimulatedCameraTest {
protected:
    void openCamera(int type) {
        useCamera("sim:" + std::to_string(type));
        ASSERT_EQ(KRVCameraInit(0, nullptr, nullptr), 1);
        record.typeId = type;
        ASSERT_TRUE(initializeCameraModel(record));
        record.state = kCameraOpen;
        krvcamera::clearSimulatorCallLog();
    }
    void TearDown() override {
        KRVCameraUnInit();
        SimulatedCameraTest::TearDown();
    }
    std::string lastCallOf(const std::string& prefix) {
        const auto calls = callsOf(prefix);
        return calls.empty() ? std::string() : calls.back();
    }
    CameraRecord record;
};

class ExposurePage : public ExposureFixture {
protected:
    // The sheet hosts the page; the camera window is the sheet's owner.
    void makePage(int type, bool autoExposure) {
        openCamera(type);
        record.autoExposure.value = autoExposure ? 1 : 0;
        page = new CExposurePage(&sheet);  // owned by the sheet
        page->SetCameraWindow(&cameraWindow);
        page->AttachRecord(&record);
        sheet.show();
        krvcamera::clearSimulatorCallLog();
    }
    void key(QWidget* widget, Qt::Key key) {
        QTest::keyClick(widget, key);
        settle();
    }
    QWidget* control(int id) const { return page->findChild<QWidget*>(QString::number(id)); }

    Recorder cameraWindow;
    Recorder sheet{nullptr};
    CExposurePage* page = nullptr;
};

}  // namespace

TEST(ExposureControls, TimeLimitsAndIsoText) {
    EXPECT_EQ(exposureTimeLimit(120000, false), (TimeLimit{2, 0, 0}));
    EXPECT_EQ(exposureTimeLimit(3000, false), (TimeLimit{0, 3, 0}));
    EXPECT_EQ(exposureTimeLimit(61999, false), (TimeLimit{1, 1, 999}));
    EXPECT_EQ(exposureTimeLimit(99, true), (TimeLimit{59, 59, 999}));
    EXPECT_EQ(isoText(4), "ISO:400");
    EXPECT_EQ(isoText(16), "ISO:1600");
}

TEST(ExposureControls, ThePopupStandsAboveItsButtonOrBelowTheToolbarOnTheScreen) {
    const QSize size(210, 60);
    const QRect screen(0, 0, 1600, 1000);
    // Room above the toolbar: left 35 pixels left of the button, bottom on the toolbar's top.
    EXPECT_EQ(exposurePopupPlace(QRect(400, 300, 30, 30), QRect(180, 300, 1200, 33), size, screen),
              QRect(365, 240, 210, 60));
    // A camera window at the top of the screen: below the toolbar instead.
    EXPECT_EQ(exposurePopupPlace(QRect(400, 0, 30, 30), QRect(180, 0, 1200, 33), size, screen),
              QRect(365, 33, 210, 60));
    // Kept inside the screen sideways.
    EXPECT_EQ(exposurePopupPlace(QRect(10, 300, 30, 30), QRect(0, 300, 800, 33), size, screen),
              QRect(0, 240, 210, 60));
    EXPECT_EQ(exposurePopupPlace(QRect(1500, 300, 30, 30), QRect(0, 300, 1600, 33), size, screen),
              QRect(1390, 240, 210, 60));
}

TEST_F(ExposurePage, ControlsCarryTheirIdsTextsAndColours) {
    makePage(13, false);
    EXPECT_EQ(page->objectName(), "Dialog184");
    const std::pair<int, const char*> texts[] = {
        {IDC_EXPOSURE_AUTO, "Auto Exposure"},        {IDC_EXPOSURE_MANUAL, "Manual Exposure"},
        {IDC_EXPOSURE_TARGET_DARK, "Dark"},          {IDC_EXPOSURE_TARGET_BRIGHT, "Bright"},
        {IDC_EXPOSURE_TIME_LABEL, "Exposure Time:"}, {IDC_EXPOSURE_SET_TIME, "Set time"},
        {IDC_EXPOSURE_GAIN_LABEL, "Gain:"},          {IDC_EXPOSURE_WHITE_BALANCE, "W.Balance"},
        {IDC_EXPOSURE_BLACK_BALANCE, "B.Balance"},   {IDC_EXPOSURE_DEFAULT, "Default"},
    };
    for (const auto& [id, text] : texts) {
        QWidget* widget = control(id);
        ASSERT_NE(widget, nullptr) << id;
        const QString shown = widget->property("text").toString();
        EXPECT_EQ(shown, text) << id;
    }
    for (const int id : {IDC_EXPOSURE_GROUP, IDC_EXPOSURE_WB_GROUP, IDC_EXPOSURE_TARGET_SLIDER,
                         IDC_EXPOSURE_TIME_SLIDER, IDC_EXPOSURE_GAIN_SLIDER, IDC_EXPOSURE_GAIN_TEXT,
                         IDC_EXPOSURE_TIME_ENTRY}) {
        EXPECT_NE(control(id), nullptr) << id;
    }
    EXPECT_EQ(page->palette().color(QPalette::Window), QColor(216, 231, 252));
    EXPECT_NE(page->gainText()->palette().color(QPalette::Window), QColor(216, 231, 252));
    EXPECT_FALSE(page->timeEntry()->slider()->isVisible());
    EXPECT_EQ(page->timeEntry()->model().selectedField(), 3);

    // The group boxes take half of any extra width.
    const int groupWidth = control(IDC_EXPOSURE_GROUP)->width();
    page->resize(page->width() + 100, page->height());
    EXPECT_EQ(control(IDC_EXPOSURE_GROUP)->width(), groupWidth + 50);
    EXPECT_EQ(control(IDC_EXPOSURE_WB_GROUP)->width(), groupWidth + 50);
}

TEST_F(ExposurePage, TextsShowWholeAndADisabledGainTextLooksDisabled) {
    makePage(13, true);  // auto exposure on: the gain text is disabled
    for (const int id :
         {IDC_EXPOSURE_AUTO, IDC_EXPOSURE_MANUAL, IDC_EXPOSURE_TARGET_DARK,
          IDC_EXPOSURE_TARGET_BRIGHT, IDC_EXPOSURE_TIME_LABEL, IDC_EXPOSURE_GAIN_LABEL}) {
        QWidget* widget = control(id);
        EXPECT_LE(widget->sizeHint().width(), widget->width()) << id;
    }

    // The gain text keeps the standard look, the disabled look included, so a locked gain
    // does not look as if it could be typed into.
    QLineEdit* gain = page->gainText();
    ASSERT_FALSE(gain->isEnabled());
    const QPalette standard = QApplication::palette(gain);
    ASSERT_NE(standard.color(QPalette::Disabled, QPalette::Text),
              standard.color(QPalette::Active, QPalette::Text));
    for (const auto role : {QPalette::Text, QPalette::Base, QPalette::Window}) {
        for (const auto group : {QPalette::Active, QPalette::Disabled}) {
            EXPECT_EQ(gain->palette().color(group, role), standard.color(group, role))
                << role << " " << group;
        }
    }
}

TEST_F(ExposurePage, WithAutoExposureOnTheTimeAndGainAreLocked) {
    makePage(13, true);
    EXPECT_TRUE(page->autoButton()->isChecked());
    for (const int id : {IDC_EXPOSURE_TIME_SLIDER, IDC_EXPOSURE_TIME_ENTRY, IDC_EXPOSURE_TIME_LABEL,
                         IDC_EXPOSURE_SET_TIME, IDC_EXPOSURE_GAIN_SLIDER, IDC_EXPOSURE_GAIN_TEXT,
                         IDC_EXPOSURE_GAIN_LABEL}) {
        EXPECT_FALSE(control(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(control(IDC_EXPOSURE_TARGET_SLIDER)->isEnabled());

    // Manual: gain and "Set time" free; the time only after "Set time".
    page->manualButton()->click();
    EXPECT_EQ(record.autoExposure.value, 0);
    EXPECT_EQ(lastCallOf("KRVCameraSetAeState"), "KRVCameraSetAeState(0)");
    EXPECT_TRUE(control(IDC_EXPOSURE_GAIN_SLIDER)->isEnabled());
    EXPECT_TRUE(control(IDC_EXPOSURE_GAIN_TEXT)->isEnabled());
    EXPECT_TRUE(control(IDC_EXPOSURE_SET_TIME)->isEnabled());
    EXPECT_FALSE(control(IDC_EXPOSURE_TIME_SLIDER)->isEnabled());
    page->setTimeButton()->click();
    EXPECT_TRUE(control(IDC_EXPOSURE_TIME_SLIDER)->isEnabled());
    EXPECT_TRUE(control(IDC_EXPOSURE_TIME_ENTRY)->isEnabled());
    EXPECT_TRUE(control(IDC_EXPOSURE_TIME_LABEL)->isEnabled());

    // Auto again: under software auto exposure the camera's own stays off, and the
    // regulation starts from a running brightness of 0.
    record.runningBrightness = 77;
    krvcamera::clearSimulatorCallLog();
    page->autoButton()->click();
    EXPECT_EQ(record.autoExposure.value, 1);
    EXPECT_EQ(record.runningBrightness, 0);
    EXPECT_EQ(callsOf("KRVCameraSetAeState"), std::vector<std::string>{"KRVCameraSetAeState(0)"});
    // Clicking the button that is already on does nothing.
    krvcamera::clearSimulatorCallLog();
    page->autoButton()->click();
    EXPECT_TRUE(callsOf("KRVCameraSetAeState").empty());
}

TEST_F(ExposurePage, ACameraWithItsOwnAutoExposureIsSwitchedOnDirectly) {
    makePage(23, false);  // no software auto exposure
    page->autoButton()->click();
    EXPECT_EQ(lastCallOf("KRVCameraSetAeState"), "KRVCameraSetAeState(1)");
}

TEST_F(ExposurePage, TheTargetSliderSendsItsTargetByte) {
    makePage(13, true);
    korvel::ui::CPageSlider* slider = page->targetSlider();
    key(slider, Qt::Key_Home);
    EXPECT_EQ(slider->GetPos(), -5);
    EXPECT_EQ(record.aeTarget.value, -5);
    EXPECT_EQ(lastCallOf("KRVCameraSetAeTarget"), "KRVCameraSetAeTarget(40)");
    for (int i = 0; i < 5; ++i) {
        key(slider, Qt::Key_Right);
    }
    EXPECT_EQ(record.aeTarget.value, 0);
    EXPECT_EQ(lastCallOf("KRVCameraSetAeTarget"), "KRVCameraSetAeTarget(100)");
    key(slider, Qt::Key_End);
    EXPECT_EQ(record.aeTarget.value, 5);
    EXPECT_EQ(lastCallOf("KRVCameraSetAeTarget"), "KRVCameraSetAeTarget(200)");
    std::uint8_t target = 0;
    KRVCameraGetAeTarget(&target);
    EXPECT_EQ(target, 200);
}

TEST_F(ExposurePage, TheGainSliderShowsIsoAndSendsTheRawGain) {
    makePage(13, false);  // family C: step 4 is raw 345
    korvel::ui::CPageSlider* slider = page->gainSlider();
    key(slider, Qt::Key_Home);
    for (int i = 0; i < 3; ++i) {
        key(slider, Qt::Key_Right);
    }
    EXPECT_EQ(page->gainText()->text(), "ISO:400");
    EXPECT_EQ(record.analogGain.value, 4);
    EXPECT_EQ(lastCallOf("KRVCameraSetAnalogGain"), "KRVCameraSetAnalogGain(345)");

    // Typing into the text has no lasting effect.
    QTest::keyClicks(page->gainText(), "9");
    EXPECT_EQ(page->gainText()->text(), "ISO:400");

    // A gain step of 16 reads ISO:1600.
    record.analogGain.maximum = 16;
    page->AttachRecord(&record);
    key(slider, Qt::Key_End);
    EXPECT_EQ(slider->GetPos(), 16);
    EXPECT_EQ(page->gainText()->text(), "ISO:1600");
    EXPECT_EQ(page->isoText(), "ISO:1600");
}

TEST_F(ExposurePage, MovingTheExposureSliderChangesOnlyTheShownTime) {
    makePage(13, false);
    page->setTimeButton()->click();  // "Set time": the slider is free now
    ASSERT_EQ(page->setTimeButton()->text(), "Update time");
    korvel::ui::CPageSlider* slider = page->exposureSlider();
    const int before = slider->GetPos();
    key(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->GetPos(), before + 20);
    EXPECT_EQ(page->timeEntry()->GetTimeMs(), before + 20);
    EXPECT_EQ(record.exposure.value, before + 20);
    EXPECT_TRUE(callsOf("KRVCameraSetExposureTime").empty());
    EXPECT_TRUE(cameraWindow.messages.empty());

    page->setTimeButton()->click();  // "Update time" sends it to the camera window
    ASSERT_EQ(cameraWindow.messages.size(), 1u);
    EXPECT_EQ(cameraWindow.messages[0].id, unsigned(MSG_SET_EXPOSURE));
    EXPECT_EQ(cameraWindow.messages[0].wParam, std::uintptr_t(before + 20));
    EXPECT_EQ(page->setTimeButton()->text(), "Set time");
    EXPECT_FALSE(page->exposureSlider()->isEnabled());
    // The page never sets the exposure itself.
    EXPECT_TRUE(callsOf("KRVCameraSetExposureTime").empty());
}

TEST_F(ExposurePage, UpdateTimeSendsTwoMinutesAsMilliseconds) {
    openCamera(13);
    record.autoExposure.value = 0;
    record.exposure.maximum = 200000;
    page = new CExposurePage(&sheet);
    page->SetCameraWindow(&cameraWindow);
    page->AttachRecord(&record);
    page->setTimeButton()->click();
    ASSERT_TRUE(page->timeEntry()->SetTimeMs(120000));
    EXPECT_EQ(page->timeEntry()->model().displayText(), " 02 : 00 . 000");
    page->setTimeButton()->click();
    ASSERT_EQ(cameraWindow.messages.size(), 1u);
    EXPECT_EQ(cameraWindow.messages[0].id, unsigned(MSG_SET_EXPOSURE));
    EXPECT_EQ(cameraWindow.messages[0].wParam, 120000u);
}

TEST_F(ExposurePage, LongExposureValuesAreTableIndices) {
    openCamera(13);
    record.longExposureMode = 1;
    ASSERT_TRUE(initializeCameraModel(record));
    record.autoExposure.value = 0;
    KRVCameraSetExposureTime(1124);  // index 46
    page = new CExposurePage(&sheet);
    page->SetCameraWindow(&cameraWindow);
    page->AttachRecord(&record);
    EXPECT_EQ(record.exposure.value, 46);
    EXPECT_EQ(record.exposureSent, 1124);
    EXPECT_EQ(page->exposureSlider()->GetPos(), 46);
    EXPECT_EQ(page->timeEntry()->model().displayText(), " 00 : 01 . 124");
    page->setTimeButton()->click();
    ASSERT_TRUE(page->timeEntry()->SetTimeMs(99));
    page->setTimeButton()->click();
    ASSERT_EQ(cameraWindow.messages.size(), 1u);
    EXPECT_EQ(cameraWindow.messages[0].wParam, 99u);
}

TEST_F(ExposurePage, BalanceButtonsGoToTheSheetAndDefaultToTheCameraWindow) {
    makePage(13, false);
    EXPECT_TRUE(control(IDC_EXPOSURE_BLACK_BALANCE)->isEnabled());
    static_cast<QPushButton*>(control(IDC_EXPOSURE_WHITE_BALANCE))->click();
    static_cast<QPushButton*>(control(IDC_EXPOSURE_BLACK_BALANCE))->click();
    EXPECT_EQ(sheet.ids(), (std::vector<unsigned>{MSG_QUICK_WHITE_BALANCE, MSG_BLACK_BALANCE}));

    record.exposure.value = 999;
    record.aeTarget.value = 3;
    static_cast<QPushButton*>(control(IDC_EXPOSURE_DEFAULT))->click();
    EXPECT_EQ(record.exposure.value, 40);  // the model's defaults
    EXPECT_EQ(record.aeTarget.value, 0);
    EXPECT_EQ(cameraWindow.ids(), std::vector<unsigned>{MSG_APPLY_ALL});
}

TEST_F(ExposurePage, ModelsWithoutQuickBalanceDisableBlackBalance) {
    makePage(12, false);
    EXPECT_FALSE(control(IDC_EXPOSURE_BLACK_BALANCE)->isEnabled());
}

TEST_F(ExposurePage, StoreToRecordWritesTheSliderPositions) {
    makePage(13, false);
    page->targetSlider()->SetPos(-2);
    page->exposureSlider()->SetPos(321);
    page->gainSlider()->SetPos(6);
    CameraRecord copy = record;
    page->StoreToRecord(&copy);
    EXPECT_EQ(copy.aeTarget.value, -2);
    EXPECT_EQ(copy.exposure.value, 321);
    EXPECT_EQ(copy.analogGain.value, 6);
}

TEST_F(ExposurePage, RefreshReadsExposureAndGainFromTheCamera) {
    makePage(13, false);
    KRVCameraSetExposureTime(250);
    KRVCameraSetAnalogGain(399);  // family C step 5
    page->Refresh();
    EXPECT_EQ(record.exposure.value, 250);
    EXPECT_EQ(record.exposureSent, 250);
    EXPECT_EQ(page->exposureSlider()->GetPos(), 250);
    EXPECT_EQ(page->timeEntry()->GetTimeMs(), 250);
    EXPECT_EQ(record.analogGain.value, 5);
    EXPECT_EQ(page->gainText()->text(), "ISO:500");
}

// ---------------------------------------------------------------------------------------
// The exposure pop-up on its own; the camera window's side is tested with the window.

namespace {

class ExposurePopup : public ExposureFixture {
protected:
    void makePopup(int type) {
        openCamera(type);
        popup = std::make_unique<CExposurePopup>(record, &owner, nullptr);
        popup->SetExposureRange(record.exposure.minimum, record.exposure.maximum, false);
        popup->EnableAutoExposureBox(record.autoExposure.flag != 0);
        popup->SetLongExposure(false);
        popup->SetAutoExposure(false);
        popup->SetExposure(record.exposure.value);
        popup->show();
        krvcamera::clearSimulatorCallLog();
    }
    Recorder owner;
    std::unique_ptr<CExposurePopup> popup;
};

}  // namespace

TEST_F(ExposurePopup, PlacesItsControlsAndStartsLocked) {
    makePopup(13);
    EXPECT_EQ(popup->objectName(), "Dialog181");
    EXPECT_EQ(popup->size(), QSize(210, 60));
    EXPECT_EQ(popup->autoExposureBox()->geometry(), QRect(2, 8, 12, 14));
    EXPECT_EQ(popup->exposureSlider()->geometry(), QRect(95, 40, 115, 18));
    EXPECT_EQ(popup->setButton()->geometry(), QRect(5, 35, 75, 22));
    EXPECT_EQ(popup->timeEntry()->geometry(), QRect(90, 5, 115, 35));
    EXPECT_EQ(popup->setButton()->text(), "Set");
    EXPECT_FALSE(popup->timeEntry()->slider()->isVisible());
    EXPECT_EQ(popup->exposureSlider()->GetRangeMax(), 3000);
    EXPECT_EQ(popup->timeEntry()->GetTimeMs(), 40);
    EXPECT_FALSE(popup->exposureSlider()->isEnabled());
    EXPECT_FALSE(popup->timeEntry()->isEnabled());
    EXPECT_TRUE(popup->setButton()->isEnabled());

    // The background is the pop-up's blue.
    const QImage picture = popup->grab().toImage();
    EXPECT_EQ(picture.pixelColor(60, 2), QColor(177, 204, 255));
}

TEST_F(ExposurePopup, SetThenUpdateSendsTheEnteredTime) {
    makePopup(13);
    popup->setButton()->click();
    EXPECT_EQ(popup->setButton()->text(), "Update");
    EXPECT_TRUE(popup->exposureSlider()->isEnabled());
    EXPECT_TRUE(popup->timeEntry()->isEnabled());

    // The slider moves the shown time only.
    QTest::keyClick(popup->exposureSlider(), Qt::Key_PageDown);
    settle();
    EXPECT_EQ(popup->timeEntry()->GetTimeMs(), 60);
    EXPECT_TRUE(owner.messages.empty());

    ASSERT_TRUE(popup->timeEntry()->SetTimeMs(1500));
    popup->setButton()->click();
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].id, unsigned(MSG_SET_EXPOSURE));
    EXPECT_EQ(owner.messages[0].wParam, 1500u);
    EXPECT_EQ(popup->exposureSlider()->GetPos(), 1500);
    EXPECT_EQ(popup->setButton()->text(), "Set");
    EXPECT_FALSE(popup->exposureSlider()->isEnabled());
    EXPECT_TRUE(callsOf("KRVCameraSetExposureTime").empty());
}

TEST_F(ExposurePopup, TickingAutoExposureStartsTheRegulationAndShowsTheCameraTime) {
    makePopup(13);
    popup->setButton()->click();  // "Set" first: ticking ends the editing
    KRVCameraSetExposureTime(321);
    record.runningBrightness = 50;
    krvcamera::clearSimulatorCallLog();
    popup->autoExposureBox()->click();
    EXPECT_TRUE(popup->autoExposure());
    EXPECT_FALSE(popup->setTimeFlag());
    EXPECT_EQ(popup->setButton()->text(), "Set");
    EXPECT_FALSE(popup->setButton()->isEnabled());
    EXPECT_FALSE(popup->exposureSlider()->isEnabled());
    EXPECT_EQ(record.autoExposure.value, 1);
    EXPECT_EQ(record.runningBrightness, 0);
    EXPECT_EQ(callsOf("KRVCameraSetAeState"), std::vector<std::string>{"KRVCameraSetAeState(0)"});
    EXPECT_EQ(popup->exposureSlider()->GetPos(), 321);
    EXPECT_EQ(popup->timeEntry()->GetTimeMs(), 321);

    popup->autoExposureBox()->click();
    EXPECT_EQ(record.autoExposure.value, 0);
    EXPECT_TRUE(popup->setButton()->isEnabled());
}

TEST_F(ExposurePopup, EnterKeepsItOpenLosingActivationAsksTheOwnerToClose) {
    makePopup(13);
    QTest::keyClick(popup.get(), Qt::Key_Return);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(owner.messages.empty());
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(popup.get(), &deactivate);
    ASSERT_EQ(owner.messages.size(), 1u);
    EXPECT_EQ(owner.messages[0].id, unsigned(MSG_EXPOSURE_POPUP_CLOSING));
    EXPECT_EQ(owner.messages[0].wParam, 1u);
}

TEST_F(ExposurePopup, AClickOnTheBackgroundDragsIt) {
    makePopup(13);
    popup->move(300, 200);
    const QPoint start = popup->pos();
    QTest::mousePress(popup.get(), Qt::LeftButton, {}, QPoint(40, 25));
    QMouseEvent move(QEvent::MouseMove, QPointF(70, 45), popup->mapToGlobal(QPointF(70, 45)),
                     Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(popup.get(), &move);
    QTest::mouseRelease(popup.get(), Qt::LeftButton, {}, QPoint(70, 45));
    EXPECT_EQ(popup->pos(), start + QPoint(30, 20));
}

TEST_F(ExposurePage, ACameraThatDoesNotAnswerLeavesTheValues) {
    makePage(13, false);
    KRVCameraSetExposureTime(250);
    KRVCameraSetAnalogGain(399);
    page->Refresh();
    KRVCameraUnInit();  // closed: every read fails
    page->Refresh();
    EXPECT_EQ(record.exposure.value, 250);
    EXPECT_EQ(record.exposureSent, 250);
    EXPECT_EQ(record.analogGain.value, 5);
    EXPECT_EQ(page->timeEntry()->GetTimeMs(), 250);
}
