// The image view on screen: transparency as painted, the display copy after changes,
// Set Transparency, the context menu after a right drag, the tracker, free-hand points in
// stretch mode, what the rulers hear of a scroll, printing, and the status bar on focus.

#include "DocumentFixture.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFocusEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

using korvel::res::HINT_FULL_REFRESH;
using korvel::res::HINT_REPAINT;

namespace {

const QColor kBackground(191, 191, 191);

// The viewport as painted.
QImage painted(CKorvelView* view) {
    return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The view's pixel that shows picture pixel (x, y), y from the top, at zoom 1.
QColor shownPixel(const QImage& screen, CKorvelView* view, int x, int y) {
    return screen.pixelColor(view->imageRect().topLeft() + QPoint(x, y));
}

void sendMove(QWidget* surface, QPoint at, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(surface->mapToGlobal(at)),
                     Qt::NoButton, buttons, modifiers);
    QCoreApplication::sendEvent(surface, &move);
}

bool near(const QColor& a, const QColor& b, int tolerance = 0) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// A palette picture: index 0 black, 1 red, 2 green, 3 red again; columns by index.
std::unique_ptr<KxImage> fourColumns() {
    auto image = std::make_unique<KxImage>(8, 4, 8, KXIMAGE_FORMAT_UNKNOWN);
    image->SetPaletteColor(0, RGBQUAD{0, 0, 0, 255});
    image->SetPaletteColor(1, RGBQUAD{0, 0, 255, 255});
    image->SetPaletteColor(2, RGBQUAD{0, 255, 0, 255});
    image->SetPaletteColor(3, RGBQUAD{0, 0, 255, 255});
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            image->SetPixelIndex(x, y, uint8_t(x / 2));
        }
    }
    return image;
}

}  // namespace

TEST_F(DocumentFixture, TheAlphaPlaneAndItsMaximumLetTheBackgroundThrough) {
    auto image = gradient(20, 10, 200);
    ASSERT_TRUE(image->AlphaCreate());
    image->AlphaSet(3, 9, 0);    // row 0 from the top
    image->AlphaSet(5, 9, 128);  // half
    CKorvelDoc* doc = newDocument(std::move(image));
    CKorvelView* view = shownView(doc);
    QImage screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 3, 0), kBackground);
    const QColor half = shownPixel(screen, view, 5, 0);  // picture (200, 45, 35)
    EXPECT_TRUE(near(half, QColor((200 + 191) / 2, (45 + 191) / 2, (35 + 191) / 2), 2));
    EXPECT_EQ(shownPixel(screen, view, 4, 0), QColor(200, 45, 28));

    // Opacity: the maximum scales every pixel; 0 shows only the background.
    doc->image()->AlphaSetMax(0);
    doc->UpdateAllViews(nullptr, HINT_REPAINT);
    screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 4, 0), kBackground);
    doc->image()->AlphaSetMax(128);
    doc->UpdateAllViews(nullptr, HINT_REPAINT);
    screen = painted(view);
    EXPECT_TRUE(near(shownPixel(screen, view, 4, 0),
                     QColor((200 + 191) / 2, (45 + 191) / 2, (28 + 191) / 2), 2));
}

TEST_F(DocumentFixture, TheTransparentIndexAndTheAlphaPaletteShowTheBackground) {
    CKorvelDoc* doc = newDocument(fourColumns());
    doc->image()->SetTransIndex(1);
    doc->UpdateAllViews(nullptr, HINT_REPAINT);
    CKorvelView* view = shownView(doc);
    QImage screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 0, 0), QColor(0, 0, 0));
    EXPECT_EQ(shownPixel(screen, view, 2, 1), kBackground);  // index 1
    EXPECT_EQ(shownPixel(screen, view, 4, 1), QColor(0, 255, 0));
    EXPECT_EQ(shownPixel(screen, view, 6, 1), QColor(255, 0, 0));  // same red, index 3

    // Toggle Alpha Palette: the palette's fourth byte becomes each entry's opacity.
    doc->image()->SetTransIndex(-1);
    doc->image()->SetPaletteColor(2, RGBQUAD{0, 255, 0, 0});
    doc->image()->AlphaPaletteEnable(true);
    doc->UpdateAllViews(nullptr, HINT_REPAINT);
    screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 4, 1), kBackground);
    EXPECT_EQ(shownPixel(screen, view, 2, 1), QColor(255, 0, 0));
    doc->image()->AlphaPaletteEnable(false);
    doc->UpdateAllViews(nullptr, HINT_REPAINT);
    screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 4, 1), QColor(0, 255, 0));
}

