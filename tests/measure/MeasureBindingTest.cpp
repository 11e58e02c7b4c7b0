// The binding on its own: the Measure commands' codes and check marks against the
// measurement library, the calibration list menu, the mouse route's point and the overlay
// burned into a saved picture.

#include "krvmeasure/MeasureFixture.h"
#include "measure/CalibrationListMenu.h"
#include "measure/MeasureBinding.h"
#include "res/ids.h"

#include <QAction>
#include <QMenu>
#include <QPainter>

#include <map>

using namespace korvel::measure;
using namespace korvel::res;
using krvmeasure::Calibration;
using krvmeasure::Unit;
using krvmeasure::test::FakeDialogs;

namespace {

class BindingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(krvmeasure::defaultCalibrationPath());
        resetMode();
        binding.create(nullptr, 1);
        auto owned = std::make_unique<FakeDialogs>();
        dialogs = owned.get();
        binding.measure()->SetDialogs(std::move(owned));
    }
    void TearDown() override { resetMode(); }
    static void resetMode() {
        CKRMeasure::MenuItemEvent(krvmeasure::ItemCode::Select, nullptr);
        if (CKRMeasure::IsKeepCurrentMeasure()) {
            CKRMeasure::MenuItemEvent(krvmeasure::ItemCode::KeepCurrentMeasure, nullptr);
        }
    }
    bool run(int id) { return binding.execute(*findMeasureCommand(id), tool); }
    std::vector<int> checkedIds() const {
        std::vector<int> ids;
        for (const MeasureCommand& command : measureCommands()) {
            if (binding.isChecked(command, tool)) {
                ids.push_back(command.id);
            }
        }
        return ids;
    }
    // Gives the library `count` calibrations named "Objective 1" and on.
    void makeCalibrations(int count) {
        dialogs->tableEdit = [count](std::vector<Calibration>& list, int& active) {
            list.clear();
            for (int i = 0; i < count; ++i) {
                list.push_back(
                    {QStringLiteral("Objective %1").arg(i + 1), 2.0 + i, Unit::Micrometre});
            }
            active = -1;
            return true;
        };
        ASSERT_TRUE(run(ID_MEASURE_CALIBRATE_TABLE));
        dialogs->tableEdit = nullptr;
    }

    MeasureBinding binding;
    FakeDialogs* dialogs = nullptr;
    int tool = 0;
};

using MeasureMenu = BindingFixture;

TEST_F(MeasureMenu, EveryDrawingCommandChecksItselfAndOnlyItself) {
    // Two Point and Three Point Circle share selection index 3, so both show checked.
    const std::map<int, std::vector<int>> expected = {
        {ID_MEASURE_SELECT, {ID_MEASURE_SELECT}},
        {ID_MEASURE_LINE, {ID_MEASURE_LINE}},
        {ID_MEASURE_PARALLEL, {ID_MEASURE_PARALLEL}},
        {ID_MEASURE_PERPENDICULAR, {ID_MEASURE_PERPENDICULAR}},
        {ID_MEASURE_RECTANGLE, {ID_MEASURE_RECTANGLE}},
        {ID_MEASURE_CIRCLE_TWO_POINT, {ID_MEASURE_CIRCLE_TWO_POINT, ID_MEASURE_CIRCLE_THREE_POINT}},
        {ID_MEASURE_CIRCLE_THREE_POINT,
         {ID_MEASURE_CIRCLE_TWO_POINT, ID_MEASURE_CIRCLE_THREE_POINT}},
        {ID_MEASURE_CIRCLE_DIAMETER, {ID_MEASURE_CIRCLE_DIAMETER}},
        {ID_MEASURE_CIRCLE_CONCENTRIC, {ID_MEASURE_CIRCLE_CONCENTRIC}},
        {ID_MEASURE_POLYGON, {ID_MEASURE_POLYGON}},
        {ID_MEASURE_ANGLE, {ID_MEASURE_ANGLE}},
        {ID_MEASURE_COUNT, {ID_MEASURE_COUNT}},
        {ID_MEASURE_REMARK, {ID_MEASURE_REMARK}},
        {ID_MEASURE_ARC, {ID_MEASURE_ARC}},
        {ID_MEASURE_DELETE, {ID_MEASURE_DELETE}},
    };
    for (const auto& [id, checked] : expected) {
        tool = 0;
        ASSERT_TRUE(run(id)) << id;
        EXPECT_EQ(tool, kMeasureTool);
        EXPECT_EQ(checkedIds(), checked) << id;
        EXPECT_EQ(binding.currentItem(), int(findMeasureCommand(id)->code));
    }
    // Another tool of the view takes every check mark away.
    tool = 0;
    EXPECT_TRUE(checkedIds().empty());
}

