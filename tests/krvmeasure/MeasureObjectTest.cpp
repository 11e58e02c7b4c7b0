// The measurement object through the members the application calls: the Measure menu's
// item codes and selection indices, and items built, picked, edited and deleted by mouse.

#include "MeasureFixture.h"

#include <QScrollArea>

using namespace krvmeasure;
using namespace krvmeasure::test;

namespace {

using MenuCodes = MeasureFixture;

TEST_F(MenuCodes, EachModeReportsItsSelectionIndex) {
    const std::pair<unsigned, unsigned> modes[] = {{10, 0}, {2, 1},   {3, 2},   {4, 3},   {5, 3},
                                                   {6, 4},  {7, 5},   {8, 6},   {9, 7},   {15, 8},
                                                   {18, 9}, {20, 10}, {21, 11}, {22, 12}, {23, 13}};
    for (const auto& [code, index] : modes) {
        EXPECT_NE(CKRMeasure::MenuItemEvent(code, measure.get()), 0) << code;
        EXPECT_EQ(CKRMeasure::GetCurSelItem(), index) << code;
    }
}

TEST_F(MenuCodes, UnknownCodesChangeNothing) {
    CKRMeasure::MenuItemEvent(ItemCode::Angle, measure.get());
    for (unsigned code : {11u, 12u, 16u, 17u, 24u, 1000u, ~0u}) {
        EXPECT_EQ(CKRMeasure::MenuItemEvent(code, measure.get()), 0) << code;
        EXPECT_EQ(CKRMeasure::GetCurSelItem(), 5u);
    }
}

TEST_F(MenuCodes, ActionsNeedAnObjectAndAnAnswer) {
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::Calibrate, nullptr), 0);
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::CalibrateTable, nullptr), 0);
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::MeasureTable, nullptr), 0);
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::Precision, nullptr), 0);

    EXPECT_NE(CKRMeasure::MenuItemEvent(ItemCode::MeasureTable, measure.get()), 0);
    EXPECT_EQ(dialogs->tablesShown, 1);
    // Precision: cancelled is zero; an answer is kept (and clamped).
    EXPECT_EQ(CKRMeasure::MenuItemEvent(ItemCode::Precision, measure.get()), 0);
    dialogs->precisionAnswers.push_back(4);
    EXPECT_NE(CKRMeasure::MenuItemEvent(ItemCode::Precision, measure.get()), 0);
    EXPECT_EQ(measure->Precision(), 4);
    dialogs->precisionAnswers.push_back(42);
    CKRMeasure::MenuItemEvent(ItemCode::Precision, measure.get());
    EXPECT_EQ(measure->Precision(), CalibrationStore::kMaximumPrecision);
    // The precision is kept for the next picture.
    FakeDialogs* other = nullptr;
    EXPECT_EQ(makeMeasure(other)->Precision(), CalibrationStore::kMaximumPrecision);
}

TEST_F(MenuCodes, KeepCurrentMeasureTogglesAndKeepsTheMode) {
    EXPECT_FALSE(CKRMeasure::IsKeepCurrentMeasure());
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    EXPECT_NE(CKRMeasure::MenuItemEvent(ItemCode::KeepCurrentMeasure, measure.get()), 0);
    EXPECT_TRUE(CKRMeasure::IsKeepCurrentMeasure());
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 1u);
    drag({0, 0}, {50, 0});
    drag({0, 10}, {50, 10});
    EXPECT_EQ(measure->Items().size(), 2u);
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 1u);
    CKRMeasure::MenuItemEvent(ItemCode::KeepCurrentMeasure, measure.get());
    drag({0, 20}, {50, 20});
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 0u);  // back to Select after one item
}

using MouseBuilding = MeasureFixture;

TEST_F(MouseBuilding, LineByDragOrByTwoClicks) {
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    drag({10, 20}, {310, 420});
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    click({0, 0});
    measure->OnMouseMove({20, 20});
    EXPECT_EQ(measure->Items().size(), 1u);  // still drawing
    click({30, 40});
    const auto items = measure->Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].points, (std::vector<QPointF>{{10, 20}, {310, 420}}));
    EXPECT_EQ(items[1].points, (std::vector<QPointF>{{0, 0}, {30, 40}}));
}

