#include "document/DocumentNaming.h"

#include "document/ImageFormats.h"
#include "res/Resources.h"
#include "res/ids.h"

#include <array>

namespace korvel::document {

int imageTypeFromPath(const QString& path) {
    const qsizetype dot = path.lastIndexOf('.');
    if (dot < 0) {
        return -1;
    }
    static const std::array<std::pair<const char*, int>, 20> kExtensions = {{
        {"bmp", 1},  {"gif", 2},  {"jpg", 3},  {"jpeg", 3}, {"png", 4},  {"ico", 5},  {"tiff", 6},
        {"tif", 6},  {"tga", 7},  {"pcx", 8},  {"wbmp", 9}, {"wmf", 10}, {"emf", 10}, {"jp2", 11},
        {"j2k", 11}, {"jpc", 12}, {"j2c", 12}, {"pgx", 13}, {"pnm", 14}, {"ras", 15},
    }};
    const QString extension = path.mid(dot + 1).toLower();
    for (const auto& [text, type] : kExtensions) {
        if (extension == QLatin1String(text)) {
            return type;
        }
    }
    if (extension == QLatin1String("pgm") || extension == QLatin1String("ppm")) {
        return 14;
    }
    return 0;
}

QString proposedSaveName(const QString& title, int imageType) {
    QString name = title;
    for (const QChar c : QStringLiteral("#%;/\\")) {
        if (name.contains(c)) {
            name = QStringLiteral("UntitledImage");
            break;
        }
    }
    if (imageType > 0) {
        // The first pattern of the type: "*.jpg;*.jpeg" gives ".jpg".
        const QString first = formatPatterns(imageType).section(';', 0, 0);
        if (first.startsWith(QLatin1String("*."))) {
            name += first.mid(1);
        }
    }
    return name;
}

QString undoMenuText(int level) {
    return QStringLiteral("%1 (%2)\tCtrl+Z").arg(res::loadString(res::IDS_UNDO)).arg(level);
}

QString imageSizeText(int width, int height, int bitsPerPixel) {
    return QString::asprintf("(%dx%dx%d)", width, height, bitsPerPixel);
}

QString elapsedTimeText(float seconds) {
    return QString::asprintf("Time (s): %.3f", static_cast<double>(seconds));
}

}  // namespace korvel::document
