#include "document/ImageCommands.h"

#include "document/CKorvelDoc.h"
#include "document/DocumentContext.h"
#include "document/ExifReport.h"
#include "document/ImageAlgorithms.h"
#include "document/dialogs/WidgetImageDialogs.h"
#include "framework/CDocTemplate.h"
#include "framework/MessageBox.h"
#include "image/KxImage.h"
#include "res/ids.h"

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace korvel::document {

using namespace korvel::res;

namespace {

// Wait cursor and stopwatch around a direct command; the status bar shows the time.
class TimedWork {
public:
    explicit TimedWork(CKorvelDoc& doc) : doc_(doc) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        doc_.StopwatchStart();
    }
    ~TimedWork() {
        doc_.StopwatchStop();
        QGuiApplication::restoreOverrideCursor();
        doc_.refreshStatus();
    }
    TimedWork(const TimedWork&) = delete;
    TimedWork& operator=(const TimedWork&) = delete;

private:
    CKorvelDoc& doc_;
};

bool filter(KxImage& picture, int command) {
    const FilterKernel* k = filterKernel(command);
    return k && picture.Filter(k->values.data(), k->size, k->divisor, k->offset);
}

template <int Command>
bool filterOf(KxImage& picture, const OperationParameters&) {
    return filter(picture, Command);
}

using R = ImageCommandRunner;
using K = CommandKind;
using E = EnableRule;
using P = const OperationParameters&;

// Worker commands that only call the picture.
#define KX_WORKER(id, call)            \
    {                                  \
        id, K::Worker, E::PictureIdle, \
            [](KxImage& i, P p) {      \
                (void)p;               \
                return call;           \
            },                         \
            nullptr, nullptr           \
    }
#define KX_WORKER_ASK(id, call, ask)                                                          \
    {                                                                                         \
        id, K::Worker, E::PictureIdle, [](KxImage& i, P p) { return call; }, &R::ask, nullptr \
    }
#define KX_DIRECT(id, kind, rule, run) \
    { id, kind, rule, nullptr, nullptr, &R::run }

}  // namespace

PictureState PictureState::of(const KxImage* picture, bool busy) {
    PictureState s;
    s.busy = busy;
    if (!picture || !picture->IsValid()) {
        return s;
    }
    s.picture = true;
    s.selection = picture->SelectionIsValid();
    s.alphaPlane = picture->AlphaIsValid();
    s.alphaPaletteValid = picture->AlphaPaletteIsValid();
    s.palette = picture->GetNumColors() > 0;
    return s;
}

bool isEnabled(EnableRule rule, const PictureState& s) {
    const bool idle = s.picture && !s.busy;
    switch (rule) {
        case EnableRule::PictureIdle:
            return idle;
        case EnableRule::Picture:
            return s.picture;
        case EnableRule::Always:
            return true;
        case EnableRule::Selection:
            return idle && s.selection;
        case EnableRule::Palette:
            return idle && s.palette;
        case EnableRule::AlphaPlane:
            return idle && s.alphaPlane;
        case EnableRule::AlphaPalette:
            return idle && s.alphaPaletteValid;
        case EnableRule::AlphaPlaneOrPalette:
            return idle && (s.alphaPlane || s.alphaPaletteValid);
    }
    return false;
}

