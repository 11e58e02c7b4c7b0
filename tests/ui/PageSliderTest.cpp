#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <vector>

#include "framework/Message.h"
#include "res/ids.h"
#include "ui/CPageSlider.h"
#include "ui/PageSliderModel.h"

namespace korvel::ui {
namespace {

// Geometry of the camera pages: a 115-pixel channel and a 10-pixel thumb, so the thumb
// travels 115 - 4 - 10 = 101 pixels with its centre between 7 and 108.
PageSliderModel pageModel(int minimum, int maximum) {
    PageSliderModel model;
    model.setGeometry(115, 10);
    model.setRange(minimum, maximum);
    return model;
}

// ---------------------------------------------------------------------------------------
// Geometry and range

TEST(PageSliderModel, ThumbCentreAndPositionAtBothEnds) {
    PageSliderModel model = pageModel(0, 100);
    EXPECT_EQ(model.thumbCentreFor(0), 7);
    EXPECT_EQ(model.thumbCentreFor(100), 108);
    EXPECT_EQ(model.thumbCentreFor(50), 2 + 50 + 5);  // trunc(0.5 * 101)
    EXPECT_EQ(model.positionAt(7), 0);
    EXPECT_EQ(model.positionAt(108), 100);
    EXPECT_EQ(model.positionAt(57), 49);  // trunc(50 / 101 * 100) truncates 49.5
    // Pixels outside the travel give the range's ends.
    EXPECT_EQ(model.positionAt(0), 0);
    EXPECT_EQ(model.positionAt(200), 100);
}

TEST(PageSliderModel, NegativeRangeTruncatesTowardZero) {
    PageSliderModel model = pageModel(-5, 5);
    EXPECT_EQ(model.thumbCentreFor(-5), 7);
    EXPECT_EQ(model.thumbCentreFor(5), 108);
    EXPECT_EQ(model.positionAt(57), 0);  // -0.05 truncates to 0, not -1
    EXPECT_EQ(model.positionAt(7), -5);
    EXPECT_EQ(model.positionAt(108), 5);
    // Both directions truncate, so a drawn thumb may read back one step lower.
    EXPECT_EQ(model.thumbCentreFor(1), 2 + 60 + 5);  // trunc(0.6 * 101)
    EXPECT_EQ(model.positionAt(67), 0);              // trunc(60 / 101 * 10 - 5)
}

TEST(PageSliderModel, PositionIsClampedOnEverySet) {
    PageSliderModel model = pageModel(1, 3000);
    model.setPosition(5000);
    EXPECT_EQ(model.position(), 3000);
    model.setPosition(-7);
    EXPECT_EQ(model.position(), 1);
    model.setPosition(2000);
    model.setRange(0, 99);  // a narrower range pulls the position in
    EXPECT_EQ(model.position(), 99);
    model.setRange(10, 5);  // an inverted range is an empty one at its minimum
    EXPECT_EQ(model.minimum(), 10);
    EXPECT_EQ(model.maximum(), 10);
    EXPECT_EQ(model.position(), 10);
}

TEST(PageSliderModel, DegenerateGeometryAndRangeDoNotDivideByZero) {
    PageSliderModel model = pageModel(4, 4);
    EXPECT_EQ(model.thumbCentreFor(4), 7);
    EXPECT_EQ(model.positionAt(60), 4);
    model.setGeometry(8, 10);  // narrower than the thumb
    model.setRange(0, 100);
    EXPECT_EQ(model.positionAt(50), 0);
    EXPECT_EQ(model.thumbCentreFor(100), 7);
}

// ---------------------------------------------------------------------------------------
// Mouse

TEST(PageSliderModel, PressFarFromTheThumbJumpsItToThePointer) {
    PageSliderModel model = pageModel(0, 100);  // thumb centre 7
    const auto result = model.press(50);
    EXPECT_TRUE(result.captured);
    ASSERT_TRUE(result.moved);
    EXPECT_EQ(*result.moved, 42);  // trunc(43 / 101 * 100)
    EXPECT_EQ(model.thumbCentre(), 50);
    EXPECT_TRUE(model.release());
    EXPECT_FALSE(model.isDragging());
}

TEST(PageSliderModel, PressOnTheThumbKeepsTheGripOffset) {
    PageSliderModel model = pageModel(0, 100);
    const auto result = model.press(10);  // 3 pixels right of the centre, within t / 2
    EXPECT_TRUE(result.captured);
    EXPECT_FALSE(result.moved);
    EXPECT_EQ(model.thumbCentre(), 7);
    ASSERT_TRUE(model.move(60));
    EXPECT_EQ(model.thumbCentre(), 57);  // the pointer stays 3 pixels right of the centre
    EXPECT_EQ(model.position(), 49);
    EXPECT_FALSE(model.move(60));  // no change, nothing to report
}

TEST(PageSliderModel, DraggedThumbStaysWithinTheTravel) {
    PageSliderModel model = pageModel(0, 100);
    model.press(7);
    model.move(500);
    EXPECT_EQ(model.thumbCentre(), 108);  // L - 2 - t / 2
    EXPECT_EQ(model.position(), 100);
    model.move(-40);
    EXPECT_EQ(model.thumbCentre(), 7);  // 2 + t / 2
    EXPECT_EQ(model.position(), 0);
    EXPECT_FALSE(model.move(-80));
}

TEST(PageSliderModel, MoveWithoutPressAndReleaseWithoutDragDoNothing) {
    PageSliderModel model = pageModel(0, 100);
    EXPECT_FALSE(model.move(60));
    EXPECT_FALSE(model.release());
    EXPECT_EQ(model.position(), 0);
}

// ---------------------------------------------------------------------------------------
// Keys

TEST(PageSliderModel, EveryKey) {
    PageSliderModel model = pageModel(0, 100);
    model.setPosition(50);
    struct Case {
        SliderKey key;
        int expected;
    };
    const Case cases[] = {
        {SliderKey::PageDown, 70}, {SliderKey::PageUp, 50}, {SliderKey::Right, 51},
        {SliderKey::Down, 52},     {SliderKey::Left, 51},   {SliderKey::Up, 50},
        {SliderKey::End, 100},     {SliderKey::Home, 0},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(model.key(c.key));
        EXPECT_EQ(model.position(), c.expected);
    }
    EXPECT_FALSE(model.key(SliderKey::Other));
    EXPECT_EQ(model.position(), 0);
}

TEST(PageSliderModel, KeysStopAtTheRangeEnds) {
    PageSliderModel model = pageModel(-5, 5);
    model.setPosition(-3);
    EXPECT_TRUE(model.key(SliderKey::PageUp));
    EXPECT_EQ(model.position(), -5);
    EXPECT_TRUE(model.key(SliderKey::Left));  // still reported: the key ended a move
    EXPECT_EQ(model.position(), -5);
    model.setPosition(4);
    model.key(SliderKey::PageDown);
    EXPECT_EQ(model.position(), 5);
    model.setRange(INT_MIN, INT_MAX);
    model.setPosition(INT_MAX);
    model.key(SliderKey::PageDown);  // no overflow at the edge of int
    EXPECT_EQ(model.position(), INT_MAX);
}

TEST(PageSliderModel, DisabledIgnoresMouseAndKeysAndEndsADrag) {
    PageSliderModel model = pageModel(0, 100);
    model.press(7);
    model.move(57);
    model.setEnabled(false);
    EXPECT_FALSE(model.isDragging());
    EXPECT_FALSE(model.move(90));
    EXPECT_FALSE(model.release());
    EXPECT_FALSE(model.press(90).captured);
    EXPECT_FALSE(model.key(SliderKey::End));
    EXPECT_EQ(model.position(), 49);
    model.setPosition(10);  // the program may still set it
    EXPECT_EQ(model.position(), 10);
}

// ---------------------------------------------------------------------------------------
// The widget and its messages

struct Notice {
    unsigned id;
    std::uintptr_t controlId;
    std::intptr_t position;
    bool operator==(const Notice&) const = default;
};

class PageHost : public QWidget, public framework::MessageTarget {
public:
    std::intptr_t onMessage(const framework::Message& message) override {
        notices.push_back({message.id, message.wParam, message.lParam});
        return 0;
    }
    std::vector<Notice> take() {
        QCoreApplication::sendPostedEvents();
        return std::exchange(notices, {});
    }
    std::vector<Notice> notices;
};

constexpr unsigned kMoving = res::MSG_SLIDER_MOVING;
constexpr unsigned kMoved = res::MSG_SLIDER_MOVED;

class PageSliderWidget : public ::testing::Test {
protected:
    void SetUp() override {
        slider = new CPageSlider(1002, &host);  // owned by the host
        slider->setGeometry(0, 0, 115, 18);
        slider->SetRange(0, 100);
        host.show();
    }
    void mouse(QEvent::Type type, int x, Qt::MouseButtons buttons) {
        const QPointF at(x, 9);
        QMouseEvent event(type, at, slider->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &event);
    }
    PageHost host;
    CPageSlider* slider = nullptr;
};

TEST_F(PageSliderWidget, DragPostsMovingForEveryChangeThenMovedOnRelease) {
    mouse(QEvent::MouseButtonPress, 50, Qt::LeftButton);  // jumps to 42
    mouse(QEvent::MouseMove, 57, Qt::LeftButton);         // 49
    mouse(QEvent::MouseMove, 57, Qt::LeftButton);         // unchanged: nothing
    mouse(QEvent::MouseMove, 300, Qt::LeftButton);        // 100
    mouse(QEvent::MouseButtonRelease, 300, Qt::NoButton);
    const std::vector<Notice> expected{
        {kMoving, 1002, 42}, {kMoving, 1002, 49}, {kMoving, 1002, 100}, {kMoved, 1002, 100}};
    EXPECT_EQ(host.take(), expected);
    EXPECT_EQ(slider->GetPos(), 100);
    EXPECT_TRUE(slider->hasFocus() || !host.isActiveWindow());
}

TEST_F(PageSliderWidget, EveryKeyPostsMovedAndTabIsLeftToTheDialog) {
    slider->SetPos(50);
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_PageDown, 70}, {Qt::Key_PageUp, 50}, {Qt::Key_Right, 51}, {Qt::Key_Down, 52},
        {Qt::Key_Left, 51},     {Qt::Key_Up, 50},     {Qt::Key_End, 100},  {Qt::Key_Home, 0},
    };
    std::vector<Notice> expected;
    for (const auto& [key, position] : keys) {
        QTest::keyClick(slider, key);
        expected.push_back({kMoved, 1002, position});
    }
    EXPECT_EQ(host.take(), expected);

    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &tab);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(slider, &letter);
    EXPECT_TRUE(letter.isAccepted());  // taken, but moves nothing
    EXPECT_TRUE(host.take().empty());
}

