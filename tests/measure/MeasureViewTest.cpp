// The measurement binding in the image documents and views: one object per picture, the
// Measure commands through the command route, mouse input on and off the picture, Show
// Scale Line and the application's setting, and the overlay on screen, on paper and in
// saved files (read back by ImageMagick).

#include "document/DocumentFixture.h"
#include "framework/CommandTarget.h"
#include "krvmeasure/MeasureFixture.h"

#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

using korvel::framework::CommandRouter;
using korvel::framework::CommandState;
using korvel::framework::CommandTarget;
using namespace korvel::res;
using krvmeasure::test::FakeDialogs;

namespace {

const QColor kPictureColour(40, 80, 120);

std::unique_ptr<KxImage> uniform(uint32_t width, uint32_t height) {
    auto image = std::make_unique<KxImage>(width, height, 24, KXIMAGE_FORMAT_UNKNOWN);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            image->SetPixelColor(int(x), int(y), RGBQUAD{120, 80, 40, 0});
        }
    }
    return image;
}

// Runs ImageMagick; its standard output.
QByteArray magick(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(QDir::currentPath());
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "ImageMagick (imagemagick) is needed: " << program.toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

// A file's pixels as ImageMagick decodes them.
QImage decoded(const QString& file, QSize size) {
    const QByteArray rgb = magick(QStringLiteral("convert"), {file, "-depth", "8", "rgb:-"});
    if (rgb.size() != size.width() * size.height() * 3) {
        ADD_FAILURE() << "unexpected decoded size " << rgb.size();
        return {};
    }
    QImage image(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        std::memcpy(image.scanLine(y), rgb.constData() + y * size.width() * 3,
                    std::size_t(size.width()) * 3);
    }
    return image;
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class MeasureView : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        QFile::remove(krvmeasure::defaultCalibrationPath());
        resetMode();
    }
    void TearDown() override {
        DocumentFixture::TearDown();
        resetMode();
    }
    static void resetMode() {
        CKRMeasure::MenuItemEvent(krvmeasure::ItemCode::Select, nullptr);
        if (CKRMeasure::IsKeepCurrentMeasure()) {
            CKRMeasure::MenuItemEvent(krvmeasure::ItemCode::KeepCurrentMeasure, nullptr);
        }
    }

    // A picture in a shown view, with its library dialogs answered by the test.
    CKorvelView* pictureView(std::unique_ptr<KxImage> image, QSize size = QSize(400, 300)) {
        CKorvelDoc* doc = newDocument(std::move(image));
        CKorvelView* view = shownView(doc, size);
        auto owned = std::make_unique<FakeDialogs>();
        dialogs = owned.get();
        doc->measurement.measure()->SetDialogs(std::move(owned));
        return view;
    }
    // The route the main frame offers commands along: the view, then its document.
    static CommandRouter routeOf(CKorvelView* view) {
        return CommandRouter([view] {
            return std::vector<CommandTarget*>{view, view->document()};
        });
    }
    static bool dispatch(CKorvelView* view, int id) { return routeOf(view).dispatch(id); }
    static bool checked(CKorvelView* view, int id) {
        return routeOf(view).query(id).checked.value_or(false);
    }
    static std::vector<krvmeasure::MeasureItem> items(CKorvelView* view) {
        return view->document()->measurement.measure()->Items();
    }
    static void click(CKorvelView* view, QPoint at) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    FakeDialogs* dialogs = nullptr;
};

TEST_F(MeasureView, EveryPictureViewMakesOneObjectAndTheStartPageNone) {
    CKorvelDoc* picture = newDocument(uniform(20, 10));
    ASSERT_NE(picture->measurement.measure(), nullptr);
    CKorvelDoc* startPage = newDocument();
    startPage->setStartPage(true);
    EXPECT_EQ(startPage->measurement.measure(), nullptr);
    // Without a picture the Measure commands are disabled.
    auto* view = qobject_cast<CKorvelView*>(startPage->views().front());
    EXPECT_FALSE(routeOf(view).query(ID_MEASURE_LINE).enabled);
    EXPECT_FALSE(routeOf(view).query(ID_MEASURE_SCALE_LINE).enabled);
    EXPECT_FALSE(dispatch(view, ID_MEASURE_CALIBRATION_FIRST));
}

