// DrawAllUnit on a picture-sized image: items land where the scale puts them at 25 % and
// 400 %, the scale line follows its switch, and paper and saved files size labels by the
// factor while never showing the selection.

#include "MeasureFixture.h"

#include <QImage>
#include <QPainter>

using namespace krvmeasure;
using namespace krvmeasure::test;

namespace {

QImage blank(QSize size = {1600, 1000}) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    return image;
}

// Whether any pixel within `radius` of (x, y) is not black.
bool drawnNear(const QImage& image, int x, int y, int radius = 2) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (image.rect().contains(p) && image.pixel(p) != qRgb(0, 0, 0)) {
                return true;
            }
        }
    }
    return false;
}

int drawnPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) != qRgb(0, 0, 0);
        }
    }
    return count;
}

class Drawing : public MeasureFixture {
protected:
    QImage draw(float scale, QSize offset, QSize imageSize = {1600, 1000}) {
        QImage image = blank(imageSize);
        QPainter painter(&image);
        measure->SetScale(scale);
        measure->DrawAllUnit(&painter, offset);
        return image;
    }
};

TEST_F(Drawing, ItemsLandWhereTheScalePutsThemAt25And400Percent) {
    measure->ScaleLine(0);
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{1000, 2000}, {3000, 2000}}, {}}));
    ASSERT_TRUE(measure->AddItem({ItemKind::Circle2, {{200, 120}, {220, 120}}, {}}));

    // 25 %, picture corner at (40, 30) on the painter.
    const QImage quarter = draw(0.25f, {40, 30});
    EXPECT_TRUE(drawnNear(quarter, 40 + 500, 30 + 500));      // the line's middle
    EXPECT_TRUE(drawnNear(quarter, 40 + 250, 30 + 500));      // its start
    EXPECT_FALSE(drawnNear(quarter, 40 + 500, 30 + 700, 5));  // well below it
    EXPECT_TRUE(drawnNear(quarter, 40 + 55, 30 + 30));        // the circle's right edge

    // 400 %: only the circle is in view; the line lies beyond the image and is skipped.
    const QImage zoomed = draw(4.0f, {0, 0});
    EXPECT_TRUE(drawnNear(zoomed, 880, 480));  // right edge of the circle, radius 80
    EXPECT_TRUE(drawnNear(zoomed, 800, 400));  // its centre cross
    EXPECT_FALSE(drawnNear(zoomed, 800, 300, 10));
}

TEST_F(Drawing, ScaleLineFollowsItsSwitch) {
    measure->ScaleLine(0);
    EXPECT_EQ(drawnPixels(draw(1.0f, {0, 0}, {400, 200})), 0);
    measure->ScaleLine(1);
    const QImage shown = draw(1.0f, {0, 0}, {400, 200});
    // A bar of 100 px (the round length below 150) starting 16 px from the corner.
    EXPECT_TRUE(drawnNear(shown, 20, 38, 1));
    EXPECT_TRUE(drawnNear(shown, 110, 38, 1));
    EXPECT_FALSE(drawnNear(shown, 140, 38, 1));
}

TEST_F(Drawing, ScaleLineCanBeDraggedElsewhere) {
    measure->ScaleLine(1);
    draw(1.0f, {0, 0}, {400, 300});
    drag({60, 38}, {160, 238});
    const QImage moved = draw(1.0f, {0, 0}, {400, 300});
    EXPECT_FALSE(drawnNear(moved, 60, 38, 1));
    EXPECT_TRUE(drawnNear(moved, 160, 238, 1));
}

TEST_F(Drawing, UnfinishedItemIsDrawnWhileTheMouseMoves) {
    measure->ScaleLine(0);
    CKRMeasure::MenuItemEvent(ItemCode::Line, measure.get());
    measure->OnLButtonDown({100, 100});
    measure->OnMouseMove({300, 100});
    EXPECT_TRUE(drawnNear(draw(1.0f, {0, 0}, {400, 200}), 200, 100));
    measure->OnMouseMove({100, 180});
    const QImage moved = draw(1.0f, {0, 0}, {400, 200});
    EXPECT_TRUE(drawnNear(moved, 100, 150));
    EXPECT_FALSE(drawnNear(moved, 250, 100));
    // Saved while drawing: the unfinished line stays out of the file.
    measure->SetInfoFrmZoom(1, 1.0f);
    EXPECT_EQ(drawnPixels(draw(1.0f, {0, 0}, {400, 200})), 0);
    measure->SetInfoFrmZoom(0, 1.0f);
}

