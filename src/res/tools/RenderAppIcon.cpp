// Build tool: renders the application's SVG icon as square PNG files, one per size, into
// <output folder>/<size>x<size>/apps/<name>.png (the hicolor theme layout).
//
//   korvel_render_icon <svg> <output folder> <name> <size>...

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <svg> <output folder> <name> <size>...\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QString outputFolder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            renderer.render(&painter);
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outputFolder).arg(size);
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        // Written under a temporary name first, so an interrupted build leaves no half file.
        const QString partial = path + QStringLiteral(".part");
        const bool written = QDir().mkpath(folder) && image.save(partial, "PNG");
        const bool replaced = written && (!QFile::exists(path) || QFile::remove(path)) &&
                              QFile::rename(partial, path);
        if (!replaced) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(path));
            QFile::remove(partial);
            return 1;
        }
    }
    return 0;
}
