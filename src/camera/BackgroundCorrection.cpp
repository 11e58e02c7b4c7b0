#include "camera/BackgroundCorrection.h"

#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>

namespace korvel::camera {

namespace {

std::int32_t readLittleEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    const std::uint32_t value = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<PixelCorrectionList::List> parsePixelCorrections(const QByteArray& bytes, int count) {
    if (count <= 0 || bytes.size() / kPixelCorrectionRecordBytes < count) {
        return std::nullopt;
    }
    PixelCorrectionList::List records(static_cast<std::size_t>(count));
    const char* data = bytes.constData();
    for (PixelCorrection& r : records) {
        r.x = readLittleEndian32(data);
        r.y = readLittleEndian32(data + 4);
        for (int i = 0; i < 3; ++i) {
            r.percent[i] = static_cast<std::uint8_t>(data[8 + i]);
        }
        r.reserved = static_cast<std::uint8_t>(data[11]);
        data += kPixelCorrectionRecordBytes;
    }
    return records;
}

bool loadBackgroundCorrection(CameraRecord& record, int detectedTypeId, int applied,
                              const QString& directory) {
    const QDir folder(directory);
    const int count =
        platform::getPrivateProfileInt(QStringLiteral("CAMERA_%1").arg(detectedTypeId),
                                       QStringLiteral("%1_%2").arg(record.width).arg(record.height),
                                       0, folder.filePath(QStringLiteral("BackCorr.ini")));
    record.pixelCorrections.clear();
    if (count <= 0) {
        return false;
    }
    QFile file(folder.filePath(QStringLiteral("Camera_%1_%2_%3.bin")
                                   .arg(detectedTypeId)
                                   .arg(record.width)
                                   .arg(record.height)));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    // Never more than the records promised, however large the file, and nothing at all
    // when the file cannot hold them.
    const qint64 wanted = qint64(count) * kPixelCorrectionRecordBytes;
    if (file.size() < wanted) {
        return false;
    }
    std::optional<PixelCorrectionList::List> records =
        parsePixelCorrections(file.read(wanted), count);
    if (!records) {
        return false;
    }
    record.pixelCorrections.replace(std::move(*records));
    record.backgroundCorrectionLoaded = 1;
    record.backgroundCorrectionApplied = applied;
    return true;
}

}  // namespace korvel::camera