TEST_F(DocumentFixture, TransparentPngFilesLookAsTheirPixelsSay) {
    // Colour key, palette key, and a palette with four opacity levels.
    for (const char* name : {"tbrn2c08", "tbbn3p08", "tm3n3p02"}) {
        SCOPED_TRACE(name);
        const QString dir = QStringLiteral(KORVEL_TESTDATA_DIR "/pngsuite/");
        QFile json(dir + "json/" + name + ".json");
        ASSERT_TRUE(json.open(QIODevice::ReadOnly));
        const QJsonArray rgba = QJsonDocument::fromJson(json.readAll()).array();
        auto* doc =
            qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile(dir + "png/" + name + ".png"));
        ASSERT_NE(doc, nullptr);
        CKorvelView* view = shownView(doc);
        const QImage screen = painted(view);
        int wrong = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const int i = (y * 32 + x) * 4;
                const int a = rgba[i + 3].toInt();
                const auto blend = [&](int c, int b) { return (c * a + b * (255 - a)) / 255; };
                const QColor expected(blend(rgba[i].toInt(), 191), blend(rgba[i + 1].toInt(), 191),
                                      blend(rgba[i + 2].toInt(), 191));
                wrong += near(shownPixel(screen, view, x, y), expected, 3) ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0);
        doc->OnCloseDocument();
    }
}

TEST_F(DocumentFixture, ATransparentGifShowsTheBackgroundWhereItIsTransparent) {
    // A red picture with a blue square made transparent by another program.
    QProcess convert;
    convert.setWorkingDirectory(QDir::currentPath());
    convert.start(QStringLiteral("convert"),
                  {"-size", "12x8", "xc:red", "-fill", "blue", "-draw", "rectangle 2,2 5,5",
                   "-transparent", "blue", "keyed.gif"});
    ASSERT_TRUE(convert.waitForFinished(60000)) << "ImageMagick (imagemagick) is needed";
    ASSERT_EQ(convert.exitCode(), 0);
    auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile(path("keyed.gif")));
    ASSERT_NE(doc, nullptr);
    ASSERT_GE(doc->image()->GetTransIndex(), 0);
    CKorvelView* view = shownView(doc);
    const QImage screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 3, 3), kBackground);
    EXPECT_EQ(shownPixel(screen, view, 0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shownPixel(screen, view, 7, 7), QColor(255, 0, 0));
}

TEST_F(DocumentFixture, ARepaintAfterAPixelChangeShowsTheNewPixels) {
    CKorvelDoc* doc = newDocument(gradient(20, 10));
    CKorvelView* view = shownView(doc);
    EXPECT_EQ(shownPixel(painted(view), view, 0, 9), QColor(0, 0, 0));
    // The processing commands change pixels and then ask only for a repaint.
    doc->image()->SetPixelColor(0, 0, RGBQUAD{10, 20, 30, 0});
    doc->UpdateAllViews(nullptr, HINT_REPAINT);
    EXPECT_EQ(shownPixel(painted(view), view, 0, 9), QColor(30, 20, 10));
    // Undo puts the old picture back on screen too.
    doc->StoreUndo();
    doc->image()->SetPixelColor(0, 0, RGBQUAD{0, 0, 99, 0});
    view->viewport()->update();
    EXPECT_EQ(shownPixel(painted(view), view, 0, 9), QColor(99, 0, 0));
    doc->Undo();
    EXPECT_EQ(shownPixel(painted(view), view, 0, 9), QColor(30, 20, 10));
}

