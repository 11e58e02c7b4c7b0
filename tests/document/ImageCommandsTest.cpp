// The image-processing commands of a document: worker dispatch with undo, enable rules,
// the dialogs' answers, the names of new documents, and every menu command on pictures
// of three depths; Escape stopping a running operation.

#include "DocumentFixture.h"

#include "document/ImageAlgorithms.h"
#include "document/ImageCommands.h"
#include "document/ImageDialogs.h"
#include "document/PaletteFile.h"
#include "document/dialogs/ImageCommandDialogs.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CommandTarget.h"
#include "krvmeasure/MeasureFixture.h"
#include "res/Resources.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <cstring>
#include <optional>
#include <set>

using namespace korvel::res;
using korvel::framework::CommandState;

namespace {

bool samePicture(const KxImage& a, const KxImage& b) {
    if (a.IsValid() != b.IsValid()) {
        return false;
    }
    if (!a.IsValid()) {
        return true;
    }
    if (a.GetSize() != b.GetSize() || a.GetWidth() != b.GetWidth() ||
        a.GetHeight() != b.GetHeight() || a.GetBpp() != b.GetBpp()) {
        return false;
    }
    if (std::memcmp(a.GetDIB(), b.GetDIB(), a.GetSize()) != 0) {
        return false;
    }
    if (a.AlphaIsValid() != b.AlphaIsValid()) {
        return false;
    }
    const size_t plane = size_t(a.GetWidth()) * a.GetHeight();
    return !a.AlphaIsValid() || std::memcmp(a.AlphaGetPointer(), b.AlphaGetPointer(), plane) == 0;
}

// Answers with the initial values unless a test put its own answer in.
struct ScriptedDialogs : DefaultImageDialogs {
    std::optional<ResampleSettings> resampleAnswer;
    std::optional<DecreaseBppSettings> decreaseAnswer;
    std::optional<RotateSettings> rotateAnswer;
    std::optional<FftSettings> fftAnswer;
    std::optional<MixSettings> mixAnswer;
    std::optional<PaletteSettings> paletteAnswer;
    std::optional<OptionsSettings> optionsAnswer;
    std::optional<CombineSettings> combineAnswer;
    int fftAsked = 0;
    int thresholdStart = -1;
    QString exifShown;

    bool threshold(const KxImage& p, ThresholdSettings& s) override {
        thresholdStart = s.level;
        return DefaultImageDialogs::threshold(p, s);
    }
    bool palette(const KxImage& p, PaletteSettings& s) override {
        if (paletteAnswer) {
            s = *paletteAnswer;
        }
        return DefaultImageDialogs::palette(p, s);
    }
    bool options(OptionsSettings& s, const QString& report) override {
        exifShown = report;
        if (optionsAnswer) {
            s = *optionsAnswer;
        }
        return DefaultImageDialogs::options(s, report);
    }
    bool combine(const std::vector<CKorvelDoc*>& d, CombineSettings& s) override {
        if (combineAnswer) {
            s = *combineAnswer;
        }
        return DefaultImageDialogs::combine(d, s);
    }

    bool resample(const KxImage& p, ResampleSettings& s) override {
        if (resampleAnswer) {
            s = *resampleAnswer;
        }
        return DefaultImageDialogs::resample(p, s);
    }
    bool decreaseBpp(DecreaseBppSettings& s) override {
        if (decreaseAnswer) {
            s = *decreaseAnswer;
        }
        return DefaultImageDialogs::decreaseBpp(s);
    }
    bool rotate(const KxImage& p, RotateSettings& s) override {
        if (rotateAnswer) {
            s = *rotateAnswer;
        }
        return DefaultImageDialogs::rotate(p, s);
    }
    bool fft(const std::vector<CKorvelDoc*>& d, FftSettings& s) override {
        ++fftAsked;
        if (fftAnswer) {
            s = *fftAnswer;
        }
        return DefaultImageDialogs::fft(d, s);
    }
    bool mix(const std::vector<CKorvelDoc*>& d, MixSettings& s) override {
        if (mixAnswer) {
            s = *mixAnswer;
        }
        return DefaultImageDialogs::mix(d, s);
    }
};

class ImageCommands : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        context.imageDialogs = dialogs;
    }
    // Runs a command as a menu does (only when enabled) and waits for its worker.
    bool run(CKorvelDoc* doc, int id) {
        CommandState state;
        state.id = id;
        doc->updateCommandState(state);
        if (!state.enabled) {
            return false;
        }
        doc->runCommand(id);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !doc->isBusy(); }, 120000));
        return true;
    }
    bool enabled(CKorvelDoc* doc, int id) {
        CommandState state;
        state.id = id;
        doc->updateCommandState(state);
        return state.enabled;
    }
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
};

std::unique_ptr<KxImage> filled(uint32_t w, uint32_t h, RGBQUAD c) {
    auto image = std::make_unique<KxImage>(w, h, 24);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            image->SetPixelColor(int(x), int(y), c);
        }
    }
    return image;
}

}  // namespace