TEST_F(PageSliderWidget, DisabledSliderIgnoresInputAndEndsTheDrag) {
    mouse(QEvent::MouseButtonPress, 50, Qt::LeftButton);
    host.take();
    slider->Enable(false);
    EXPECT_FALSE(slider->model().isDragging());
    mouse(QEvent::MouseMove, 100, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 100, Qt::NoButton);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_TRUE(host.take().empty());
    EXPECT_EQ(slider->GetPos(), 42);

    slider->Enable(true);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(host.take(), (std::vector<Notice>{{kMoved, 1002, 100}}));
}

TEST_F(PageSliderWidget, ADisabledThumbIsDrawnDifferently) {
    slider->SetPos(50);
    const int centre = slider->model().thumbCentre();
    const QImage enabled = slider->grab().toImage();
    slider->Enable(false);
    const QImage disabled = slider->grab().toImage();
    bool differs = false;
    for (int x = centre - 3; x <= centre + 3 && !differs; ++x) {
        for (int y = 2; y < 16 && !differs; ++y) {
            differs = enabled.pixel(x, y) != disabled.pixel(x, y);
        }
    }
    EXPECT_TRUE(differs);
}

TEST_F(PageSliderWidget, NegativePositionsTravelInTheSecondParameter) {
    slider->SetRange(-5, 5);
    slider->SetPos(-5);
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(host.take(), (std::vector<Notice>{{kMoved, 1002, -4}}));
}

TEST_F(PageSliderWidget, BitmapsGiveTheSizeAndThumbWidth) {
    QPixmap channel(120, 20);
    channel.fill(Qt::white);
    QPixmap thumb(12, 16);
    thumb.fill(Qt::blue);
    slider->SetBitmaps(channel, thumb, thumb);
    EXPECT_EQ(slider->size(), QSize(120, 20));
    EXPECT_EQ(slider->model().thumbWidth(), 12);
    EXPECT_EQ(slider->model().thumbCentreFor(100), 120 - 2 - 6);
    const QImage drawn = slider->grab().toImage();  // draws without a display
    EXPECT_EQ(drawn.size(), QSize(120, 20));
}

}  // namespace
}  // namespace korvel::ui