TEST_F(MeasureMenu, ActionsAreNeverCheckedAndLeaveTheCurrentItem) {
    ASSERT_TRUE(run(ID_MEASURE_ANGLE));
    dialogs->precisionAnswers.push_back(3);
    ASSERT_TRUE(run(ID_MEASURE_PRECISION));
    ASSERT_TRUE(run(ID_MEASURE_TABLE));
    makeCalibrations(1);
    EXPECT_EQ(binding.currentItem(), 7);
    EXPECT_EQ(checkedIds(), std::vector<int>{ID_MEASURE_ANGLE});
}

TEST_F(MeasureMenu, LineParallelAndPerpendicularFollowTheLibraryAfresh) {
    ASSERT_TRUE(run(ID_MEASURE_LINE));
    EXPECT_EQ(checkedIds(), std::vector<int>{ID_MEASURE_LINE});
    // A finished line sends the library back to Select; the stored index still says line.
    binding.measure()->OnLButtonDown({0, 0});
    binding.measure()->OnMouseMove({40, 0});
    binding.measure()->OnLButtonUp({40, 0});
    ASSERT_EQ(binding.measure()->Items().size(), 1u);
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 0u);
    EXPECT_TRUE(checkedIds().empty());
    EXPECT_EQ(binding.selectionIndex(), 1u);
}

TEST_F(MeasureMenu, KeepCurrentMeasureTogglesItsFlag) {
    ASSERT_TRUE(run(ID_MEASURE_POLYGON));
    ASSERT_TRUE(run(ID_MEASURE_KEEP_CURRENT));
    EXPECT_TRUE(binding.keepMeasure());
    EXPECT_EQ(binding.currentItem(), 14);
    EXPECT_EQ(checkedIds(), (std::vector<int>{ID_MEASURE_POLYGON, ID_MEASURE_KEEP_CURRENT}));
    ASSERT_TRUE(run(ID_MEASURE_KEEP_CURRENT));
    EXPECT_FALSE(binding.keepMeasure());
    EXPECT_EQ(checkedIds(), std::vector<int>{ID_MEASURE_POLYGON});
}

TEST_F(MeasureMenu, TheScaleLineFlagStartsAsTheSettingAndToggles) {
    EXPECT_TRUE(binding.scaleLineShown());
    EXPECT_FALSE(binding.toggleScaleLine());
    EXPECT_TRUE(binding.toggleScaleLine());
    MeasureBinding hidden;
    hidden.create(nullptr, 0);
    EXPECT_FALSE(hidden.scaleLineShown());
    // Without an object (the Start Page) the commands are refused.
    MeasureBinding none;
    tool = 0;
    EXPECT_FALSE(none.execute(*findMeasureCommand(ID_MEASURE_CALIBRATE), tool));
    EXPECT_EQ(tool, 0);
}

// --- The calibration list menu --------------------------------------------------------

class CalibrationList : public BindingFixture {
protected:
    void SetUp() override {
        BindingFixture::SetUp();
        placeholder = menu.addAction(QStringLiteral("List"));
        placeholder->setData(ID_MEASURE_CALIBRATE_LIST);
        after = menu.addAction(QStringLiteral("After"));
    }
    void open() {
        expandCalibrationList(menu, placeholder, binding.measure()->GetActiveCalibrateList(),
                              [this](int id) {
                                  auto& a = actions[id];
                                  if (!a) {
                                      a = std::make_unique<QAction>();
                                      a->setData(id);
                                  }
                                  return a.get();
                              });
    }
    QStringList shown() const {
        QStringList texts;
        for (QAction* a : menu.actions()) {
            if (a->isVisible()) {
                texts << a->text();
            }
        }
        return texts;
    }

    QMenu menu;
    QAction* placeholder = nullptr;
    QAction* after = nullptr;
    std::map<int, std::unique_ptr<QAction>> actions;
};

TEST_F(CalibrationList, AnEmptyListGivesNoEntriesAndItsCommandsDoNothing) {
    open();
    EXPECT_EQ(shown(), QStringList{"After"});
    for (unsigned i = 0; i < 6; ++i) {
        binding.chooseCalibration(i);
    }
    EXPECT_EQ(binding.measure()->ActiveCalibration(), krvmeasure::pixelCalibration());
    EXPECT_TRUE(dialogs->errors.empty());
}