TEST_F(ImageCommands, AWorkerCommandKeepsItsIdTakesAnUndoStepAndUndoRestoresThePicture) {
    CKorvelDoc* doc = newDocument(gradient(24, 16));
    const KxImage before(*doc->image());
    ASSERT_TRUE(run(doc, ID_IMAGE_NEGATIVE));
    EXPECT_EQ(doc->operationCommand(), ID_IMAGE_NEGATIVE);
    EXPECT_EQ(doc->undoLevel(), 1);
    EXPECT_EQ(doc->image()->GetPixelColor(3, 2).rgbRed, 255 - before.GetPixelColor(3, 2).rgbRed);
    doc->Undo();
    EXPECT_TRUE(samePicture(*doc->image(), before));
}

TEST_F(ImageCommands, EnableRulesFollowThePictureAndTheBusyMark) {
    CKorvelDoc* empty = newDocument();
    EXPECT_FALSE(enabled(empty, ID_IMAGE_MIRROR));
    EXPECT_TRUE(enabled(empty, ID_ALPHA_OPACITY));  // always, does nothing
    empty->runCommand(ID_ALPHA_OPACITY);
    EXPECT_FALSE(empty->hasPicture());

    CKorvelDoc* doc = newDocument(gradient(8, 8));
    EXPECT_TRUE(enabled(doc, ID_IMAGE_MIRROR));
    EXPECT_FALSE(enabled(doc, ID_IMAGE_CROP));     // no selection
    EXPECT_FALSE(enabled(doc, ID_IMAGE_PALETTE));  // true colour
    EXPECT_FALSE(enabled(doc, ID_ALPHA_SPLIT));    // no alpha plane
    EXPECT_FALSE(enabled(doc, ID_ALPHA_STRIP));
    EXPECT_FALSE(enabled(doc, ID_ALPHA_PALETTE_TOGGLE));
    doc->image()->SelectionAddRect(RECT{1, 5, 4, 1});
    doc->image()->AlphaCreate();
    EXPECT_TRUE(enabled(doc, ID_IMAGE_CROP));
    EXPECT_TRUE(enabled(doc, ID_ALPHA_SPLIT));
    EXPECT_TRUE(enabled(doc, ID_ALPHA_STRIP));

    std::atomic<bool> release{false};
    ASSERT_TRUE(doc->StartOperation(1, {}, [&](KxImage&) {
        while (!release) {
            QThread::msleep(2);
        }
        return true;
    }));
    EXPECT_FALSE(enabled(doc, ID_IMAGE_MIRROR));
    EXPECT_FALSE(enabled(doc, ID_IMAGE_CROP));
    EXPECT_TRUE(enabled(doc, ID_IMAGE_ELLIPSE_TRANSFORM));  // a picture suffices
    EXPECT_TRUE(enabled(doc, ID_IMAGE_OPTIONS));
    // Enabled, but nothing touches the picture while the worker owns it.
    const int level = doc->undoLevel();
    doc->runCommand(ID_IMAGE_ELLIPSE_TRANSFORM);
    EXPECT_EQ(doc->undoLevel(), level);
    release = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !doc->isBusy(); }, 10000));

    auto palette = gradient(8, 8);
    palette->DecreaseBpp(8, false);
    CKorvelDoc* indexed = newDocument(std::move(palette));
    EXPECT_TRUE(enabled(indexed, ID_IMAGE_PALETTE));
}

TEST_F(ImageCommands, ResampleWithFactorMinusTwoDoublesTheSize) {
    CKorvelDoc* doc = newDocument(gradient(24, 16));
    ResampleSettings s = ResampleSettings::forPicture(24, 16);
    EXPECT_EQ(s.height, 66);  // 100 x 16 / 24
    s.factor = -2.0;
    dialogs->resampleAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_RESAMPLE));
    EXPECT_EQ(doc->image()->GetWidth(), 48u);
    EXPECT_EQ(doc->image()->GetHeight(), 32u);
    // With pixel sizes the entered ones count.
    s.useFactor = false;
    s.width = 10;
    s.height = 7;
    dialogs->resampleAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_RESAMPLE));
    EXPECT_EQ(doc->image()->GetWidth(), 10u);
    EXPECT_EQ(doc->image()->GetHeight(), 7u);
}

TEST_F(ImageCommands, DecreaseBppToFourBitsUsesSixteenColoursWithOrWithoutALimitOfForty) {
    for (const bool limit : {false, true}) {
        CKorvelDoc* doc = newDocument(gradient(32, 32, 40));
        DecreaseBppSettings s;
        s.bpp = 4;
        s.limit = limit;
        s.maxColors = 40;
        EXPECT_EQ(s.colourCount(), 16);
        EXPECT_EQ(s.parameters()[3], 16);
        dialogs->decreaseAnswer = s;
        ASSERT_TRUE(run(doc, ID_IMAGE_DECREASE_BPP));
        EXPECT_EQ(doc->image()->GetBpp(), 4);
        EXPECT_EQ(doc->image()->GetNumColors(), 16u);
    }
    DecreaseBppSettings s;
    s.bpp = 8;
    s.limit = true;
    s.maxColors = 40;
    EXPECT_EQ(s.colourCount(), 40);
    s.limit = false;
    EXPECT_EQ(s.colourCount(), 256);
    s.bpp = 1;
    EXPECT_EQ(s.colourCount(), 2);
}

