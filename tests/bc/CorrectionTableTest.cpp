// The tables BC writes, read back by the camera window's own loader.

#include "CorrectionTable.h"

#include "camera/BackgroundCorrection.h"
#include "camera/CameraRecord.h"
#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace bc {
namespace {

using korvel::camera::CameraRecord;
using korvel::camera::loadBackgroundCorrection;

class Table : public testing::Test {
protected:
    QTemporaryDir folder_;
    QString path(const QString& name) const { return QDir(folder_.path()).filePath(name); }
    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // Loads the table of camera `typeId` at `width` x `height` as the camera window does.
    std::vector<korvel::camera::PixelCorrection> load(int typeId, int width, int height,
                                                      bool* loaded = nullptr) const {
        CameraRecord record;
        record.width = width;
        record.height = height;
        const bool ok = loadBackgroundCorrection(record, typeId, 1, folder_.path());
        if (loaded) {
            *loaded = ok;
        }
        EXPECT_EQ(record.backgroundCorrectionLoaded, ok ? 1 : 0);
        return *record.pixelCorrections.snapshot();
    }
};

TEST_F(Table, RecordsAreTwelveLittleEndianBytes) {
    const QByteArray bytes =
        encodeRecords({{0x01020304, 7, {200, 10, 100}}, {-2, 0x10000, {1, 255, 99}}});
    const QByteArray expected = QByteArray::fromHex(
        "04030201"
        "07000000"
        "c80a6400"
        "feffffff"
        "00000100"
        "01ff6300");
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(correctionFileName(13, 1024, 768), QStringLiteral("Camera_13_1024_768.bin"));
}

TEST_F(Table, TheCameraWindowLoadsWhatIsWritten) {
    const std::vector<CorrectionRecord> records = {
        {0, 0, {100, 100, 255}}, {12, 3, {200, 190, 210}}, {1023, 767, {10, 12, 9}}};
    QString error;
    ASSERT_TRUE(writeCorrectionTable(folder_.path(), 13, 1024, 768, records, &error))
        << error.toStdString();
    EXPECT_EQ(read(QStringLiteral("Camera_13_1024_768.bin")).size(), 36);
    EXPECT_EQ(korvel::platform::getPrivateProfileInt(QStringLiteral("CAMERA_13"),
                                                     QStringLiteral("1024_768"), -1,
                                                     path(QStringLiteral("BackCorr.ini"))),
              3);

    bool loaded = false;
    const auto list = load(13, 1024, 768, &loaded);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(list.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(list[i].x, records[i].x);
        EXPECT_EQ(list[i].y, records[i].y);
        for (int b = 0; b < 3; ++b) {
            EXPECT_EQ(list[i].percent[b], records[i].percent[b]);
        }
        EXPECT_EQ(list[i].reserved, 0);
    }
    // Another size or another camera has no table.
    EXPECT_TRUE(load(13, 2048, 1536).empty());
    EXPECT_TRUE(load(12, 1024, 768).empty());
}

TEST_F(Table, EveryOtherEntryOfTheIndexIsKept) {
    write(QStringLiteral("BackCorr.ini"),
          "; made by hand\r\n[CAMERA_12]\r\n2048_1536=40\r\n\r\n[camera_13]\r\n2048_1536=7\r\n"
          "1024_768=99\r\nnote=keep me\r\n");
    ASSERT_TRUE(writeCorrectionTable(folder_.path(), 13, 1024, 768, {{5, 5, {150, 150, 150}}}));
    const QString ini = path(QStringLiteral("BackCorr.ini"));
    using korvel::platform::getPrivateProfileInt;
    using korvel::platform::getPrivateProfileString;
    EXPECT_EQ(
        getPrivateProfileInt(QStringLiteral("CAMERA_12"), QStringLiteral("2048_1536"), 0, ini), 40);
    EXPECT_EQ(
        getPrivateProfileInt(QStringLiteral("CAMERA_13"), QStringLiteral("2048_1536"), 0, ini), 7);
    EXPECT_EQ(getPrivateProfileInt(QStringLiteral("CAMERA_13"), QStringLiteral("1024_768"), 0, ini),
              1);
    EXPECT_EQ(getPrivateProfileString(QStringLiteral("CAMERA_13"), QStringLiteral("note"), {}, ini),
              QStringLiteral("keep me"));
    EXPECT_TRUE(read(QStringLiteral("BackCorr.ini")).contains("; made by hand"));
    // One section for the camera, whatever the case it was written in.
    EXPECT_EQ(read(QStringLiteral("BackCorr.ini")).toLower().count("[camera_13]"), 1);
}

TEST_F(Table, ACleanSensorLeavesNoTableBehind) {
    ASSERT_TRUE(writeCorrectionTable(folder_.path(), 13, 1024, 768, {{5, 5, {150, 150, 150}}}));
    ASSERT_TRUE(writeCorrectionTable(folder_.path(), 13, 1024, 768, {}));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Camera_13_1024_768.bin"))));
    EXPECT_EQ(korvel::platform::getPrivateProfileInt(QStringLiteral("CAMERA_13"),
                                                     QStringLiteral("1024_768"), -1,
                                                     path(QStringLiteral("BackCorr.ini"))),
              0);
    EXPECT_TRUE(load(13, 1024, 768).empty());
}

TEST_F(Table, AFailedWriteKeepsTheOldTableInUse) {
    ASSERT_TRUE(writeCorrectionTable(folder_.path(), 13, 64, 48, {{5, 5, {150, 150, 150}}}));
    // A folder where the new table would go: the write fails.
    ASSERT_TRUE(QDir(folder_.path()).mkdir(QStringLiteral("Camera_13_1024_768.bin")));
    QString error;
    EXPECT_FALSE(
        writeCorrectionTable(folder_.path(), 13, 1024, 768, {{1, 1, {50, 50, 50}}}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(load(13, 1024, 768).empty());
    EXPECT_EQ(load(13, 64, 48).size(), 1u);

    // A folder that cannot be written at all.
    EXPECT_FALSE(writeCorrectionTable(path(QStringLiteral("missing/deeper")), 13, 64, 48,
                                      {{1, 1, {50, 50, 50}}}, &error));
    EXPECT_EQ(load(13, 64, 48).size(), 1u);
}

}  // namespace
}  // namespace bc