TEST_F(CalibrationList, EachOpeningListsTheNamesAfresh) {
    makeCalibrations(3);
    open();
    EXPECT_EQ(shown(), (QStringList{"Objective 1", "Objective 2", "Objective 3", "After"}));
    binding.chooseCalibration(2);
    EXPECT_EQ(binding.measure()->ActiveCalibration().name, QStringLiteral("Objective 3"));
    binding.chooseCalibration(3);  // past the end
    EXPECT_EQ(binding.measure()->ActiveCalibration().name, QStringLiteral("Objective 3"));

    makeCalibrations(1);
    open();
    EXPECT_EQ(shown(), (QStringList{"Objective 1", "After"}));
    EXPECT_EQ(menu.actions().size(), 3);  // the placeholder stays, hidden
}

TEST_F(CalibrationList, OnlySixNamesHaveCommandsAndNoneStaysBehind) {
    makeCalibrations(8);
    open();
    open();
    const QStringList names = shown();
    ASSERT_EQ(names.size(), 7);
    EXPECT_EQ(names[5], QStringLiteral("Objective 6"));
    binding.chooseCalibration(5);
    EXPECT_EQ(binding.measure()->ActiveCalibration().name, QStringLiteral("Objective 6"));
    // The sixth entry goes when the list shrinks.
    makeCalibrations(2);
    open();
    EXPECT_EQ(shown(), (QStringList{"Objective 1", "Objective 2", "After"}));
}

TEST_F(CalibrationList, AnAmpersandInANameIsShownAsItIs) {
    dialogs->tableEdit = [](std::vector<Calibration>& list, int& active) {
        list = {{QStringLiteral("10x & oil"), 3.0, Unit::Micrometre}};
        active = 0;
        return true;
    };
    ASSERT_TRUE(run(ID_MEASURE_CALIBRATE_TABLE));
    open();
    EXPECT_EQ(shown().value(0), QStringLiteral("10x && oil"));
}

// --- The mouse route and the overlay -------------------------------------------------------

TEST(MouseRoute, PointsOnThePictureOnlyWithTheScrollAdded) {
    const QRect centred(150, 110, 100, 80);
    EXPECT_EQ(pictureDisplayPoint({150, 110}, centred, {}), QPoint(0, 0));
    EXPECT_EQ(pictureDisplayPoint({249, 189}, centred, {}), QPoint(99, 79));
    EXPECT_EQ(pictureDisplayPoint({250, 150}, centred, {}), std::nullopt);
    EXPECT_EQ(pictureDisplayPoint({149, 150}, centred, {}), std::nullopt);
    EXPECT_EQ(pictureDisplayPoint({200, 109}, centred, {}), std::nullopt);
    // Larger than the window: scrolled by (50, 40).
    const QRect large(0, 0, 600, 400);
    EXPECT_EQ(pictureDisplayPoint({10, 10}, large, {50, 40}), QPoint(60, 50));
    EXPECT_EQ(pictureDisplayPoint({399, 299}, large, {200, 100}), QPoint(599, 399));
    EXPECT_EQ(savedSizeFactor(1.0f), 1.0f);
    EXPECT_EQ(savedSizeFactor(4.0f), 1.0f);
    EXPECT_FLOAT_EQ(savedSizeFactor(0.5f), 1.8f);
}

TEST_F(MeasureMenu, NothingToBurnLeavesThePictureAlone) {
    binding.toggleScaleLine();  // off
    const auto paint = [](QPainter& p) { p.fillRect(0, 0, 60, 40, Qt::red); };
    EXPECT_FALSE(binding.burn({60, 40}, paint, 1.0f).drawn);
    // An item is burned over the picture; the rest of the picture stays as it was.
    ASSERT_TRUE(binding.measure()->AddItem({krvmeasure::ItemKind::Line, {{5, 20}, {55, 20}}, {}}));
    const BurnedPicture burned = binding.burn({60, 40}, paint, 1.0f);
    ASSERT_TRUE(burned.drawn);
    ASSERT_EQ(burned.image.size(), QSize(60, 40));
    EXPECT_NE(burned.image.pixelColor(30, 20), QColor(Qt::red));
    EXPECT_EQ(burned.image.pixelColor(30, 2), QColor(Qt::red));
}

}  // namespace