TEST_F(ImageCommands, DialogValuesOutsideTheirRangesGetTheFrameworksMessage) {
    DecreaseBppSettings bpp;
    bpp.maxColors = 300;
    EXPECT_EQ(validate(bpp), QStringLiteral("Please enter an integer between 2 and 256."));
    RepairSettings repair;
    repair.iterations = 0;
    EXPECT_EQ(validate(repair), QStringLiteral("Please enter an integer between 1 and 50."));
    JpegCompressionSettings jpeg;
    jpeg.quality = 101;
    EXPECT_EQ(validate(jpeg), QStringLiteral("Please enter an integer between 0 and 100."));
    OptionsSettings options;
    options.quality = 0;
    EXPECT_EQ(validate(options), QStringLiteral("Please enter an integer between 1 and 255."));
    options.quality = 90;
    options.yDpi = 10001;
    EXPECT_EQ(validate(options), QStringLiteral("Please enter an integer between 0 and 10000."));

    // The dialog keeps itself open and shows the message.
    DecreaseBppDialog dialog(DecreaseBppSettings{});
    dialog.countField()->setText(QStringLiteral("1"));
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages.value(0), QStringLiteral("Please enter an integer between 2 and 256."));
    dialog.countField()->setText(QStringLiteral("many"));
    dialog.accept();
    EXPECT_EQ(messages.value(1), QStringLiteral("Please enter an integer."));
    dialog.countField()->setText(QStringLiteral("40"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().maxColors, 40);
}

TEST_F(ImageCommands, RotateByThirtyDegreesGrowsTheCanvasAndFillsTheCornersBlack) {
    CKorvelDoc* doc = newDocument(filled(40, 20, RGBQUAD{255, 255, 255, 0}));
    RotateSettings s;
    s.angle = 30.0;
    EXPECT_EQ(s.parameters()[0], 30000);
    EXPECT_EQ(s.parameters()[1], 1);
    EXPECT_EQ(s.parameters()[2], 1);
    dialogs->rotateAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_ROTATE));
    const KxImage& p = *doc->image();
    // 40 cos 30 + 20 sin 30 = 44.6 and 40 sin 30 + 20 cos 30 = 37.3.
    EXPECT_NEAR(int(p.GetWidth()), 45, 1);
    EXPECT_NEAR(int(p.GetHeight()), 37, 1);
    const RGBQUAD corner = p.GetPixelColor(0, 0);
    EXPECT_EQ(corner.rgbRed + corner.rgbGreen + corner.rgbBlue, 0);
    const RGBQUAD centre = p.GetPixelColor(int(p.GetWidth() / 2), int(p.GetHeight() / 2));
    EXPECT_EQ(centre.rgbRed, 255);
}

TEST_F(ImageCommands, SplitToRgbCountsOnceThenCombineCountsAfter) {
    CKorvelDoc* doc = newDocument(gradient(12, 8, 77));
    doc->SetTitle(QStringLiteral("a.bmp"));
    context.imageCounter = 4;
    ASSERT_TRUE(run(doc, ID_IMAGE_SPLIT_RGB));
    EXPECT_EQ(titles(), QStringList({"a.bmp", "Red Channel 5 from a.bmp",
                                     "Green Channel 5 from a.bmp", "Blue Channel 5 from a.bmp"}));
    EXPECT_EQ(context.imageCounter, 5);
    const auto docs = docTemplate->documents();
    const KxImage& red = *qobject_cast<CKorvelDoc*>(docs[1])->image();
    EXPECT_EQ(red.GetBpp(), 8);
    EXPECT_EQ(red.GetPixelColor(3, 2).rgbRed, 77);  // the tint is the red component
    const KxImage& blue = *qobject_cast<CKorvelDoc*>(docs[3])->image();
    EXPECT_EQ(blue.GetPixelColor(3, 2).rgbRed, 21);

    // Combine starts from the first document with red, green and blue: the same picture.
    ASSERT_TRUE(run(doc, ID_IMAGE_COMBINE));
    EXPECT_EQ(titles().back(), QStringLiteral("NewImage5"));
    EXPECT_EQ(context.imageCounter, 6);
    const KxImage& combined = *qobject_cast<CKorvelDoc*>(docTemplate->documents().back())->image();
    const RGBQUAD c = combined.GetPixelColor(5, 3);
    const RGBQUAD o = doc->image()->GetPixelColor(5, 3);
    EXPECT_EQ(c.rgbRed, o.rgbRed);
    EXPECT_EQ(c.rgbGreen, o.rgbGreen);
    EXPECT_EQ(c.rgbBlue, o.rgbBlue);
}

TEST_F(ImageCommands, OtherSplitsAndAlphaSplitNameTheirChannels) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    doc->SetTitle(QStringLiteral("p"));
    context.imageCounter = 1;
    ASSERT_TRUE(run(doc, ID_IMAGE_SPLIT_CMYK));
    ASSERT_TRUE(run(doc, ID_IMAGE_SPLIT_HSL));
    doc->image()->AlphaCreate();
    ASSERT_TRUE(run(doc, ID_ALPHA_SPLIT));
    EXPECT_EQ(titles(), QStringList({"p", "C Channel 2 from p", "M Channel 2 from p",
                                     "Y Channel 2 from p", "K Channel 2 from p",
                                     "Hue Channel 3 from p", "Saturation Channel 3 from p",
                                     "Lightness Channel 3 from p", "Alpha Channel 4 from p"}));
}