std::span<const ImageCommandRunner::Entry> ImageCommandRunner::table() {
    static const Entry kTable[] = {
        // Worker commands.
        KX_WORKER(ID_IMAGE_MIRROR, i.Mirror()),
        KX_WORKER(ID_IMAGE_FLIP, i.Flip()),
        KX_WORKER(ID_IMAGE_NEGATIVE, i.Negative()),
        KX_WORKER(ID_IMAGE_GRAYSCALE, i.GrayScale()),
        KX_WORKER(ID_IMAGE_ROTATE_LEFT, i.RotateLeft()),
        KX_WORKER(ID_IMAGE_ROTATE_RIGHT, i.RotateRight()),
        KX_WORKER_ASK(ID_IMAGE_ROTATE, rotatePicture(i, p), askRotate),
        KX_WORKER_ASK(ID_IMAGE_RESAMPLE, resamplePicture(i, p), askResample),
        KX_WORKER_ASK(ID_IMAGE_SKEW,
                      i.Skew(float(p[0]) / 1000.0f, float(p[1]) / 1000.0f, p[2], p[3], p[4] != 0),
                      askSkew),
        KX_WORKER_ASK(ID_IMAGE_DECREASE_BPP, decreaseBpp(i, p), askDecreaseBpp),
        KX_WORKER_ASK(ID_IMAGE_INCREASE_BPP, i.IncreaseBpp(uint32_t(p[0])), askIncreaseBpp),
        KX_WORKER_ASK(ID_IMAGE_DITHER, i.Dither(p[0]), askDither),
        KX_WORKER_ASK(ID_IMAGE_THRESHOLD, i.Threshold(uint8_t(std::clamp(p[0], 0, 255))),
                      askThreshold),
        KX_WORKER_ASK(ID_IMAGE_COLORIZE,
                      p[0] != 0
                          ? i.Colorize(uint8_t(std::clamp(p[1], 0, 255)),
                                       uint8_t(std::clamp(p[2], 0, 255)), float(p[3]) / 100.0f)
                          : i.ShiftRGB(p[1], p[2], p[3]),
                      askColorize),
        KX_WORKER(ID_IMAGE_LIGHTEN, i.Light(20, 0)),
        KX_WORKER(ID_IMAGE_DARKEN, i.Light(-20, 0)),
        KX_WORKER(ID_IMAGE_MORE_CONTRAST, i.Light(0, 25)),
        KX_WORKER(ID_IMAGE_LESS_CONTRAST, i.Light(0, -25)),
        KX_WORKER_ASK(ID_IMAGE_LIGHT_CONTRAST_GAMMA,
                      i.Light(p[0], p[1]) && i.Gamma(float(p[2]) / 1000.0f), askLight),
        {ID_FILTER_EMBOSS, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_EMBOSS>, nullptr,
         nullptr},
        {ID_FILTER_BLUR, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_BLUR>, nullptr, nullptr},
        {ID_FILTER_SOFTEN, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_SOFTEN>, nullptr,
         nullptr},
        {ID_FILTER_SHARPEN, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_SHARPEN>, nullptr,
         nullptr},
        {ID_FILTER_EDGE_LINEAR, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_EDGE_LINEAR>,
         nullptr, nullptr},
        {ID_FILTER_GAUSSIAN_3X3, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_GAUSSIAN_3X3>,
         nullptr, nullptr},
        {ID_FILTER_GAUSSIAN_5X5, K::Worker, E::PictureIdle, &filterOf<ID_FILTER_GAUSSIAN_5X5>,
         nullptr, nullptr},
        KX_WORKER(ID_FILTER_ERODE, i.Erode(2)),
        KX_WORKER(ID_FILTER_DILATE, i.Dilate(2)),
        KX_WORKER(ID_FILTER_EDGE_NONLINEAR, i.Edge(2)),
        KX_WORKER(ID_FILTER_MEDIAN, i.Median(3)),
        KX_WORKER(ID_FILTER_ADD_NOISE, i.Noise(50)),
        KX_WORKER(ID_FILTER_CONTOUR, i.Contour()),
        KX_WORKER(ID_FILTER_JITTER, i.Jitter(2)),
        KX_WORKER(ID_FILTER_PINCH, i.CircleTransform(1, 0, 100.0f)),
        KX_WORKER(ID_FILTER_PUNCH, i.CircleTransform(0, 0, 100.0f)),
        KX_WORKER(ID_FILTER_TWIRL, i.CircleTransform(2, 0, 100.0f)),
        KX_WORKER(ID_FILTER_CYLINDER, i.CircleTransform(3, 0, 100.0f)),
        KX_WORKER(ID_FILTER_BATHROOM, i.CircleTransform(4, 0, 1.0f)),
        KX_WORKER(ID_HISTOGRAM_STRETCH, i.HistogramStretch(0)),
        KX_WORKER(ID_HISTOGRAM_STRETCH1, i.HistogramStretch(1)),
        KX_WORKER(ID_HISTOGRAM_STRETCH2, i.HistogramStretch(2)),
        KX_WORKER(ID_HISTOGRAM_EQUALIZE, i.HistogramEqualize()),
        KX_WORKER(ID_HISTOGRAM_NORMALIZE, i.HistogramNormalize()),
        KX_WORKER(ID_HISTOGRAM_LOG, i.HistogramLog()),
        KX_WORKER(ID_HISTOGRAM_ROOT, i.HistogramRoot()),

        // Direct commands changing the picture in place.
        KX_DIRECT(ID_IMAGE_CROP, K::Direct, E::Selection, crop),
        KX_DIRECT(ID_IMAGE_ELLIPSE_TRANSFORM, K::Direct, E::Picture, ellipse),
        KX_DIRECT(ID_IMAGE_PSEUDO_COLORS, K::Direct, E::PictureIdle, pseudoColours),
        KX_DIRECT(ID_IMAGE_PALETTE, K::Direct, E::Palette, palette),
        KX_DIRECT(ID_ALPHA_OPACITY, K::Direct, E::Always, opacity),
        KX_DIRECT(ID_ALPHA_REMOVE, K::Direct, E::AlphaPlane, alphaRemove),
        KX_DIRECT(ID_ALPHA_INVERT, K::Direct, E::AlphaPlane, alphaInvert),
        KX_DIRECT(ID_ALPHA_PALETTE_TOGGLE, K::Direct, E::AlphaPalette, alphaPaletteToggle),
        KX_DIRECT(ID_ALPHA_STRIP, K::Direct, E::AlphaPlaneOrPalette, alphaStrip),
        KX_DIRECT(ID_ALPHA_FROM_LIGHTNESS, K::Direct, E::Always, alphaFromLightness),
        KX_DIRECT(ID_IMAGE_REPAIR, K::Direct, E::PictureIdle, repair),
        KX_DIRECT(ID_IMAGE_OPTIONS, K::Direct, E::Always, options),

        // Direct commands making new documents.
        KX_DIRECT(ID_IMAGE_SPLIT_RGB, K::NewDocument, E::PictureIdle, splitRgb),
        KX_DIRECT(ID_IMAGE_SPLIT_YUV, K::NewDocument, E::PictureIdle, splitYuv),
        KX_DIRECT(ID_IMAGE_SPLIT_HSL, K::NewDocument, E::PictureIdle, splitHsl),
        KX_DIRECT(ID_IMAGE_SPLIT_CMYK, K::NewDocument, E::PictureIdle, splitCmyk),
        KX_DIRECT(ID_IMAGE_SPLIT_YIQ, K::NewDocument, E::PictureIdle, splitYiq),
        KX_DIRECT(ID_IMAGE_SPLIT_XYZ, K::NewDocument, E::PictureIdle, splitXyz),
        KX_DIRECT(ID_ALPHA_SPLIT, K::NewDocument, E::AlphaPlane, alphaSplit),
        KX_DIRECT(ID_IMAGE_COMBINE, K::NewDocument, E::PictureIdle, combine),
        KX_DIRECT(ID_IMAGE_FFT, K::NewDocument, E::PictureIdle, fft),
        KX_DIRECT(ID_IMAGE_MIX, K::NewDocument, E::PictureIdle, mix),
        KX_DIRECT(ID_IMAGE_JPEG_COMPRESSION, K::NewDocument, E::PictureIdle, jpegCompression),
    };
    return kTable;
}

