// Time from showing a folder of 20 JPEG photographs of 6000 x 4000 to the last thumbnail
// drawn, against the vipsthumbnail program making 200 x 180 thumbnails of the same files,
// and the longest time the user-interface thread was busy meanwhile. The photographs
// are written once into a folder under the temporary directory and kept for later runs.
// Prints "browser 20x24MP ms <t> vips_ms <t> ratio <r>", "ui_block_max_ms <t>" (the
// longest single stretch of work on the user-interface thread: showing the folder, or
// handling one event) and "loop_gap_max_ms <t>" (the longest time between two turns of a
// 1 ms timer, which also counts time the system gave to other programs).

#include "browser/CThumbnailList.h"
#include "image/KxImage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace korvel::browser;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPhotos = 20;
constexpr int kRuns = 3;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A photograph-like picture: smooth shapes that differ per file, with sensor noise, so
// the files have the size and entropy of real photographs.
bool writePhoto(const QString& path, int seed) {
    KxImage image(6000, 4000, 24);
    std::mt19937 random(static_cast<unsigned>(seed));
    std::uniform_int_distribution<int> noise(-6, 6);
    for (uint32_t y = 0; y < 4000; ++y) {
        uint8_t* row = image.GetBits(y);
        for (uint32_t x = 0; x < 6000; ++x) {
            const int base = static_cast<int>((x * (seed + 3) / 47 + y / 31) & 0xFF);
            row[3 * x] = static_cast<uint8_t>(std::clamp(base / 2 + 60 + noise(random), 0, 255));
            row[3 * x + 1] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(y / 16) + noise(random), 0, 255));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(255 - base + noise(random), 0, 255));
        }
    }
    image.SetJpegQuality(90);
    return image.Save(QFile::encodeName(path).constData(), KXIMAGE_FORMAT_JPG);
}

QString photoFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/korvel-bench-browser/");
    QDir().mkpath(folder);
    for (int i = 0; i < kPhotos; ++i) {
        const QString path = folder + QStringLiteral("photo%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "writing %s\n", qPrintable(path));
            if (!writePhoto(path + ".part", i) || !QFile::rename(path + ".part", path)) {
                return {};
            }
        }
    }
    return folder;
}

// Times every event the user-interface thread handles while asked to.
class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (!measuring || depth_ > 0) {
            return QApplication::notify(receiver, event);
        }
        ++depth_;
        const auto start = Clock::now();
        const bool result = QApplication::notify(receiver, event);
        longestEventMs = std::max(longestEventMs, msSince(start));
        --depth_;
        return result;
    }

    bool measuring = false;
    double longestEventMs = 0;

private:
    int depth_ = 0;
};

struct BrowserRun {
    double ms = 0;
    double longestBlockMs = 0;
    double longestGapMs = 0;
};

// Shows the folder in a fresh list and runs the event loop until every tile is drawn.
// A 1 ms timer measures how long the event loop went without a turn.
BrowserRun runBrowser(BenchApplication& app, const QString& folder) {
    BrowserRun run;
    CThumbnailList list;
    list.resize(1400, 900);
    list.show();
    QCoreApplication::processEvents();

    QElapsedTimer sinceTurn;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        run.longestGapMs = std::max(run.longestGapMs, sinceTurn.nsecsElapsed() / 1e6);
        sinceTurn.restart();
    });

    const auto start = Clock::now();
    list.setCurrentFolder(folder);
    QElapsedTimer block;
    block.start();
    list.setUp();
    list.rebuild();
    run.longestBlockMs = block.nsecsElapsed() / 1e6;
    run.longestGapMs = run.longestBlockMs;
    sinceTurn.start();
    ticker.start();
    app.longestEventMs = 0;
    app.measuring = true;
    list.loader().waitForIdle(120000);
    list.viewport()->repaint();
    run.ms = msSince(start);
    app.measuring = false;
    run.longestBlockMs = std::max(run.longestBlockMs, app.longestEventMs);
    ticker.stop();
    if (list.thumbnails().entryCount() != kPhotos + 1) {
        std::fprintf(stderr, "the list holds %d entries\n", list.thumbnails().entryCount());
    }
    return run;
}

double runVips(const QString& folder, const QString& output) {
    QString command = QStringLiteral("vipsthumbnail -s 200x180 -o '%1/%s.jpg'").arg(output);
    for (int i = 0; i < kPhotos; ++i) {
        command += QStringLiteral(" '%1photo%2.jpg'").arg(folder).arg(i, 2, 10, QLatin1Char('0'));
    }
    const auto start = Clock::now();
    if (std::system(command.toLocal8Bit().constData()) != 0) {
        return -1;
    }
    return msSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchApplication app(argc, argv);
    const QString folder = photoFolder();
    if (folder.isEmpty()) {
        std::fprintf(stderr, "cannot write the photographs\n");
        return 1;
    }
    QTemporaryDir output;

    // One untimed round of each warms the file cache.
    runBrowser(app, folder);
    runVips(folder, output.path());

    BrowserRun best{1e9, 0, 0};
    double longestBlock = 0;
    double longestGap = 0;
    double vipsBest = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        const BrowserRun run = runBrowser(app, folder);
        best.ms = std::min(best.ms, run.ms);
        longestBlock = std::max(longestBlock, run.longestBlockMs);
        longestGap = std::max(longestGap, run.longestGapMs);
        const double vips = runVips(folder, output.path());
        if (vips < 0) {
            std::fprintf(stderr, "vipsthumbnail failed\n");
            return 1;
        }
        vipsBest = std::min(vipsBest, vips);
    }
    std::printf("browser 20x24MP ms %.0f vips_ms %.0f ratio %.2f\n", best.ms, vipsBest,
                best.ms / vipsBest);
    std::printf("ui_block_max_ms %.1f\n", longestBlock);
    std::printf("loop_gap_max_ms %.1f\n", longestGap);
    return 0;
}