TEST_F(ImageCommands, FftWithBothPickersOnNoneKeepsTheDialogOpen) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    doc->SetTitle(QStringLiteral("one"));
    newDocument(gradient(8, 8))->SetTitle(QStringLiteral("two"));
    const std::vector<CKorvelDoc*> documents = pickerDocuments(*doc);
    FftDialog dialog(documents, FftSettings{});
    EXPECT_EQ(dialog.realPicker()->currentText(), QStringLiteral("(None)"));
    EXPECT_EQ(dialog.imaginaryPicker()->itemText(2), QStringLiteral("two"));
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.realPicker()->setCurrentIndex(1);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.settings().real, doc);
    EXPECT_EQ(dialog.settings().imaginary, nullptr);

    // Answered with both on "(None)", the command makes nothing.
    const int before = int(docTemplate->documents().size());
    ASSERT_TRUE(run(doc, ID_IMAGE_FFT));
    EXPECT_EQ(dialogs->fftAsked, 1);
    EXPECT_EQ(int(docTemplate->documents().size()), before);
}

TEST_F(ImageCommands, FftMakesTheImaginaryDocumentFirstWithOneNumberForBoth) {
    CKorvelDoc* doc = newDocument(gradient(16, 16));
    context.imageCounter = 7;
    FftSettings s;
    s.real = doc;
    s.magnitude = true;
    dialogs->fftAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_FFT));
    EXPECT_EQ(titles().mid(1), QStringList({"FFT Phase 8", "FFT Magnitude 8"}));
    s.magnitude = false;
    dialogs->fftAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_FFT));
    EXPECT_EQ(titles().mid(3), QStringList({"FFT Imag 9", "FFT Real 9"}));
    EXPECT_EQ(context.imageCounter, 9);
}

TEST_F(ImageCommands, MixAndJpegCompressionNameTheirDocuments) {
    CKorvelDoc* doc = newDocument(gradient(16, 12));
    context.imageCounter = 2;
    ASSERT_TRUE(run(doc, ID_IMAGE_MIX));
    EXPECT_EQ(titles().back(), QStringLiteral("Mix 3"));
    ASSERT_TRUE(run(doc, ID_IMAGE_JPEG_COMPRESSION));
    const QRegularExpression title(QStringLiteral("^Jpeg compr\\. 4, q = 50, size = (\\d+)$"));
    const QRegularExpressionMatch match = title.match(titles().back());
    ASSERT_TRUE(match.hasMatch()) << titles().back().toStdString();
    EXPECT_GT(match.captured(1).toInt(), 100);
    const KxImage& decoded = *qobject_cast<CKorvelDoc*>(docTemplate->documents().back())->image();
    EXPECT_EQ(decoded.GetWidth(), 16u);
    EXPECT_EQ(decoded.GetTransIndex(), -1);
}

TEST_F(ImageCommands, PickersLeaveOutTheStartPage) {
    CKorvelDoc* start = newDocument();
    start->setStartPage(true);
    CKorvelDoc* a = newDocument(gradient(4, 4));
    CKorvelDoc* b = newDocument(gradient(4, 4));
    EXPECT_EQ(pickerDocuments(*a), (std::vector<CKorvelDoc*>{a, b}));
    // Mix starts with Src on the first and Dst on the second.
    MixDialog dialog(pickerDocuments(*a), MixSettings{b, a});
    EXPECT_EQ(dialog.settings().destination, b);
    EXPECT_EQ(dialog.settings().source, a);
    EXPECT_EQ(dialog.settings().operationPosition, 1);
}

TEST_F(ImageCommands, CropOfAFreeHandSelectionTakesItsBoundingBox) {
    CKorvelDoc* doc = newDocument(gradient(20, 16));
    const KxImage before(*doc->image());
    // A triangle drawn with y downwards; the mask counts rows from the bottom.
    const std::vector<QPoint> outline{{3, 2}, {12, 4}, {5, 11}};
    for (const QPoint& p : outline) {
        doc->outline.append(p);
    }
    std::vector<POINT> bottomUp;
    for (const QPoint& p : doc->outline.bottomUp(16)) {
        bottomUp.push_back(POINT{p.x(), p.y()});
    }
    doc->image()->SelectionAddPolygon(bottomUp.data(), int32_t(bottomUp.size()));
    RECT box{};
    ASSERT_TRUE(doc->image()->SelectionGetBox(box));
    ASSERT_TRUE(run(doc, ID_IMAGE_CROP));
    const KxImage& cropped = *doc->image();
    ASSERT_EQ(int(cropped.GetWidth()), box.right - box.left);
    ASSERT_EQ(int(cropped.GetHeight()), box.top - box.bottom);
    // The selected region itself, not its mirror image.
    for (int y = 0; y < int(cropped.GetHeight()); ++y) {
        for (int x = 0; x < int(cropped.GetWidth()); ++x) {
            const RGBQUAD a = cropped.GetPixelColor(x, y);
            const RGBQUAD b = before.GetPixelColor(x + box.left, y + box.bottom);
            ASSERT_EQ(a.rgbGreen, b.rgbGreen) << x << "," << y;
            ASSERT_EQ(a.rgbRed, b.rgbRed) << x << "," << y;
        }
    }
    EXPECT_EQ(doc->undoLevel(), 1);
    doc->Undo();
    EXPECT_TRUE(samePicture(*doc->image(), before));
}

