#include "CorrectionTable.h"

#include "platform/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <limits>

namespace bc {

namespace {

namespace platform = korvel::platform;

void appendLittleEndian32(char* out, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

void fail(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
}

}  // namespace

QByteArray encodeRecords(const std::vector<CorrectionRecord>& records) {
    QByteArray bytes(static_cast<qsizetype>(records.size()) * kRecordBytes, '\0');
    char* out = bytes.data();
    for (const CorrectionRecord& r : records) {
        appendLittleEndian32(out, r.x);
        appendLittleEndian32(out + 4, r.y);
        for (int b = 0; b < 3; ++b) {
            out[8 + b] = static_cast<char>(r.percent[b]);
        }
        out[11] = 0;
        out += kRecordBytes;
    }
    return bytes;
}

QString correctionFileName(int typeId, int width, int height) {
    return QStringLiteral("Camera_%1_%2_%3.bin").arg(typeId).arg(width).arg(height);
}

bool writeCorrectionTable(const QString& directory, int typeId, int width, int height,
                          const std::vector<CorrectionRecord>& records, QString* error) {
    const QDir folder(directory);
    const QString index = folder.filePath(QStringLiteral("BackCorr.ini"));
    const QString section = QStringLiteral("CAMERA_%1").arg(typeId);
    const QString key = QStringLiteral("%1_%2").arg(width).arg(height);
    const QString binPath = folder.filePath(correctionFileName(typeId, width, height));
    const auto count = static_cast<long long>(records.size());
    if (count > std::numeric_limits<int>::max() / kRecordBytes) {
        fail(error, QStringLiteral("Too many pixels to correct."));
        return false;
    }

    // While the records change the index promises none, so the camera window never pairs an
    // old count with a new file or the other way round.
    if (platform::getPrivateProfileInt(section, key, 0, index) != 0 &&
        !platform::writePrivateProfileString(section, key, QStringLiteral("0"), index)) {
        fail(error, QStringLiteral("Cannot write %1.").arg(QDir::toNativeSeparators(index)));
        return false;
    }
    if (records.empty()) {
        QFile::remove(binPath);
    } else {
        QSaveFile file(binPath);
        if (!file.open(QIODevice::WriteOnly)) {
            fail(error, QStringLiteral("Cannot write %1.").arg(QDir::toNativeSeparators(binPath)));
            return false;
        }
        const QByteArray bytes = encodeRecords(records);
        if (file.write(bytes) != bytes.size() || !file.commit()) {
            fail(error, QStringLiteral("Cannot write %1.").arg(QDir::toNativeSeparators(binPath)));
            return false;
        }
    }
    if (!platform::writePrivateProfileString(section, key, QString::number(count), index)) {
        fail(error, QStringLiteral("Cannot write %1.").arg(QDir::toNativeSeparators(index)));
        return false;
    }
    return true;
}

}  // namespace bc