#undef KX_WORKER
#undef KX_WORKER_ASK
#undef KX_DIRECT

const ImageCommandRunner::Entry* ImageCommandRunner::find(int id) {
    for (const Entry& e : table()) {
        if (e.id == id) {
            return &e;
        }
    }
    return nullptr;
}

bool runWorkerOperation(KxImage& picture, int command, const OperationParameters& p) {
    const ImageCommandRunner::Entry* entry = ImageCommandRunner::find(command);
    return entry && entry->operation && entry->operation(picture, p);
}

std::vector<CKorvelDoc*> pickerDocuments(const CKorvelDoc& anyDocument) {
    std::vector<CKorvelDoc*> result;
    const framework::CDocTemplate* docTemplate = anyDocument.context().docTemplate;
    if (!docTemplate) {
        return result;
    }
    for (framework::CDocument* d : docTemplate->documents()) {
        auto* doc = qobject_cast<CKorvelDoc*>(d);
        if (doc && !doc->isStartPage()) {
            result.push_back(doc);
        }
    }
    return result;
}

// --- the runner ---------------------------------------------------------------------------

ImageCommandRunner::ImageCommandRunner(CKorvelDoc& document) : doc_(document) {}

ImageCommandRunner::~ImageCommandRunner() = default;

bool ImageCommandRunner::enabled(int id) const {
    const Entry* entry = find(id);
    return entry && isEnabled(entry->rule, PictureState::of(doc_.image(), doc_.isBusy()));
}