TEST_F(ImageCommands, CropOfAShiftRectangleStartsAtItsTopCorner) {
    CKorvelDoc* doc = newDocument(gradient(20, 16));
    const KxImage before(*doc->image());
    doc->outline.dragRectangle(QPoint(2, 3));
    doc->outline.dragRectangle(QPoint(12, 9));
    doc->rectangleSelection = true;
    doc->image()->SelectionAddRect(RECT{2, 16 - 3, 12, 16 - 9});
    const TurnedRectangle r = turnedRectangle(doc->outline.points());
    EXPECT_EQ(r.x, 2);
    EXPECT_EQ(r.y, 3);
    EXPECT_EQ(r.width, 10);
    EXPECT_EQ(r.height, 6);
    EXPECT_FLOAT_EQ(r.angle, 0.0f);
    ASSERT_TRUE(run(doc, ID_IMAGE_CROP));
    const KxImage& cropped = *doc->image();
    ASSERT_EQ(cropped.GetWidth(), 10u);
    ASSERT_EQ(cropped.GetHeight(), 6u);
    // Top-left pixel: (2, 3) counted downwards in the original.
    const RGBQUAD a = cropped.GetPixelColor(0, 5);
    const RGBQUAD b = before.GetPixelColor(2, 16 - 1 - 3);
    EXPECT_EQ(a.rgbRed, b.rgbRed);
    EXPECT_EQ(a.rgbGreen, b.rgbGreen);

    // A turned rectangle: the corner with the smallest y, its angle towards the next point.
    const std::vector<QPoint> turned{{10, 2}, {18, 8}, {12, 16}, {4, 10}, {10, 2}};
    const TurnedRectangle t = turnedRectangle(turned);
    EXPECT_EQ(t.x, 10);
    EXPECT_EQ(t.y, 2);
    EXPECT_EQ(t.width, 10);
    EXPECT_EQ(t.height, 10);
    EXPECT_NEAR(t.angle, std::atan2(6.0, 8.0), 1e-6);
}

TEST_F(ImageCommands, CreateFromLightnessCannotBeUndone) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    ASSERT_TRUE(run(doc, ID_ALPHA_FROM_LIGHTNESS));
    EXPECT_EQ(doc->undoLevel(), 0);
    ASSERT_TRUE(doc->image()->AlphaIsValid());
    // Dark pixels become opaque: the alpha is the negative of the grey level.
    const RGBQUAD c = doc->image()->GetPixelColor(0, 0);
    EXPECT_EQ(doc->image()->AlphaGet(0, 0), 255 - KxImage::GrayLevel(c));
}

TEST_F(ImageCommands, AlphaCommandsAndOpacityChangeThePlaneWithUndo) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    ASSERT_TRUE(run(doc, ID_ALPHA_OPACITY));  // answered with the current maximum
    EXPECT_TRUE(doc->image()->AlphaIsValid());
    EXPECT_EQ(doc->undoLevel(), 1);
    ASSERT_TRUE(run(doc, ID_ALPHA_INVERT));
    ASSERT_TRUE(run(doc, ID_ALPHA_REMOVE));
    EXPECT_FALSE(doc->image()->AlphaIsValid());
    EXPECT_EQ(doc->image()->AlphaGetMax(), 255);
    EXPECT_EQ(doc->undoLevel(), 3);
}

TEST_F(ImageCommands, EveryMenuCommandRunsOnThreeDepthsAndWorkerStepsUndoBitForBit) {
    std::vector<int> ids;
    std::set<int> seen;
    for (const int menu : {IDR_IMAGE_MENU, IDR_IMAGE_CONTEXT_MENU}) {
        for (const MenuEntry& e : menuResource(menu)) {
            if (e.kind == MenuEntryKind::Item && seen.insert(e.id).second) {
                ids.push_back(e.id);
            }
        }
    }
    // Commands that need a person or leave the document are not part of this walk.
    const std::set<int> skipped{
        ID_FILE_CLOSE,       ID_FILE_SAVE_AS, ID_TOOL_TEXT, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
        ID_FILE_PRINT_SETUP, ID_APP_EXIT,     ID_FILE_OPEN, ID_FILE_NEW,   ID_EDIT_CAPTURE};
    context.editText = [](tagKxTextInfo&) { return false; };

    std::vector<std::unique_ptr<KxImage>> pictures;
    pictures.push_back(gradient(24, 16, 90));
    auto indexed = gradient(24, 16, 30);
    indexed->DecreaseBpp(8, false);
    pictures.push_back(std::move(indexed));
    auto mono = gradient(24, 16, 200);
    mono->Dither(0);
    pictures.push_back(std::move(mono));

    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture->GetBpp());
        CKorvelDoc* doc = newDocument(std::make_unique<KxImage>(*picture));
        // The Measure commands' dialogs are answered (cancelled) without a window.
        doc->measurement.measure()->SetDialogs(std::make_unique<krvmeasure::test::FakeDialogs>());
        for (const int id : ids) {
            if (skipped.count(id)) {
                continue;
            }
            SCOPED_TRACE(id);
            const KxImage before(*doc->image());
            const int level = doc->undoLevel();
            if (!run(doc, id)) {
                continue;
            }
            const auto* entry = ImageCommandRunner::find(id);
            if (entry && entry->kind == CommandKind::Worker) {
                ASSERT_TRUE(doc->hasPicture());
                EXPECT_EQ(doc->undoLevel(), std::min(level + 1, 8));
                doc->Undo();
                EXPECT_TRUE(samePicture(*doc->image(), before));
            }
            // Every command starts from the same picture.
            doc->setImage(std::make_unique<KxImage>(*picture));
        }
    }
}

