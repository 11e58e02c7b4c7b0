#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <vector>

#include "camera/CTimeEntryCtrl.h"
#include "framework/Message.h"

namespace korvel::camera {
namespace {

constexpr int kId = 1021;

// A page that records the control's notifications.
class Page : public QWidget, public framework::MessageTarget {
public:
    std::intptr_t onMessage(const framework::Message& message) override {
        if (message.id == WM_TIMECHANGE) {
            notices.push_back({message.wParam, message.lParam});
        }
        return 0;
    }
    std::vector<std::pair<std::uintptr_t, std::intptr_t>> notices;
};

class TimeEntryCtrl : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(300, 120);
        control = new CTimeEntryCtrl(QRect(10, 10, 130, 60), kId, &page);  // owned by the page
        page.show();
        settle();
        page.notices.clear();
    }
    // Runs the posted requests and notifications (twice: a request may post more).
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
    }
    QString shown() const { return control->displayField()->text(); }
    void type(QWidget* widget, const char* keys) { QTest::keyClicks(widget, keys); }

    Page page;
    CTimeEntryCtrl* control = nullptr;
};

TEST_F(TimeEntryCtrl, NewControlShowsOneMillisecondSelected) {
    EXPECT_EQ(shown(), " 00 : 00 . 001");
    EXPECT_EQ(control->displayField()->selectedText(), "001");
    EXPECT_EQ(control->GetTimeMs(), 1);
    EXPECT_TRUE(control->displayField()->isVisible());
    EXPECT_FALSE(control->inputBox()->isVisible());
    EXPECT_FALSE(control->yesButton()->isVisible());
    EXPECT_TRUE(control->slider()->isVisible());
    EXPECT_EQ(control->geometry(), QRect(10, 10, 130, 60));
}

TEST_F(TimeEntryCtrl, SetTimeMsNotifiesTheParentThreeTimes) {
    EXPECT_TRUE(control->SetTimeMs(61001));
    settle();
    EXPECT_EQ(shown(), " 01 : 01 . 001");
    EXPECT_EQ(control->displayField()->selectedText(), "01");  // minutes left selected
    using Notice = std::pair<std::uintptr_t, std::intptr_t>;
    EXPECT_EQ(page.notices, (std::vector<Notice>(3, Notice{kId, 0})));
    control->SetSelectedField(3);
    EXPECT_EQ(control->displayField()->selectedText(), "001");

    page.notices.clear();
    EXPECT_FALSE(control->SetTimeMs(6000000));
    settle();
    EXPECT_TRUE(page.notices.empty());
    EXPECT_EQ(shown(), " 01 : 01 . 001");
}

TEST_F(TimeEntryCtrl, TwoMinutesShowAndReadBack) {
    control->ShowSlider(false);
    control->SetMaxTime(120000 / 60000, (120000 / 1000) % 60, 120000 % 1000);
    ASSERT_TRUE(control->SetTimeMs(120000));
    control->SetSelectedField(3);
    EXPECT_EQ(shown(), " 02 : 00 . 000");
    EXPECT_EQ(control->GetTimeMs(), 120000);
    EXPECT_FALSE(control->slider()->isVisible());
}

TEST_F(TimeEntryCtrl, DigitTypedInDisplayOpensEditModeForTheSelectedField) {
    control->SetSelectedField(2);
    type(control->displayField(), "7");
    settle();
    ASSERT_TRUE(control->isEditing());
    EXPECT_EQ(control->inputBox()->text(), "7");
    EXPECT_EQ(control->model().prompt(), "Set Second");
    EXPECT_TRUE(control->inputBox()->isVisible());
    EXPECT_TRUE(control->yesButton()->isVisible());
    EXPECT_TRUE(control->noButton()->isVisible());
    EXPECT_FALSE(control->displayField()->isVisible());
    EXPECT_FALSE(control->slider()->isVisible());

    type(control->inputBox(), "a-");  // not let through
    EXPECT_EQ(control->inputBox()->text(), "7");
    type(control->inputBox(), "5");
    QTest::keyClick(control->inputBox(), Qt::Key_Return);  // 75 seconds: refused
    EXPECT_TRUE(control->isEditing());
    EXPECT_EQ(control->inputBox()->text(), "75");
    QTest::keyClick(control->inputBox(), Qt::Key_Backspace);
    QTest::keyClick(control->inputBox(), Qt::Key_Return);
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(shown(), " 00 : 07 . 001");
    EXPECT_TRUE(control->displayField()->isVisible());
    settle();
    EXPECT_EQ(page.notices.size(), 1u);
}

