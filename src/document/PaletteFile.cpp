#include "document/PaletteFile.h"

#include <QList>
#include <QtEndian>

#include <algorithm>

namespace korvel::document {

namespace {

constexpr int kMaximumColours = 256;
constexpr qsizetype kRiffCountOffset = 22;
constexpr qsizetype kRiffEntriesOffset = 24;

// Applies the count rules; `available` is how many entries the file really holds.
bool acceptCount(int count, int pictureColours, PaletteReadResult& result, int& toLoad) {
    if (count > kMaximumColours || count < 0) {
        result.message = QStringLiteral("Too much colors!");
        return false;
    }
    toLoad = count;
    if (count != pictureColours) {
        result.message = QStringLiteral("Warning: numcolors doesn't match");
        toLoad = std::min(count, pictureColours);
    }
    return true;
}

PaletteReadResult readJasc(const QByteArray& bytes, int pictureColours) {
    PaletteReadResult result;
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3) {
        result.message = QStringLiteral("Unknown contents!");
        return result;
    }
    bool ok = false;
    const int count = lines[2].trimmed().toInt(&ok);
    if (!ok) {
        result.message = QStringLiteral("Unknown contents!");
        return result;
    }
    int toLoad = 0;
    if (!acceptCount(count, pictureColours, result, toLoad)) {
        return result;
    }
    // The numbers after the third line, separated by blanks or line breaks.
    std::vector<int> numbers;
    for (qsizetype i = 3; i < lines.size() && int(numbers.size()) < toLoad * 3; ++i) {
        for (const QByteArray& word : lines[i].simplified().split(' ')) {
            bool isNumber = false;
            const int value = word.toInt(&isNumber);
            if (isNumber) {
                numbers.push_back(std::clamp(value, 0, 255));
            }
        }
    }
    const int entries = std::min(toLoad, int(numbers.size() / 3));
    for (int e = 0; e < entries; ++e) {
        result.entries.push_back(RGBQUAD{uint8_t(numbers[size_t(e * 3 + 2)]),
                                         uint8_t(numbers[size_t(e * 3 + 1)]),
                                         uint8_t(numbers[size_t(e * 3)]), 0});
    }
    result.loaded = true;
    return result;
}

PaletteReadResult readRiff(const QByteArray& bytes, int pictureColours) {
    PaletteReadResult result;
    if (bytes.size() < kRiffEntriesOffset) {
        result.message = QStringLiteral("Unknown contents!");
        return result;
    }
    const int count = qFromLittleEndian<quint16>(bytes.constData() + kRiffCountOffset);
    int toLoad = 0;
    if (!acceptCount(count, pictureColours, result, toLoad)) {
        return result;
    }
    const int available = int((bytes.size() - kRiffEntriesOffset) / 4);
    const int entries = std::min(toLoad, available);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData()) + kRiffEntriesOffset;
    for (int e = 0; e < entries; ++e) {
        const uint8_t* entry = data + e * 4;
        result.entries.push_back(RGBQUAD{entry[2], entry[1], entry[0], entry[3]});
    }
    result.loaded = true;
    return result;
}

void appendLittle32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLittle16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

}  // namespace

PaletteReadResult readPaletteFile(const QByteArray& bytes, int pictureColours) {
    if (bytes.startsWith("JASC")) {
        return readJasc(bytes, pictureColours);
    }
    if (bytes.startsWith("RIFF")) {
        return readRiff(bytes, pictureColours);
    }
    PaletteReadResult result;
    result.message = QStringLiteral("Unknown contents!");
    return result;
}

QByteArray writeRiffPalette(std::span<const RGBQUAD> entries) {
    const auto n = static_cast<quint32>(std::min<std::size_t>(entries.size(), 65535));
    QByteArray out;
    out.append("RIFF", 4);
    appendLittle32(out, 4 * n + 20);
    out.append("PAL data", 8);
    appendLittle32(out, 4 * n + 8);
    appendLittle16(out, 768);
    appendLittle16(out, static_cast<quint16>(n));
    for (quint32 i = 0; i < n; ++i) {
        const RGBQUAD& c = entries[i];
        const char entry[4] = {char(c.rgbRed), char(c.rgbGreen), char(c.rgbBlue),
                               char(c.rgbReserved)};
        out.append(entry, 4);
    }
    appendLittle32(out, 0);
    return out;
}

}  // namespace korvel::document