void ImageCommandRunner::execute(int id) {
    const Entry* entry = find(id);
    // The worker replaces the picture while it runs: nothing else may touch it then, even
    // the commands whose menu entries stay enabled.
    if (!entry || !doc_.hasPicture() || doc_.isBusy()) {
        return;
    }
    if (entry->kind != CommandKind::Worker) {
        (this->*entry->run)();
        return;
    }
    OperationParameters parameters{};
    if (entry->ask && !(this->*entry->ask)(parameters)) {
        return;
    }
    doc_.StartOperation(id, parameters, [id, parameters](KxImage& picture) {
        return runWorkerOperation(picture, id, parameters);
    });
}

ImageDialogs& ImageCommandRunner::dialogs() {
    if (doc_.context().imageDialogs) {
        return *doc_.context().imageDialogs;
    }
    if (!ownDialogs_) {
        ownDialogs_ = makeWidgetImageDialogs();
    }
    return *ownDialogs_;
}

CKorvelDoc* ImageCommandRunner::createDocument(std::unique_ptr<KxImage> picture,
                                               const QString& title) {
    framework::CDocTemplate* docTemplate = doc_.context().docTemplate;
    if (!docTemplate || !picture || !picture->IsValid()) {
        return nullptr;
    }
    auto* doc = qobject_cast<CKorvelDoc*>(docTemplate->OpenDocumentFile({}));
    if (!doc) {
        return nullptr;
    }
    doc->setImage(std::move(picture));
    doc->SetTitle(title);
    doc->UpdateAllViews(nullptr, HINT_FULL_REFRESH);
    doc->refreshStatus();
    return doc;
}

int ImageCommandRunner::nextNumber() {
    return ++doc_.context().imageCounter;
}

void ImageCommandRunner::repaint() {
    doc_.pictureChanged();
    doc_.UpdateAllViews(nullptr, HINT_REPAINT);
}

void ImageCommandRunner::fullUpdate() {
    doc_.pictureChanged();
    doc_.UpdateAllViews(nullptr, HINT_FULL_REFRESH);
}

// --- dialogs of the worker commands --------------------------------------------------------

bool ImageCommandRunner::askRotate(OperationParameters& p) {
    RotateSettings s;
    if (!dialogs().rotate(*doc_.image(), s)) {
        return false;
    }
    p = s.parameters();
    return true;
}

bool ImageCommandRunner::askResample(OperationParameters& p) {
    const KxImage& picture = *doc_.image();
    const int w = int(picture.GetWidth()), h = int(picture.GetHeight());
    ResampleSettings s = ResampleSettings::forPicture(w, h);
    if (!dialogs().resample(picture, s)) {
        return false;
    }
    p = s.parameters(w, h);
    return true;
}

bool ImageCommandRunner::askSkew(OperationParameters& p) {
    const KxImage& picture = *doc_.image();
    SkewSettings s;
    if (!dialogs().skew(picture, s)) {
        return false;
    }
    p = s.parameters(int(picture.GetWidth()), int(picture.GetHeight()));
    return true;
}

bool ImageCommandRunner::askDecreaseBpp(OperationParameters& p) {
    DecreaseBppSettings s;
    if (!dialogs().decreaseBpp(s)) {
        return false;
    }
    p = s.parameters();
    return true;
}

bool ImageCommandRunner::askIncreaseBpp(OperationParameters& p) {
    IncreaseBppSettings s;
    if (!dialogs().increaseBpp(s)) {
        return false;
    }
    p = {s.bpp, 0, 0, 0, 0};
    return true;
}

bool ImageCommandRunner::askDither(OperationParameters& p) {
    DitherSettings s;
    if (!dialogs().dither(s)) {
        return false;
    }
    p = {std::clamp(s.method, 0, 7), 0, 0, 0, 0};
    return true;
}

bool ImageCommandRunner::askThreshold(OperationParameters& p) {
    ThresholdSettings s;
    s.level = std::clamp(static_cast<int>(doc_.image()->Mean()), 0, 255);
    if (!dialogs().threshold(*doc_.image(), s)) {
        return false;
    }
    p = {std::clamp(s.level, 0, 255), 0, 0, 0, 0};
    return true;
}