TEST_F(ImageCommands, EscapeStopsALongOperationAndPutsThePictureBack) {
    constexpr uint32_t kWidth = 6000, kHeight = 4000;
    auto big = std::make_unique<KxImage>(kWidth, kHeight, 24);
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = big->GetBits(y);
        for (uint32_t x = 0; x < kWidth * 3; ++x) {
            row[x] = uint8_t(x * 7 + y * 13);
        }
    }
    const KxImage before(*big);
    CKorvelDoc* doc = newDocument(std::move(big));
    doc->runCommand(ID_FILTER_GAUSSIAN_5X5);
    ASSERT_TRUE(doc->isBusy());
    QThread::msleep(20);
    doc->StopOperation();  // what closing the document or Escape does
    EXPECT_FALSE(doc->isBusy());
    EXPECT_TRUE(samePicture(*doc->image(), before));
    EXPECT_EQ(doc->undoLevel(), 0);
}

TEST_F(ImageCommands, EveryDialogStartsFromTheValuesItIsGiven) {
    auto picture = gradient(300, 120);
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    const std::vector<CKorvelDoc*> documents = pickerDocuments(*doc);

    RotateDialog rotate(*picture, RotateSettings{});
    rotate.setAngle(400.0);  // clamped
    EXPECT_EQ(rotate.settings().angle, 360.0);
    EXPECT_EQ(rotate.settings().interpolation, 1);
    EXPECT_EQ(rotate.settings().overflow, 1);
    EXPECT_FALSE(rotate.settings().keepSize);

    const ResampleSettings resampleStart = ResampleSettings::forPicture(300, 120);
    ResampleDialog resample(*picture, resampleStart);
    EXPECT_TRUE(resample.settings().useFactor);
    EXPECT_EQ(resample.settings().factor, 2.0);
    EXPECT_EQ(resample.settings().height, 40);
    EXPECT_EQ(resample.settings().interpolation, 2);

    SkewDialog skew(*picture, SkewSettings{});
    EXPECT_EQ(skew.settings().skewX, 5.5);
    EXPECT_EQ(skew.settings().skewY, -5.0);
    EXPECT_TRUE(skew.settings().interpolate);
    const OperationParameters skewed = skew.settings().parameters(300, 120);
    EXPECT_EQ(skewed[0], 18);   // 5.5 / 300 x 1000
    EXPECT_EQ(skewed[1], -41);  // -5 / 120 x 1000

    DecreaseBppDialog bpp(DecreaseBppSettings{});
    EXPECT_EQ(bpp.settings().bpp, 4);
    EXPECT_TRUE(bpp.settings().optimized);
    EXPECT_FALSE(bpp.settings().errorDiffusion);
    EXPECT_FALSE(bpp.settings().limit);
    EXPECT_EQ(bpp.settings().maxColors, 256);

    ThresholdDialog threshold(*picture, ThresholdSettings{99});
    EXPECT_EQ(threshold.settings().level, 99);
    ColorizeDialog colorize(ColorizeSettings{});
    EXPECT_EQ(colorize.settings().parameters(), (OperationParameters{1, 12, 50, 50, 0}));
    ColorizeSettings rgb;
    rgb.hsl = false;
    EXPECT_EQ(ColorizeDialog(rgb).settings().parameters(), (OperationParameters{0, 50, 0, -50, 0}));
    LightDialog light(*picture, LightSettings{});
    EXPECT_EQ(light.settings().parameters(), (OperationParameters{0, 0, 1230, 0, 0}));
    RepairDialog repair(RepairSettings{});
    EXPECT_EQ(repair.settings().iterations, 2);
    EXPECT_EQ(repair.settings().radius, 0.25);

    OptionsSettings options;
    options.tiff = 3;  // a stored 3 shows as "Fax"
    options.jpeg = 16 | 8;
    OptionsDialog optionsDialog(options, QString());
    EXPECT_EQ(optionsDialog.settings().tiff, 4u);
    EXPECT_EQ(optionsDialog.settings().jpeg, 24u);

    PaletteSettings palette;
    palette.entries.assign(4, RGBQUAD{1, 2, 3, 4});
    PaletteDialog paletteDialog(palette);
    EXPECT_FALSE(paletteDialog.settings().changed);
    EXPECT_FALSE(paletteDialog.loadFile(path("missing.pal")));

    CombineSettings combine;
    combine.sources = {doc, doc, doc, nullptr};
    CombineDialog combineDialog(documents, combine);
    EXPECT_EQ(combineDialog.settings().sources[0], doc);
    EXPECT_EQ(combineDialog.settings().sources[3], nullptr);
    EXPECT_EQ(combineDialog.settings().components, (std::array<int, 4>{1, 2, 3, 0}));

    JpegCompressionDialog jpeg(JpegCompressionSettings{});
    EXPECT_EQ(jpeg.settings().quality, 50);
    EXPECT_EQ(jpeg.settings().type, int(KXIMAGE_FORMAT_JPG));
    jpeg.qualityField()->setText(QStringLiteral("101"));
    jpeg.show();
    jpeg.accept();
    EXPECT_TRUE(jpeg.isVisible());
    EXPECT_EQ(messages.value(0), QStringLiteral("Please enter an integer between 0 and 100."));
}

