// BC: the background-correction program the camera window starts with its window id, after
// releasing the camera. It measures the empty field and writes BackCorr.ini and the
// Camera_<id>_<width>_<height>.bin tables into the current folder.
//
//   BC [--yes] [--frames N] [--resolution N] <camera window id>
//
// --yes runs without questions or windows (for scripts and tests): the sample is taken to
// be away already, progress and the outcome go to the terminal. Exit code 0 = written,
// 1 = failed, 2 = cancelled or bad arguments.

#include "CBackCorrWnd.h"
#include "CorrectionRun.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Arguments {
    bool unattended = false;
    bc::RunOptions options;
    QString windowId;
};

// Returns false (after printing why) on bad arguments.
bool parseArguments(const QCoreApplication& app, Arguments& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures the background correction of the camera."));
    parser.addHelpOption();
    const QCommandLineOption yes(QStringList{QStringLiteral("y"), QStringLiteral("yes")},
                                 QStringLiteral("Do not ask; the field is already empty."));
    const QCommandLineOption frames(QStringLiteral("frames"),
                                    QStringLiteral("Frames averaged per resolution (1-256)."),
                                    QStringLiteral("n"), QStringLiteral("16"));
    const QCommandLineOption resolution(QStringLiteral("resolution"),
                                        QStringLiteral("Measure only this resolution index."),
                                        QStringLiteral("index"));
    parser.addOption(yes);
    parser.addOption(frames);
    parser.addOption(resolution);
    parser.addPositionalArgument(QStringLiteral("window"),
                                 QStringLiteral("The id of the camera window that started BC."));
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "BC: %s\n", qPrintable(parser.errorText()));
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return false;
    }
    arguments.unattended = parser.isSet(yes);
    bool ok = false;
    arguments.options.frames = parser.value(frames).toInt(&ok);
    if (!ok || arguments.options.frames < 1 ||
        arguments.options.frames > bc::FieldAverager::kMaximumFrames) {
        std::fprintf(stderr, "BC: --frames wants a number from 1 to 256\n");
        return false;
    }
    if (parser.isSet(resolution)) {
        const int index = parser.value(resolution).toInt(&ok);
        if (!ok || index < 0 || index > 255) {
            std::fprintf(stderr, "BC: --resolution wants a resolution index from 0 to 255\n");
            return false;
        }
        arguments.options.resolution = index;
    }
    const QStringList positional = parser.positionalArguments();
    arguments.windowId = positional.isEmpty() ? QString() : positional.first();
    return true;
}

int runUnattended(const bc::RunOptions& options) {
    bc::CorrectionRun run(options);
    if (!run.detect()) {
        std::fprintf(stderr, "BC: %s\n", qPrintable(run.error()));
        return 1;
    }
    std::printf("BC: %s (type %d)\n", qPrintable(run.cameraName()), run.typeId());
    run.fieldEmptied();
    QString last;
    while (run.step()) {
        if (run.status() != last) {
            last = run.status();
            std::printf("BC: %s\n", qPrintable(last));
            std::fflush(stdout);
        }
    }
    if (run.failed()) {
        std::fprintf(stderr, "BC: %s\n", qPrintable(run.error()));
        return 1;
    }
    for (const bc::WrittenTable& table : run.written()) {
        std::printf("BC: %d x %d: %zu pixels corrected\n", table.width, table.height,
                    table.records);
    }
    return 0;
}

bool wantsUnattended(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--yes") == 0 || std::strcmp(argv[i], "-y") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Scripts need no display: without questions there is no window either.
    std::unique_ptr<QCoreApplication> app;
    if (wantsUnattended(argc, argv)) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("BC"));
    Arguments arguments;
    if (!parseArguments(*app, arguments)) {
        return 2;
    }
    // The window id only tells which camera window asked; the camera itself is found anew.
    if (!arguments.windowId.isEmpty()) {
        std::printf("BC: started by camera window %s\n", qPrintable(arguments.windowId));
    }
    if (arguments.unattended) {
        return runUnattended(arguments.options);
    }
    bc::CBackCorrWnd window(arguments.options);
    window.show();
    QTimer::singleShot(0, &window, &bc::CBackCorrWnd::start);
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, &QCoreApplication::quit);
    const int result = app->exec();
    return result != 0 ? result : window.exitCode();
}