TEST_F(TimeEntryCtrl, LettersAndEnterInTheDisplayAreSwallowed) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(control->displayField(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    type(control->displayField(), "x");
    settle();
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(shown(), " 00 : 00 . 001");
}

// The pixel of the display field whose caret position is `caret`.
int pixelOfCaret(QLineEdit* display, int caret) {
    int x = 0;
    while (x < display->width() && display->cursorPositionAt(QPoint(x, 10)) != caret) {
        ++x;
    }
    return x;
}

TEST_F(TimeEntryCtrl, ClickSelectsTheFieldUnderTheCaret) {
    QLineEdit* display = control->displayField();
    const int x = pixelOfCaret(display, 2);
    ASSERT_LT(x, display->width());
    QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(x, 10));
    EXPECT_EQ(control->model().selectedField(), 1);
    EXPECT_EQ(display->selectedText(), "00");
    QTest::mouseClick(display, Qt::LeftButton, {}, QPoint(pixelOfCaret(display, 5), 10));
    EXPECT_EQ(control->model().selectedField(), 1);  // between fields: unchanged
    settle();
    EXPECT_FALSE(control->isEditing());
}

TEST_F(TimeEntryCtrl, DoubleClickOnAFieldEditsItAndNCancels) {
    control->SetTimeMs(5042);
    QLineEdit* display = control->displayField();
    const int x = pixelOfCaret(display, 7);
    ASSERT_LT(x, display->width());
    QTest::mouseDClick(display, Qt::LeftButton, {}, QPoint(x, 10));
    settle();
    ASSERT_TRUE(control->isEditing());
    EXPECT_EQ(control->model().selectedField(), 2);
    EXPECT_EQ(control->inputBox()->text(), "5");
    type(control->inputBox(), "9");
    QTest::mouseClick(control->noButton(), Qt::LeftButton);
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(control->GetTimeMs(), 5042);
}

TEST_F(TimeEntryCtrl, EditRequestsAndTheYButton) {
    framework::sendMessage(control, {res::MSG_TIME_EDIT_MINUTES, 0, 0, {}});
    ASSERT_TRUE(control->isEditing());
    EXPECT_EQ(control->model().prompt(), "Set Minute");
    control->inputBox()->setText("3");
    QTest::mouseClick(control->yesButton(), Qt::LeftButton);
    EXPECT_FALSE(control->isEditing());
    EXPECT_EQ(shown(), " 03 : 00 . 001");
}

TEST_F(TimeEntryCtrl, SpinButtonStepsTheSelectedField) {
    QTest::mouseClick(control->spinDown(), Qt::LeftButton);
    EXPECT_EQ(shown(), " 00 : 00 . 000");
    QTest::mouseClick(control->spinDown(), Qt::LeftButton);  // not below 0
    EXPECT_EQ(control->GetTimeMs(), 0);
    QTest::mouseClick(control->spinUp(), Qt::LeftButton);
    QTest::mouseClick(control->spinUp(), Qt::LeftButton);
    EXPECT_EQ(control->GetTimeMs(), 2);
    settle();
    EXPECT_EQ(page.notices.size(), 3u);
}

TEST_F(TimeEntryCtrl, DisabledControlDisablesItsChildren) {
    control->Enable(false);
    EXPECT_FALSE(control->displayField()->isEnabled());
    EXPECT_FALSE(control->spinUp()->isEnabled());
    EXPECT_FALSE(control->slider()->isEnabled());
    framework::sendMessage(control, {res::MSG_TIME_DIGIT_TYPED, '4', 0, {}});
    EXPECT_FALSE(control->isEditing());
    control->Enable(true);
    EXPECT_TRUE(control->inputBox()->isEnabled());
}

TEST_F(TimeEntryCtrl, SliderThirdsAndTheWayBack) {
    QSlider* slider = control->slider();
    slider->setValue(slider->maximum());  // the far end: maximum minutes minus one second
    EXPECT_EQ(shown(), " 09 : 59 . 000");
    slider->setValue(0);
    EXPECT_EQ(shown(), " 00 : 00 . 001");
    settle();
    EXPECT_FALSE(page.notices.empty());

    control->SetTimeMs(59999);  // the end of the middle third
    settle();
    EXPECT_NEAR(slider->value(), 66, 1);
    control->SetTimeMs(999);  // the end of the first third
    settle();
    EXPECT_NEAR(slider->value(), 33, 1);
}

TEST_F(TimeEntryCtrl, LongExposureIndices) {
    control->SetLongExposureMode(true);
    control->SetMaxTime(59, 59, 999);
    ASSERT_TRUE(control->SetTimeMs(99));
    EXPECT_EQ(shown(), " 59 : 59 . 999");
    EXPECT_EQ(control->GetTimeMs(), 99);
    EXPECT_FALSE(control->SetTimeMs(100));
    EXPECT_EQ(control->GetTimeMs(), 99);
}

TEST_F(TimeEntryCtrl, DrawsWithoutADisplay) {
    control->SetBackgroundColor(QColor(216, 231, 252));
    const QImage image = control->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), QColor(216, 231, 252));
}

}  // namespace
}  // namespace korvel::camera