bool ImageCommandRunner::askColorize(OperationParameters& p) {
    ColorizeSettings s;
    if (!dialogs().colorize(s)) {
        return false;
    }
    p = s.parameters();
    return true;
}

bool ImageCommandRunner::askLight(OperationParameters& p) {
    LightSettings s;
    if (!dialogs().light(*doc_.image(), s)) {
        return false;
    }
    p = s.parameters();
    return true;
}

// --- direct commands ---------------------------------------------------------------------

void ImageCommandRunner::crop() {
    doc_.StoreUndo();
    KxImage& picture = *doc_.image();
    cropToSelection(picture, doc_.outline.points(),
                    doc_.rectangleSelection || doc_.outline.isRectangle());
    // The outline was drawn on the uncropped picture.
    doc_.outline.clear();
    doc_.refreshStatus();
    fullUpdate();
}

void ImageCommandRunner::ellipse() {
    doc_.StoreUndo();
    ellipseTransform(*doc_.image());
    repaint();
}

void ImageCommandRunner::pseudoColours() {
    doc_.StoreUndo();
    KxImage& picture = *doc_.image();
    if (!picture.IsGrayScale()) {
        picture.GrayScale();
    }
    picture.HuePalette(1.0f);
    fullUpdate();
}

void ImageCommandRunner::palette() {
    KxImage& picture = *doc_.image();
    PaletteSettings s;
    const RGBQUAD* entries = picture.GetPalette();
    if (entries) {
        s.entries.assign(entries, entries + picture.GetNumColors());
    }
    if (!dialogs().palette(picture, s) || !s.changed || s.entries.empty()) {
        return;
    }
    doc_.StoreUndo();
    if (s.mapping == PaletteSettings::MaintainIndexes) {
        picture.SetPalette(s.entries.data(), uint32_t(s.entries.size()));
    } else {
        const uint32_t bpp = picture.GetBpp();
        std::vector<RGBQUAD> full = s.entries;
        full.resize(std::size_t(1) << std::min<uint32_t>(bpp, 8), RGBQUAD{0, 0, 0, 0});
        picture.IncreaseBpp(24);
        picture.DecreaseBpp(bpp, s.mapping == PaletteSettings::ErrorDiffusion, full.data(), 0);
    }
    fullUpdate();
}

void ImageCommandRunner::opacity() {
    KxImage& picture = *doc_.image();
    OpacitySettings s;
    s.level = picture.AlphaGetMax();
    if (!dialogs().opacity(s)) {
        return;
    }
    doc_.StoreUndo();
    if (!picture.AlphaIsValid()) {
        picture.AlphaCreate();
    }
    picture.AlphaSetMax(uint8_t(std::clamp(s.level, 0, 255)));
    repaint();
}

void ImageCommandRunner::alphaRemove() {
    doc_.StoreUndo();
    doc_.image()->AlphaDelete();
    doc_.image()->AlphaSetMax(255);
    repaint();
}

void ImageCommandRunner::alphaInvert() {
    doc_.StoreUndo();
    doc_.image()->AlphaInvert();
    repaint();
}

void ImageCommandRunner::alphaPaletteToggle() {
    doc_.StoreUndo();
    KxImage& picture = *doc_.image();
    picture.AlphaPaletteEnable(!picture.AlphaPaletteIsEnabled());
    repaint();
}

void ImageCommandRunner::alphaStrip() {
    doc_.StoreUndo();
    KxImage& picture = *doc_.image();
    picture.SetTransColor(RGBQUAD{255, 255, 255, 0});
    picture.AlphaStrip();
    fullUpdate();
}

void ImageCommandRunner::alphaFromLightness() {
    // No undo step: the alpha plane is taken from the picture's own lightness.
    KxImage& picture = *doc_.image();
    KxImage grey(picture, true, false, false);
    grey.IncreaseBpp(8);
    grey.Negative();
    grey.GrayScale();
    picture.AlphaSet(grey);
    repaint();
}

void ImageCommandRunner::repair() {
    RepairSettings s;
    if (!dialogs().repair(s)) {
        return;
    }
    doc_.StoreUndo();
    {
        TimedWork timed(doc_);
        doc_.image()->Repair(float(s.radius), std::clamp(s.iterations, 1, 50),
                             std::clamp(s.colorSpace, 0, 4));
    }
    repaint();
}

