// Paint time of the image view for a 6000 x 4000 picture in a 1600 x 1000 view at 25 %,
// 100 % and 1600 % (smooth off and on), and the time from opening a 24-megapixel JPEG to
// its first paint. Prints "view <zoom> paint_ms <t>" and "open_ms <t>".

#include "document/CKorvelDoc.h"
#include "document/CKorvelView.h"
#include "document/DocumentContext.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIChildWnd.h"
#include "image/KxImage.h"
#include "res/ids.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace korvel::document;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::unique_ptr<KxImage> photograph(uint32_t width, uint32_t height) {
    auto image = std::make_unique<KxImage>(width, height, 24);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image->GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(x ^ y);
            row[3 * x + 1] = uint8_t((x * 3 + y) >> 2);
            row[3 * x + 2] = uint8_t(y >> 4);
        }
    }
    return image;
}

// Best of a few full repaints of the view's visible area.
double paintMs(CKorvelView& view, int repeats = 5) {
    QPixmap target(view.viewport()->size());
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        view.viewport()->render(&target);
        best = std::min(best, msSince(start));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DocumentContext context;
    korvel::framework::CDocTemplate docTemplate(
        129, QStringLiteral("\nKorvel\nKorvel\n\n\nKorvel.Document\nKorvel Document"),
        [&] { return std::make_unique<CKorvelDoc>(context); },
        [] { return std::make_unique<korvel::framework::CMDIChildWnd>(); },
        [] { return std::make_unique<CKorvelView>(); });
    context.docTemplate = &docTemplate;

    auto* doc = qobject_cast<CKorvelDoc*>(docTemplate.OpenDocumentFile({}));
    doc->setImage(photograph(6000, 4000));
    auto* view = qobject_cast<CKorvelView*>(doc->views().front());
    view->GetParentFrame()->resize(1600 + 40, 1000 + 40);
    view->resize(1600, 1000);
    view->GetParentFrame()->show();
    doc->UpdateAllViews(nullptr, korvel::res::HINT_FULL_REFRESH);

    for (const float zoom : {0.25f, 1.0f, 16.0f}) {
        for (const bool smooth : {false, true}) {
            doc->zoom = zoom;
            doc->smooth = smooth;
            doc->UpdateAllViews(nullptr, korvel::res::HINT_REPAINT);
            std::printf("view %g%s paint_ms %.2f\n", zoom * 100.0f, smooth ? "_smooth" : "",
                        paintMs(*view));
        }
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("photo.jpg"));
    if (!photograph(6000, 4000)->Save(path.toLocal8Bit().constData(), KXIMAGE_FORMAT_JPG)) {
        std::fprintf(stderr, "cannot write the test JPEG\n");
        return 1;
    }
    const auto start = Clock::now();
    auto* opened = qobject_cast<CKorvelDoc*>(docTemplate.OpenDocumentFile(path));
    if (!opened) {
        return 1;
    }
    auto* openedView = qobject_cast<CKorvelView*>(opened->views().front());
    openedView->resize(1600, 1000);
    QPixmap first(openedView->viewport()->size());
    openedView->viewport()->render(&first);
    std::printf("open_ms %.1f\n", msSince(start));
    docTemplate.CloseAllDocuments();
    return 0;
}