TEST_F(MeasureView, ARefusedCommandLeavesTheToolAndTheCheckMarks) {
    CKorvelView* view = pictureView(uniform(100, 80));
    CKorvelDoc* doc = view->document();
    ASSERT_TRUE(dispatch(view, ID_MEASURE_RECTANGLE));
    EXPECT_EQ(doc->tool, CKorvelDoc::kMeasure);
    EXPECT_TRUE(checked(view, ID_MEASURE_RECTANGLE));
    // Cancelled dialogs: the library refuses.
    dispatch(view, ID_MEASURE_PRECISION);
    dispatch(view, ID_MEASURE_CALIBRATE_TABLE);
    EXPECT_EQ(doc->tool, CKorvelDoc::kMeasure);
    EXPECT_TRUE(checked(view, ID_MEASURE_RECTANGLE));
    EXPECT_FALSE(checked(view, ID_MEASURE_PRECISION));
    EXPECT_EQ(doc->measurement.currentItem(), 3);

    ASSERT_TRUE(dispatch(view, ID_TOOL_SELECT));
    dispatch(view, ID_MEASURE_PRECISION);
    EXPECT_EQ(doc->tool, CKorvelDoc::kSelect);
    EXPECT_FALSE(checked(view, ID_MEASURE_RECTANGLE));
    EXPECT_TRUE(checked(view, ID_TOOL_SELECT));
    // An accepted one takes the measure tool back.
    dialogs->precisionAnswers.push_back(3);
    ASSERT_TRUE(dispatch(view, ID_MEASURE_PRECISION));
    EXPECT_EQ(doc->tool, CKorvelDoc::kMeasure);
    EXPECT_FALSE(checked(view, ID_MEASURE_PRECISION));
    EXPECT_TRUE(checked(view, ID_MEASURE_RECTANGLE));
}

TEST_F(MeasureView, AClickOnTheGreyMarginNeverReachesTheLibrary) {
    // 100 × 80 centred in the view.
    CKorvelView* view = pictureView(uniform(100, 80));
    const QRect rect = view->imageRect();
    ASSERT_EQ(rect.size(), QSize(100, 80));
    const QPoint o = rect.topLeft();
    ASSERT_TRUE(dispatch(view, ID_MEASURE_LINE));
    click(view, {20, 20});
    click(view, {380, 280});
    click(view, o + QPoint(-1, 40));
    click(view, o + QPoint(100, 40));
    click(view, o + QPoint(50, 80));
    EXPECT_TRUE(items(view).empty());
    click(view, o + QPoint(10, 10));
    click(view, o + QPoint(50, 40));
    const auto made = items(view);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].points[0], QPointF(10, 10));
    EXPECT_EQ(made[0].points[1], QPointF(50, 40));

    // With another tool of the view clicks on the picture do not reach it either.
    ASSERT_TRUE(dispatch(view, ID_TOOL_MOVE));
    CKRMeasure::MenuItemEvent(krvmeasure::ItemCode::Line, nullptr);
    click(view, o + QPoint(10, 50));
    click(view, o + QPoint(70, 50));
    EXPECT_EQ(items(view).size(), 1u);
}

TEST_F(MeasureView, ZoomedAndScrolledPointsArriveInPicturePixels) {
    CKorvelView* view = pictureView(uniform(300, 200));
    CKorvelDoc* doc = view->document();
    doc->zoom = 2.0f;
    doc->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
    view->horizontalScrollBar()->setValue(50);
    view->verticalScrollBar()->setValue(40);
    ASSERT_TRUE(dispatch(view, ID_MEASURE_LINE));
    click(view, {10, 10});
    click(view, {110, 10});
    const auto made = items(view);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].points[0], QPointF(30, 25));
    EXPECT_EQ(made[0].points[1], QPointF(80, 25));
}