TEST_F(MouseBuilding, DisplayPointsAreDividedByTheScale) {
    measure->SetScale(0.25f);
    CKRMeasure::MenuItemEvent(ItemCode::Rectangle, measure.get());
    drag({10, 10}, {85, 110});
    ASSERT_EQ(measure->Items().size(), 1u);
    EXPECT_EQ(measure->Items()[0].points, (std::vector<QPointF>{{40, 40}, {340, 440}}));
    measure->SetScale(0.0f);  // ignored: no division by zero
    measure->SetScale(-1.0f);
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    drag({0, 0}, {10, 0});
    EXPECT_EQ(measure->Items()[1].points[1], QPointF(40, 0));
}

TEST_F(MouseBuilding, ThreePointKinds) {
    CKRMeasure::MenuItemEvent(ItemCode::Circle3, measure.get());
    click({150, 100});
    click({100, 150});
    click({50, 100});
    CKRMeasure::MenuItemEvent(ItemCode::Parallel, measure.get());
    drag({0, 0}, {100, 0});  // the first line by a drag
    measure->OnMouseMove({40, 25});
    click({40, 25});
    CKRMeasure::MenuItemEvent(ItemCode::Angle, measure.get());
    click({100, 0});
    click({0, 0});
    click({0, 100});
    const auto items = measure->Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, ItemKind::Circle3);
    EXPECT_NEAR(figuresOf(items[0])[0].value, 50, 1e-9);
    EXPECT_EQ(items[1].kind, ItemKind::Parallel);
    EXPECT_DOUBLE_EQ(figuresOf(items[1])[0].value, 25);
    EXPECT_DOUBLE_EQ(figuresOf(items[2])[0].value, 90);
}

TEST_F(MouseBuilding, PolygonEndsWithADoubleClick) {
    CKRMeasure::MenuItemEvent(ItemCode::Polygon, measure.get());
    click({0, 0});
    click({40, 0});
    click({40, 30});
    // The double-click's first press adds its corner, the double-click ends the polygon.
    measure->OnLButtonDown({0, 30});
    measure->OnLButtonUp({0, 30});
    measure->OnLButtonDblClk({0, 30});
    measure->OnLButtonUp({0, 30});
    const auto items = measure->Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].points.size(), 4u);
    EXPECT_DOUBLE_EQ(figuresOf(items[0])[0].value, 1200);
}

TEST_F(MouseBuilding, ConcentricRingsAndCount) {
    CKRMeasure::MenuItemEvent(ItemCode::Concentric, measure.get());
    click({100, 100});
    click({110, 100});
    measure->OnLButtonDown({100, 130});
    measure->OnLButtonUp({100, 130});
    measure->OnLButtonDblClk({100, 130});
    CKRMeasure::MenuItemEvent(ItemCode::Count, measure.get());
    for (int i = 0; i < 5; ++i) {
        click({10 * i, 5});
    }
    measure->OnLButtonDblClk({40, 5});  // ends the group
    click({200, 200});                  // starts the next
    const auto items = measure->Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].points.size(), 3u);
    EXPECT_EQ(items[1].kind, ItemKind::Count);
    EXPECT_EQ(items[1].points.size(), 5u);
    EXPECT_EQ(items[2].points.size(), 1u);
    // Count stays on after each point without Keep Current Measure.
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 6u);
}

TEST_F(MouseBuilding, RemarkAsksItsText) {
    CKRMeasure::MenuItemEvent(ItemCode::Remark, measure.get());
    dialogs->remarkAnswers.push_back(QStringLiteral("nucleus"));
    drag({10, 10}, {60, 40});
    CKRMeasure::MenuItemEvent(ItemCode::Remark, measure.get());
    drag({10, 10}, {60, 40});  // cancelled: no remark
    ASSERT_EQ(measure->Items().size(), 1u);
    EXPECT_EQ(measure->Items()[0].text, QStringLiteral("nucleus"));
}