TEST_F(Drawing, SavedFilesSizeLabelsByTheFactorAndHideTheSelection) {
    measure->ScaleLine(0);
    ASSERT_TRUE(measure->AddItem({ItemKind::Remark, {{20, 20}, {60, 100}}, "Label text"}));
    const int screen = drawnPixels(draw(1.0f, {0, 0}, {800, 400}));
    measure->SetInfoFrmZoom(1, 3.6f);  // a picture saved at 25 %: 0.9 ÷ 0.25
    const int saved = drawnPixels(draw(1.0f, {0, 0}, {800, 400}));
    measure->SetInfoFrmZoom(0, 1.0f);
    EXPECT_GT(saved, 4 * screen);
    EXPECT_EQ(drawnPixels(draw(1.0f, {0, 0}, {800, 400})), screen);

    // Selected on screen, but the saved picture looks the same as unselected.
    measure->SetInfoFrmZoom(1, 1.0f);
    const QImage unselected = draw(1.0f, {0, 0}, {800, 400});
    click({40, 60});
    ASSERT_EQ(measure->SelectedItem(), 0);
    EXPECT_EQ(draw(1.0f, {0, 0}, {800, 400}), unselected);
    measure->SetInfoFrmZoom(0, 1.0f);
    EXPECT_NE(draw(1.0f, {0, 0}, {800, 400}), unselected);
}

TEST_F(Drawing, PrintingDrawsFromTheCornerAtThePrintScale) {
    measure->ScaleLine(0);
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{100, 50}, {200, 50}}, {}}));
    // Printing a 400 × 200 picture 3 times larger: the size passed is the print size.
    measure->SetInfoFrmZoom(1, 3.0f);
    const QImage paper = draw(3.0f, {1200, 600}, {1200, 600});
    measure->SetInfoFrmZoom(0, 1.0f);
    EXPECT_TRUE(drawnNear(paper, 450, 150));
    EXPECT_FALSE(drawnNear(paper, 450, 300, 5));
}

TEST_F(Drawing, ClickOnALabelPicksItsItem) {
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{0, 0}, {100, 0}}, {}}));
    click({65, 12});  // below the line, where its label will be
    EXPECT_EQ(measure->SelectedItem(), -1);
    draw(1.0f, {0, 0}, {400, 200});
    click({65, 12});
    EXPECT_EQ(measure->SelectedItem(), 0);
}

TEST_F(Drawing, NullOrInactivePainterIsIgnored) {
    ASSERT_TRUE(measure->AddItem({ItemKind::Line, {{0, 0}, {10, 0}}, {}}));
    measure->DrawAllUnit(nullptr, {0, 0});
    QPainter inactive;
    measure->DrawAllUnit(&inactive, {0, 0});
}

}  // namespace

namespace {

TEST(Labels, ShowFiguresInTheActiveUnitWithThePrecision) {
    const Calibration tenX{"10x", 10, Unit::Micrometre};
    EXPECT_EQ(labelLines({ItemKind::Line, {{0, 0}, {300, 400}}, {}}, 3, tenX, 2),
              QStringList{"3: 50.00 µm"});
    EXPECT_EQ(labelLines({ItemKind::Line, {{0, 0}, {300, 400}}, {}}, 3, pixelCalibration(), 0),
              QStringList{"3: 500 px"});
    EXPECT_EQ(labelLines({ItemKind::Rectangle, {{0, 0}, {30, 40}}, {}}, 1, tenX, 1),
              QStringList({"1: W 3.0 µm", "H 4.0 µm", "A 12.0 µm²", "P 14.0 µm"}));
    EXPECT_EQ(labelLines({ItemKind::Count, {{0, 0}, {3, 4}, {5, 5}}, {}}, 2, tenX, 2),
              QStringList{"2: n = 3"});
    EXPECT_EQ(labelLines({ItemKind::Concentric, {{0, 0}, {10, 0}, {0, 20}}, {}}, 4, tenX, 2),
              QStringList({"4: r1 1.00 µm", "r2 2.00 µm"}));
    EXPECT_EQ(labelLines({ItemKind::Remark, {{0, 0}, {1, 1}}, "Nucleus"}, 5, tenX, 2),
              QStringList{"5: Nucleus"});
}

}  // namespace