TEST_F(MeasureView, APolygonEndsWithADoubleClick) {
    CKorvelView* view = pictureView(uniform(100, 80));
    const QPoint o = view->imageRect().topLeft();
    ASSERT_TRUE(dispatch(view, ID_MEASURE_POLYGON));
    EXPECT_TRUE(checked(view, ID_MEASURE_POLYGON));
    click(view, o + QPoint(10, 10));
    click(view, o + QPoint(50, 10));
    click(view, o + QPoint(50, 40));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, o + QPoint(10, 40));
    const auto made = items(view);
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].kind, krvmeasure::ItemKind::Polygon);
    EXPECT_EQ(made[0].points.size(), 4u);
}

TEST_F(MeasureView, ShowScaleLineTwiceRestoresTheSettingAndTheApplicationFollows) {
    for (const int setting : {1, 0}) {
        SCOPED_TRACE(setting);
        context.showScaleLine = setting;
        CKorvelView* view = pictureView(uniform(300, 200));
        EXPECT_EQ(checked(view, ID_MEASURE_SCALE_LINE), setting == 1);
        const QImage before = view->viewport()->grab().toImage();

        ASSERT_TRUE(dispatch(view, ID_MEASURE_SCALE_LINE));
        EXPECT_EQ(context.showScaleLine, 1 - setting);
        EXPECT_EQ(checked(view, ID_MEASURE_SCALE_LINE), setting == 0);
        const QImage toggled = view->viewport()->grab().toImage();
        EXPECT_NE(toggled, before);  // the scale line came or went

        ASSERT_TRUE(dispatch(view, ID_MEASURE_SCALE_LINE));
        EXPECT_EQ(context.showScaleLine, setting);
        EXPECT_EQ(checked(view, ID_MEASURE_SCALE_LINE), setting == 1);
        EXPECT_EQ(view->viewport()->grab().toImage(), before);
        view->document()->OnCloseDocument();
    }
}

TEST_F(MeasureView, TheMeasurementsShowOverThePictureWhereverItIsScrolled) {
    context.showScaleLine = 0;
    CKorvelView* view = pictureView(uniform(600, 400));
    ASSERT_TRUE(dispatch(view, ID_MEASURE_LINE));
    // A line across picture row 200 from column 100 to 500.
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(100);
    click(view, {100, 100});
    click(view, {300, 100});
    view->horizontalScrollBar()->setValue(150);
    view->verticalScrollBar()->setValue(50);
    const QImage screen = view->viewport()->grab().toImage();
    EXPECT_FALSE(near(screen.pixelColor(100, 150), kPictureColour, 10));  // on the line
    EXPECT_TRUE(near(screen.pixelColor(100, 120), kPictureColour, 0));    // beside it
}

TEST_F(MeasureView, ASavedPictureCarriesTheMeasurementsWhileTheDocumentDoesNot) {
    context.showScaleLine = 0;
    CKorvelView* view = pictureView(uniform(120, 80));
    CKorvelDoc* doc = view->document();
    // A line along picture row 40.
    const QPoint o = view->imageRect().topLeft();
    ASSERT_TRUE(dispatch(view, ID_MEASURE_LINE));
    click(view, o + QPoint(10, 40));
    click(view, o + QPoint(110, 40));
    ASSERT_EQ(items(view).size(), 1u);

    ASSERT_TRUE(doc->OnSaveDocument(path("measured.png")));
    const QImage file = decoded(QStringLiteral("measured.png"), QSize(120, 80));
    ASSERT_FALSE(file.isNull());
    EXPECT_FALSE(near(file.pixelColor(60, 40), kPictureColour, 10));
    EXPECT_EQ(file.pixelColor(60, 5), kPictureColour);
    EXPECT_EQ(file.pixelColor(5, 75), kPictureColour);

    // The document's picture has no trace of them, and the items are still there.
    int changed = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 120; ++x) {
            const RGBQUAD c = doc->image()->GetPixelColor(x, y, false);
            changed += (c.rgbRed != 40 || c.rgbGreen != 80 || c.rgbBlue != 120) ? 1 : 0;
        }
    }
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(doc->image()->GetBpp(), 24u);
    EXPECT_EQ(items(view).size(), 1u);
}