TEST_F(MouseBuilding, DegenerateItemsAreRefusedWithAMessage) {
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    click({5, 5});
    click({5, 5});
    CKRMeasure::MenuItemEvent(ItemCode::Circle3, measure.get());
    click({0, 0});
    click({10, 10});
    click({20, 20});
    EXPECT_TRUE(measure->Items().empty());
    ASSERT_EQ(dialogs->errors.size(), 2u);
    EXPECT_TRUE(dialogs->errors[1].contains("one line"));
    EXPECT_FALSE(measure->AddItem({ItemKind::Polygon, {{0, 0}, {1, 1}}, {}}));
}

TEST_F(MouseBuilding, ChangingTheModeDropsAnUnfinishedItem) {
    CKRMeasure::MenuItemEvent(ItemCode::Polygon, measure.get());
    click({0, 0});
    click({40, 0});
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    drag({0, 50}, {40, 50});
    ASSERT_EQ(measure->Items().size(), 1u);
    EXPECT_EQ(measure->Items()[0].kind, ItemKind::Line);
}

using Editing = MeasureFixture;

TEST_F(Editing, SelectMovesAnItemAndItsHandles) {
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{0, 0}, {100, 0}}, {}}));
    CKRMeasure::MenuItemEvent(ItemCode::Select, measure.get());
    drag({50, 2}, {50, 52});  // the body: the whole line moves down 50
    EXPECT_EQ(measure->SelectedItem(), 0);
    EXPECT_EQ(measure->Items()[0].points, (std::vector<QPointF>{{0, 50}, {100, 50}}));
    drag({100, 50}, {100, 150});  // the end handle
    EXPECT_DOUBLE_EQ(figuresOf(measure->Items()[0])[0].value, std::hypot(100.0, 100.0));
    // A handle dropped onto the other end would make a zero line: the last sound shape stays.
    drag({100, 150}, {0, 50});  // passes (50, 100) on the way
    EXPECT_EQ(measure->Items()[0].points[1], QPointF(50, 100));
    // A click on empty picture clears the selection.
    click({500, 500});
    EXPECT_EQ(measure->SelectedItem(), -1);
}

TEST_F(Editing, DeleteBySelectionOrByClick) {
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{0, 0}, {100, 0}}, {}}));
    ASSERT_TRUE(measure->AddItem({ItemKind::Rectangle, {{0, 100}, {50, 150}}, {}}));
    ASSERT_TRUE(measure->AddItem({ItemKind::Circle2, {{300, 300}, {320, 300}}, {}}));
    click({0, 120});  // the rectangle's left edge
    ASSERT_EQ(measure->SelectedItem(), 1);
    EXPECT_NE(CKRMeasure::MenuItemEvent(ItemCode::Delete, measure.get()), 0);
    EXPECT_EQ(CKRMeasure::GetCurSelItem(), 8u);
    ASSERT_EQ(measure->Items().size(), 2u);
    click({320, 301});  // on the circle in Delete mode
    click({700, 700});  // nothing there
    ASSERT_EQ(measure->Items().size(), 1u);
    EXPECT_EQ(measure->Items()[0].kind, ItemKind::Line);
}

}  // namespace

namespace {

TEST_F(Editing, CursorsFollowTheModeOnTheViewsViewport) {
    QScrollArea view;
    CKRMeasure::CreateCursor();
    CKRMeasure onView(&view);
    ASSERT_TRUE(onView.AddItem({ItemKind::Line, {{0, 0}, {100, 0}}, {}}));
    CKRMeasure::MenuItemEvent(ItemCode::Line, &onView);
    onView.OnMouseMove({50, 50});
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::BitmapCursor);  // the crosshair
    CKRMeasure::MenuItemEvent(ItemCode::Select, &onView);
    onView.OnMouseMove({50, 1});
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::SizeAllCursor);
    // The view chose another cursor for a tool of its own; measuring sets ours again.
    view.viewport()->setCursor(Qt::OpenHandCursor);
    onView.OnMouseMove({50, 1});
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::SizeAllCursor);
    onView.OnMouseMove({50, 80});
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