void ImageCommandRunner::options() {
    KxImage& picture = *doc_.image();
    OptionsSettings s = OptionsSettings::fromPicture(picture);
    const tag_ExifInfo& exif = doc_.exif.GetExifInfo();
    const QString report = exif.IsExif ? exifReport(exif) : QString();
    if (!dialogs().options(s, report)) {
        return;
    }
    s.applyTo(picture);
    doc_.context().jpegQuality = s.quality;
}

// --- new documents -----------------------------------------------------------------------

template <typename Split>
void ImageCommandRunner::split(std::initializer_list<const char*> names, Split splitter) {
    std::vector<std::unique_ptr<KxImage>> channels;
    for (std::size_t i = 0; i < names.size(); ++i) {
        channels.push_back(std::make_unique<KxImage>());
    }
    bool ok = false;
    {
        TimedWork timed(doc_);
        ok = splitter(*doc_.image(), channels);
    }
    if (!ok) {
        return;
    }
    const int number = nextNumber();
    const QString source = doc_.GetTitle();
    std::size_t i = 0;
    for (const char* name : names) {
        createDocument(std::move(channels[i++]), QStringLiteral("%1 Channel %2 from %3")
                                                     .arg(QString::fromLatin1(name))
                                                     .arg(number)
                                                     .arg(source));
    }
}

void ImageCommandRunner::splitRgb() {
    split({"Red", "Green", "Blue"},
          [](KxImage& p, auto& c) { return p.SplitRGB(c[0].get(), c[1].get(), c[2].get()); });
}

void ImageCommandRunner::splitYuv() {
    split({"Y", "U", "V"},
          [](KxImage& p, auto& c) { return p.SplitYUV(c[0].get(), c[1].get(), c[2].get()); });
}

void ImageCommandRunner::splitHsl() {
    split({"Hue", "Saturation", "Lightness"},
          [](KxImage& p, auto& c) { return p.SplitHSL(c[0].get(), c[1].get(), c[2].get()); });
}

void ImageCommandRunner::splitCmyk() {
    split({"C", "M", "Y", "K"}, [](KxImage& p, auto& c) {
        return p.SplitCMYK(c[0].get(), c[1].get(), c[2].get(), c[3].get());
    });
}

void ImageCommandRunner::splitYiq() {
    split({"Y", "I", "Q"},
          [](KxImage& p, auto& c) { return p.SplitYIQ(c[0].get(), c[1].get(), c[2].get()); });
}

void ImageCommandRunner::splitXyz() {
    split({"X", "Y", "Z"},
          [](KxImage& p, auto& c) { return p.SplitXYZ(c[0].get(), c[1].get(), c[2].get()); });
}

void ImageCommandRunner::alphaSplit() {
    split({"Alpha"}, [](KxImage& p, auto& c) { return p.AlphaSplit(c[0].get()); });
}

namespace {

// One channel of a document's picture for Combine: 0 its grey levels, 1...3 red, green or
// blue; null without a picture.
std::unique_ptr<KxImage> channelOf(CKorvelDoc* doc, int component) {
    if (!doc || !doc->hasPicture()) {
        return nullptr;
    }
    const KxImage& picture = *doc->image();
    if (component <= 0) {
        auto grey = std::make_unique<KxImage>(picture, true, false, false);
        grey->GrayScale();
        return grey;
    }
    KxImage source(picture, true, false, false);
    std::array<std::unique_ptr<KxImage>, 3> rgb{
        std::make_unique<KxImage>(), std::make_unique<KxImage>(), std::make_unique<KxImage>()};
    if (!source.SplitRGB(rgb[0].get(), rgb[1].get(), rgb[2].get())) {
        return nullptr;
    }
    return std::move(rgb[std::size_t(std::min(component, 3) - 1)]);
}

}  // namespace

void ImageCommandRunner::combine() {
    const std::vector<CKorvelDoc*> documents = pickerDocuments(doc_);
    CombineSettings s;
    CKorvelDoc* first = documents.empty() ? nullptr : documents.front();
    s.sources = {first, first, first, nullptr};
    if (!dialogs().combine(documents, s)) {
        return;
    }
    std::unique_ptr<KxImage> result;
    {
        TimedWork timed(doc_);
        std::array<std::unique_ptr<KxImage>, 4> channels;
        for (std::size_t i = 0; i < 4; ++i) {
            channels[i] = channelOf(s.sources[i], s.components[i]);
        }
        if (!channels[0] || !channels[1] || !channels[2]) {
            return;
        }
        result = std::make_unique<KxImage>();
        if (!result->Combine(channels[0].get(), channels[1].get(), channels[2].get(),
                             channels[3].get(), std::clamp(s.colorSpace, 0, 4))) {
            framework::AfxMessageBox(QString::fromLocal8Bit(result->GetLastError()));
            return;
        }
    }
    createDocument(std::move(result),
                   QStringLiteral("NewImage%1").arg(doc_.context().takeImageNumber()));
}