TEST_F(MeasureView, TheScaleLineIsBurnedAndTheJpegKeepsItsQuality) {
    context.showScaleLine = 1;
    CKorvelView* view = pictureView(uniform(300, 200));
    CKorvelDoc* doc = view->document();
    doc->image()->SetJpegQuality(70);
    ASSERT_TRUE(doc->OnSaveDocument(path("scaled.jpg")));
    EXPECT_EQ(magick(QStringLiteral("identify"), {"-format", "%Q", "scaled.jpg"}), "70");
    const QImage file = decoded(QStringLiteral("scaled.jpg"), QSize(300, 200));
    ASSERT_FALSE(file.isNull());
    // The bar lies near the top-left corner; the far corner is the picture.
    int marked = 0;
    for (int y = 20; y < 50; ++y) {
        for (int x = 10; x < 170; ++x) {
            marked += near(file.pixelColor(x, y), kPictureColour, 12) ? 0 : 1;
        }
    }
    EXPECT_GT(marked, 50);
    EXPECT_TRUE(near(file.pixelColor(280, 180), kPictureColour, 6));
}

TEST_F(MeasureView, NothingToDrawWritesThePictureAsItIs) {
    context.showScaleLine = 0;
    auto palette = std::make_unique<KxImage>(16, 8, 8, KXIMAGE_FORMAT_UNKNOWN);
    for (int i = 0; i < 4; ++i) {
        palette->SetPaletteColor(uint8_t(i), RGBQUAD{uint8_t(60 * i), 0, 0, 255});
    }
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            palette->SetPixelIndex(x, y, uint8_t(x / 4));
        }
    }
    CKorvelView* view = pictureView(std::move(palette));
    ASSERT_TRUE(view->document()->OnSaveDocument(path("plain.png")));
    EXPECT_TRUE(magick(QStringLiteral("identify"), {"-format", "%[type]", "plain.png"})
                    .startsWith("Palette"));
}

TEST_F(MeasureView, PaperCarriesTheMeasurements) {
    context.showScaleLine = 0;
    CKorvelView* view = pictureView(uniform(120, 80));
    const auto printed = [view](int dpi) {
        const QSize size = CKorvelView::printSize(QSize(120, 80), dpi, dpi, 1.0f);
        QImage page(size, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        view->print(painter, dpi, dpi);
        return page;
    };
    EXPECT_EQ(printed(96).pixelColor(60, 40), kPictureColour);
    const QPoint o = view->imageRect().topLeft();
    ASSERT_TRUE(dispatch(view, ID_MEASURE_LINE));
    click(view, o + QPoint(10, 40));
    click(view, o + QPoint(110, 40));
    EXPECT_FALSE(near(printed(96).pixelColor(60, 40), kPictureColour, 10));
    const QImage large = printed(192);  // twice the size: the line lies on row 80
    EXPECT_FALSE(near(large.pixelColor(120, 80), kPictureColour, 10));
    EXPECT_EQ(large.pixelColor(120, 20), kPictureColour);
    // The screen keeps its own scale for the next clicks.
    ASSERT_TRUE(dispatch(view, ID_MEASURE_LINE));
    click(view, o + QPoint(10, 10));
    click(view, o + QPoint(30, 10));
    const auto made = items(view);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[1].points[1], QPointF(30, 10));
}

}  // namespace