TEST_F(DocumentFixture, SetTransparencyOnATrueColourPictureMakesThatColourTransparent) {
    auto image = gradient(20, 10);
    image->SetPixelColor(7, 9, RGBQUAD{1, 2, 3, 0});  // top row, x 7
    image->SetPixelColor(8, 0, RGBQUAD{1, 2, 3, 0});  // bottom row, x 8
    CKorvelDoc* doc = newDocument(std::move(image));
    CKorvelView* view = shownView(doc);
    korvel::framework::CommandState remove;
    remove.id = korvel::res::ID_IMAGE_REMOVE_TRANSPARENCY;
    doc->updateCommandState(remove);
    EXPECT_FALSE(remove.enabled);

    ASSERT_TRUE(doc->runCommand(korvel::res::ID_IMAGE_SET_TRANSPARENCY));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->imageRect().topLeft() + QPoint(7, 0));
    EXPECT_FALSE(doc->waitingForClick);
    EXPECT_GE(doc->image()->GetTransIndex(), 0);
    EXPECT_EQ(doc->undoLevel(), 1);
    const QImage screen = painted(view);
    EXPECT_EQ(shownPixel(screen, view, 7, 0), kBackground);
    EXPECT_EQ(shownPixel(screen, view, 8, 9), kBackground);
    EXPECT_EQ(shownPixel(screen, view, 6, 0), QColor(0, 45, 42));

    doc->updateCommandState(remove);
    EXPECT_TRUE(remove.enabled);
    ASSERT_TRUE(doc->runCommand(korvel::res::ID_IMAGE_REMOVE_TRANSPARENCY));
    EXPECT_EQ(doc->image()->GetTransIndex(), -1);
    EXPECT_EQ(shownPixel(painted(view), view, 7, 0), QColor(3, 2, 1));
}

TEST_F(DocumentFixture, ARightDragOfTheOutlineOpensNoContextMenu) {
    int menus = 0;
    context.showPictureMenu = [&](QPoint) { ++menus; };
    CKorvelDoc* doc = newDocument(gradient(40, 30));
    CKorvelView* view = shownView(doc);
    QWidget* surface = view->viewport();
    const QPoint origin = view->imageRect().topLeft();
    const auto contextMenu = [&](QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, surface->mapToGlobal(at));
        QCoreApplication::sendEvent(surface, &event);
    };

    doc->tool = CKorvelDoc::kSelect;
    doc->outline.dragRectangle(QPoint(2, 2));
    doc->outline.dragRectangle(QPoint(9, 9));
    QTest::mousePress(surface, Qt::RightButton, Qt::NoModifier, origin + QPoint(12, 12));
    sendMove(surface, origin + QPoint(14, 20), Qt::RightButton);
    QTest::mouseRelease(surface, Qt::RightButton, Qt::NoModifier, origin + QPoint(14, 20));
    contextMenu(origin + QPoint(14, 20));
    EXPECT_EQ(menus, 0);
    EXPECT_NE(doc->outline.points()[0], QPoint(2, 2));  // the outline turned

    // A right click with another tool does show the menu.
    doc->tool = CKorvelDoc::kMove;
    QTest::mousePress(surface, Qt::RightButton, Qt::NoModifier, origin + QPoint(5, 5));
    QTest::mouseRelease(surface, Qt::RightButton, Qt::NoModifier, origin + QPoint(5, 5));
    contextMenu(origin + QPoint(5, 5));
    EXPECT_EQ(menus, 1);
}