TEST_F(ImageCommands, ThePaletteDialogLoadsAFileAndTheCommandMapsIt) {
    PaletteSettings s;
    s.entries.assign(4, RGBQUAD{0, 0, 0, 0});
    PaletteDialog dialog(s);
    const std::vector<RGBQUAD> written{{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    QFile file(path("three.pal"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(writeRiffPalette(written));
    file.close();
    ASSERT_TRUE(dialog.loadFile(path("three.pal")));
    EXPECT_EQ(messages.value(0), QStringLiteral("Warning: numcolors doesn't match"));
    const PaletteSettings loaded = dialog.settings();
    EXPECT_TRUE(loaded.changed);
    EXPECT_EQ(loaded.entries.size(), 4u);
    EXPECT_EQ(loaded.entries[2].rgbBlue, 255);
    ASSERT_TRUE(dialog.saveFile(path("again.pal")));
    QFile again(path("again.pal"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(readPaletteFile(again.readAll(), 4).entries.size(), 4u);
}

TEST_F(ImageCommands, ThresholdStartsFromTheMeanGreyLevel) {
    CKorvelDoc* doc = newDocument(filled(8, 8, RGBQUAD{100, 100, 100, 0}));
    ASSERT_TRUE(run(doc, ID_IMAGE_THRESHOLD));
    EXPECT_EQ(dialogs->thresholdStart, 100);
    EXPECT_EQ(doc->operationParameters()[0], 100);
}

TEST_F(ImageCommands, PaletteMapsByIndexOrByNearestColour) {
    auto indexed = std::make_unique<KxImage>(4, 1, 8);
    for (int i = 0; i < 4; ++i) {
        indexed->SetPaletteColor(uint8_t(i), uint8_t(i * 80), 0, 0);
        indexed->SetPixelIndex(i, 0, uint8_t(i));
    }
    indexed->SetPaletteColor(4, 0, 0, 250);
    CKorvelDoc* doc = newDocument(std::move(indexed));
    PaletteSettings s;
    const RGBQUAD* current = doc->image()->GetPalette();
    s.entries.assign(current, current + doc->image()->GetNumColors());
    s.entries[1] = RGBQUAD{0, 255, 0, 0};  // index 1 turns green
    s.changed = true;
    dialogs->paletteAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_PALETTE));
    EXPECT_EQ(doc->image()->GetPixelIndex(1, 0), 1);
    EXPECT_EQ(doc->image()->GetPixelColor(1, 0).rgbGreen, 255);
    EXPECT_EQ(doc->undoLevel(), 1);

    // Nearest colour: every pixel keeps its colour as closely as the new palette allows.
    doc->Undo();
    s.mapping = PaletteSettings::NearestColour;
    dialogs->paletteAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_PALETTE));
    EXPECT_EQ(doc->image()->GetBpp(), 8);
    EXPECT_EQ(doc->image()->GetPixelColor(2, 0).rgbRed, 160);
    EXPECT_NE(doc->image()->GetPixelColor(1, 0).rgbGreen, 255);

    // Unchanged entries leave the picture alone.
    s.changed = false;
    dialogs->paletteAnswer = s;
    const int level = doc->undoLevel();
    ASSERT_TRUE(run(doc, ID_IMAGE_PALETTE));
    EXPECT_EQ(doc->undoLevel(), level);
}

TEST_F(ImageCommands, OptionsSetThePictureAndTheApplicationsJpegQuality) {
    CKorvelDoc* doc = newDocument(gradient(8, 8));
    OptionsSettings s = OptionsSettings::fromPicture(*doc->image());
    s.quality = 77;
    s.xDpi = 300;
    s.yDpi = 150;
    s.tiff = 5;
    s.jpeg = 16;
    dialogs->optionsAnswer = s;
    ASSERT_TRUE(run(doc, ID_IMAGE_OPTIONS));
    EXPECT_EQ(doc->image()->GetJpegQuality(), 77);
    EXPECT_EQ(doc->image()->GetXDPI(), 300);
    EXPECT_EQ(doc->image()->GetYDPI(), 150);
    EXPECT_EQ(doc->image()->GetCodecOption(KXIMAGE_FORMAT_TIF), 5u);
    EXPECT_EQ(doc->image()->GetCodecOption(KXIMAGE_FORMAT_JPG), 16u);
    EXPECT_EQ(context.jpegQuality, 77);
    EXPECT_EQ(doc->undoLevel(), 0);
    EXPECT_TRUE(dialogs->exifShown.isEmpty());  // no EXIF block: the button stays off
}

TEST_F(ImageCommands, CombineTakesGreyLevelsAndAnOptionalAlphaSource) {
    CKorvelDoc* doc = newDocument(filled(6, 4, RGBQUAD{30, 60, 90, 0}));
    CKorvelDoc* other = newDocument(filled(6, 4, RGBQUAD{200, 200, 200, 0}));
    CombineSettings s;
    s.sources = {doc, doc, doc, other};
    s.components = {0, 1, 3, 0};  // gray, red, blue; alpha from the grey of the other
    dialogs->combineAnswer = s;
    context.imageCounter = 1;
    ASSERT_TRUE(run(doc, ID_IMAGE_COMBINE));
    EXPECT_EQ(titles().back(), QStringLiteral("NewImage1"));
    const KxImage& result = *qobject_cast<CKorvelDoc*>(docTemplate->documents().back())->image();
    const RGBQUAD c = result.GetPixelColor(2, 2);
    EXPECT_EQ(c.rgbRed, KxImage::GrayLevel(RGBQUAD{30, 60, 90, 0}));
    EXPECT_EQ(c.rgbGreen, 90);
    EXPECT_EQ(c.rgbBlue, 30);
    ASSERT_TRUE(result.AlphaIsValid());
    EXPECT_EQ(result.AlphaGet(2, 2), 200);
}

TEST_F(ImageCommands, UndoTheMomentAnOperationEndsLeavesTheNextOneFree) {
    CKorvelDoc* doc = newDocument(gradient(16, 16));
    const KxImage before(*doc->image());
    for (int round = 0; round < 3; ++round) {
        doc->runCommand(ID_IMAGE_MIRROR);
        while (doc->isBusy()) {
            QThread::msleep(1);  // the progress thread still reports after this
        }
        doc->Undo();
        EXPECT_TRUE(samePicture(*doc->image(), before));
    }
    ASSERT_TRUE(run(doc, ID_IMAGE_FLIP));
    EXPECT_EQ(doc->undoLevel(), 1);
}

// --- Escape stops a running operation ------------------------------------------------------

namespace {

// An operation that scribbles over the picture and then runs until it is stopped (or the
// test lets it go, so that a failing test does not hang): it is certain to be running
// when the key arrives.
struct HeldOperation {
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};

    CKorvelDoc::Operation operation() {
        return [this](KxImage& picture) {
            picture.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 0});
            picture.Negative();
            picture.SetProgress(50);
            started = true;
            while (picture.GetEscape() == 0 && !release) {
                QThread::msleep(1);
            }
            return picture.GetEscape() == 0;
        };
    }
    // Waits until the operation has changed the picture.
    bool waitUntilRunning() {
        return QTest::qWaitFor([this] { return started.load(); }, 60000);
    }
};

}  // namespace