void ImageCommandRunner::fft() {
    const std::vector<CKorvelDoc*> documents = pickerDocuments(doc_);
    FftSettings s;
    if (!dialogs().fft(documents, s) || !s.acceptable()) {
        return;
    }
    auto pixelsOf = [](CKorvelDoc* d) {
        return d && d->hasPicture() ? std::make_unique<KxImage>(*d->image(), true, false, false)
                                    : nullptr;
    };
    std::unique_ptr<KxImage> real = pixelsOf(s.real);
    std::unique_ptr<KxImage> imaginary = pixelsOf(s.imaginary);
    if (!real && !imaginary) {
        return;
    }
    // The missing side is a black grey picture of the other's size.
    auto blackLike = [](const KxImage& other) {
        auto black = std::make_unique<KxImage>(other.GetWidth(), other.GetHeight(), 8);
        black->SetGrayPalette();
        black->Clear(0);
        return black;
    };
    if (!real) {
        real = blackLike(*imaginary);
    }
    if (!imaginary) {
        imaginary = blackLike(*real);
    }
    KxImage engine;
    {
        TimedWork timed(doc_);
        if (!engine.FFT2(real.get(), imaginary.get(), nullptr, nullptr, s.inverse ? -1 : 1, s.force,
                         s.magnitude)) {
            framework::AfxMessageBox(QString::fromLocal8Bit(engine.GetLastError()));
            return;
        }
    }
    const int number = nextNumber();
    createDocument(
        std::move(imaginary),
        (s.magnitude ? QStringLiteral("FFT Phase %1") : QStringLiteral("FFT Imag %1")).arg(number));
    createDocument(std::move(real), (s.magnitude ? QStringLiteral("FFT Magnitude %1")
                                                 : QStringLiteral("FFT Real %1"))
                                        .arg(number));
}

void ImageCommandRunner::mix() {
    const std::vector<CKorvelDoc*> documents = pickerDocuments(doc_);
    MixSettings s;
    if (!documents.empty()) {
        s.source = documents.front();
        s.destination = documents.size() >= 2 ? documents[1] : documents.front();
    }
    if (!dialogs().mix(documents, s)) {
        return;
    }
    if (!s.destination || !s.destination->hasPicture() || !s.source || !s.source->hasPicture()) {
        return;
    }
    std::unique_ptr<KxImage> result;
    {
        TimedWork timed(doc_);
        result = std::make_unique<KxImage>(*s.destination->image());
        const int position = std::clamp(s.operationPosition, 0, 9);
        result->Mix(*s.source->image(), MixSettings::operations()[std::size_t(position)], s.xOffset,
                    s.yOffset, s.mixAlpha);
    }
    createDocument(std::move(result), QStringLiteral("Mix %1").arg(nextNumber()));
}

void ImageCommandRunner::jpegCompression() {
    JpegCompressionSettings s;
    if (!dialogs().jpegCompression(s)) {
        return;
    }
    auto copy = std::make_unique<KxImage>(*doc_.image());
    std::vector<uint8_t> stream;
    bool ok = false;
    {
        TimedWork timed(doc_);
        if (!copy->IsGrayScale()) {
            copy->IncreaseBpp(24);
        }
        copy->SetTransIndex(-1);
        copy->SetJpegQuality(uint8_t(std::clamp(s.quality, 0, 100)));
        const auto type = static_cast<uint32_t>(s.type);
        ok = copy->Encode(stream, type) && copy->Decode(stream.data(), stream.size(), type);
    }
    if (!ok) {
        framework::AfxMessageBox(QString::fromLocal8Bit(copy->GetLastError()));
        return;
    }
    createDocument(std::move(copy), QStringLiteral("Jpeg compr. %1, q = %2, size = %3")
                                        .arg(nextNumber())
                                        .arg(s.quality)
                                        .arg(stream.size()));
}

}  // namespace korvel::document