TEST_F(DocumentFixture, TheTrackerIsDrawnWithHandlesAndMovesAndResizesByThem) {
    CKorvelDoc* doc = newDocument(gradient(60, 40));
    CKorvelView* view = shownView(doc);
    QWidget* surface = view->viewport();
    const QPoint origin = view->imageRect().topLeft();
    const auto dragFrom = [&](QPoint from, QPoint to) {
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, origin + from);
        sendMove(surface, origin + to, Qt::LeftButton);
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, origin + to);
    };
    const auto selected = [&](int x, int yDown) {
        return doc->image()->SelectionGetPointer()[(39 - yDown) * 60 + x] != 0;
    };
    doc->tool = CKorvelDoc::kTracker;
    dragFrom(QPoint(10, 10), QPoint(20, 18));
    ASSERT_TRUE(doc->image()->SelectionIsValid());
    EXPECT_TRUE(selected(15, 14));

    // A handle just outside the bottom-right corner is drawn solid.
    const QImage screen = painted(view);
    const QPoint corner = origin + QPoint(20, 18);
    EXPECT_EQ(screen.pixelColor(corner + QPoint(3, 3)), QColor(0, 0, 0));

    // Dragging the inside moves the rectangle, now (30, 20) to (40, 28); the selection
    // follows.
    dragFrom(QPoint(15, 14), QPoint(35, 24));
    EXPECT_TRUE(selected(35, 24));
    EXPECT_TRUE(selected(31, 22));
    EXPECT_FALSE(selected(27, 22));
    EXPECT_FALSE(selected(15, 14));

    // Dragging the bottom-right handle resizes it from that corner only.
    dragFrom(QPoint(43, 31), QPoint(53, 39));
    EXPECT_TRUE(selected(48, 34));
    EXPECT_TRUE(selected(31, 22));
    EXPECT_FALSE(selected(27, 22));
    EXPECT_FALSE(selected(48, 38));
    EXPECT_FALSE(selected(52, 34));

    // A press away from it draws a new one.
    dragFrom(QPoint(2, 2), QPoint(6, 6));
    EXPECT_TRUE(selected(4, 4));
    EXPECT_FALSE(selected(35, 24));
}

TEST_F(DocumentFixture, FreeHandPointsInStretchModeIgnoreTheStretchRatio) {
    CKorvelDoc* doc = newDocument(gradient(40, 30));
    CKorvelView* view = shownView(doc);
    doc->runCommand(korvel::res::ID_VIEW_STRETCH);
    doc->zoom = 2.0f;
    doc->tool = CKorvelDoc::kSelect;
    QWidget* surface = view->viewport();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
    for (const QPoint at : {QPoint(100, 60), QPoint(180, 90), QPoint(120, 140)}) {
        sendMove(surface, at, Qt::LeftButton);
    }
    const std::vector<QPoint>& points = doc->outline.points();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], QPoint(50, 30));
    EXPECT_EQ(points[1], QPoint(90, 45));
    EXPECT_EQ(points[2], QPoint(60, 70));
}

TEST_F(DocumentFixture, ScrollingTellsTheRulersThePositionBeforeTheScroll) {
    CKorvelDoc* doc = newDocument(gradient(400, 300));
    CKorvelView* view = shownView(doc, QSize(200, 150));
    view->horizontalScrollBar()->setValue(30);
    view->verticalScrollBar()->setValue(20);
    struct Update {
        int kind;
        QPoint scroll;
    };
    std::vector<Update> updates;
    QObject::connect(view, &CKorvelView::rulersChanged,
                     [&](int kind, QPoint scroll, QPoint, QRect, double) {
                         updates.push_back({kind, scroll});
                     });
    view->horizontalScrollBar()->setValue(70);
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].kind, 2);
    EXPECT_EQ(updates[0].scroll, QPoint(30, 20));
    view->verticalScrollBar()->setValue(50);
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_EQ(updates[1].kind, 1);
    EXPECT_EQ(updates[1].scroll, QPoint(70, 20));
}

TEST_F(DocumentFixture, ThePictureCanBePrintedFromItsView) {
    CKorvelDoc* doc = newDocument(gradient(96, 48));
    CKorvelView* view = shownView(doc);
    for (const int id : {korvel::res::ID_FILE_PRINT, korvel::res::ID_FILE_PRINT_PREVIEW}) {
        korvel::framework::CommandState state;
        state.id = id;
        EXPECT_TRUE(view->handlesCommand(id));
        ASSERT_TRUE(view->updateCommandState(state));
        EXPECT_TRUE(state.enabled);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("picture.pdf"));
    view->printTo(printer);
    QFile pdf(path("picture.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

TEST_F(DocumentFixture, TheStatusBarShowsThePictureThatGetsTheFocus) {
    CKorvelDoc* first = newDocument(gradient(40, 30));
    CKorvelView* firstView = shownView(first);
    CKorvelDoc* second = newDocument(gradient(20, 10));
    shownView(second);
    second->refreshStatus();
    EXPECT_EQ(panes[4], QStringLiteral("(20x10x24)"));

    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(firstView, &focus);
    EXPECT_EQ(panes[4], QStringLiteral("(40x30x24)"));
}