class EscapeKey : public ImageCommands {
protected:
    void SetUp() override {
        ImageCommands::SetUp();
        context.escapePressed = [this] { ++fullScreenEscapes; };
    }
    void TearDown() override {
        held.release = true;
        ImageCommands::TearDown();
    }
    HeldOperation held;
    int fullScreenEscapes = 0;
};

TEST_F(EscapeKey, InTheViewItStopsTheOperationAndPutsThePictureBack) {
    CKorvelDoc* doc = newDocument(gradient(64, 48));
    CKorvelView* view = shownView(doc);
    const KxImage before(*doc->image());

    ASSERT_TRUE(doc->StartOperation(ID_IMAGE_NEGATIVE, {}, held.operation()));
    ASSERT_TRUE(held.waitUntilRunning());
    ASSERT_TRUE(doc->isBusy());
    QTest::keyClick(view, Qt::Key_Escape);

    EXPECT_FALSE(doc->isBusy());
    EXPECT_TRUE(samePicture(*doc->image(), before));
    EXPECT_EQ(doc->undoLevel(), 0);
    // The key went to the operation, not to full screen.
    EXPECT_EQ(fullScreenEscapes, 0);
    // The status bar shows the time again instead of a percentage.
    EXPECT_TRUE(panes[2].startsWith(QStringLiteral("Time"))) << panes[2].toStdString();

    // The stop does not linger: the next operation runs to its end.
    ASSERT_TRUE(run(doc, ID_IMAGE_MIRROR));
    EXPECT_EQ(doc->undoLevel(), 1);
    EXPECT_FALSE(samePicture(*doc->image(), before));
    doc->Undo();
    EXPECT_TRUE(samePicture(*doc->image(), before));
}

TEST_F(EscapeKey, WithNoOperationRunningItStillLeavesFullScreen) {
    CKorvelDoc* doc = newDocument(gradient(16, 16));
    CKorvelView* view = shownView(doc);
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(fullScreenEscapes, 1);
    EXPECT_FALSE(doc->CancelOperation());
}

TEST_F(EscapeKey, InTheMainWindowItStopsTheActiveDocumentsOperation) {
    korvel::framework::CMDIFrameWnd frame;
    frame.resize(640, 480);
    frame.show();
    docTemplate->setWorkspace(frame.workspace());
    CKorvelDoc* other = newDocument(gradient(32, 32, 7));
    CKorvelDoc* doc = newDocument(gradient(64, 48));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.GetActiveDocument() == doc; }, 10000));
    const KxImage before(*doc->image());

    ASSERT_TRUE(doc->StartOperation(ID_IMAGE_NEGATIVE, {}, held.operation()));
    ASSERT_TRUE(held.waitUntilRunning());
    QTest::keyClick(&frame, Qt::Key_Escape);

    EXPECT_FALSE(doc->isBusy());
    EXPECT_TRUE(samePicture(*doc->image(), before));
    EXPECT_EQ(fullScreenEscapes, 0);
    EXPECT_EQ(other->undoLevel(), 0);
    docTemplate->CloseAllDocuments();
    docTemplate->setWorkspace(nullptr);
}
