#pragma once

// Folders and files for the browser's tests, and tiles that tell which file they show.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace korvel::browser::test {

// A temporary folder; folder() ends with a separator, as the list keeps folders.
class TestFolder {
public:
    // Under the home folder, so the trash is on the same file system.
    TestFolder() : dir_(QDir::homePath() + QStringLiteral("/browser-XXXXXX")) {
        EXPECT_TRUE(dir_.isValid());
    }
    QString folder() const { return dir_.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return folder() + name; }
    // An empty file (an unreadable picture when its name says image).
    QString touch(const QString& name) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path(name);
    }
    QString makeFolder(const QString& name) const {
        EXPECT_TRUE(QDir(dir_.path()).mkpath(name));
        return path(name);
    }

private:
    QTemporaryDir dir_;
};

// The file names of `folder` in the order the file system lists them.
inline QStringList listingOrder(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

// Writes a picture with ImageMagick; false when the program is missing or fails.
inline bool magick(const QString& arguments) {
    const QString command = QStringLiteral("convert %1 >/dev/null 2>&1").arg(arguments);
    return std::system(command.toLocal8Bit().constData()) == 0;
}

// A 4 x 4 tile whose colour stands for `path`.
inline QImage tileFor(const QString& path) {
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(QColor::fromRgb(qHash(path) & 0xFFFFFF));
    return tile;
}

inline bool showsFile(const QImage& tile, const QString& path) {
    return !tile.isNull() && tile.size() == QSize(4, 4) &&
           tile.pixel(0, 0) == tileFor(path).pixel(0, 0);
}

}  // namespace korvel::browser::test
