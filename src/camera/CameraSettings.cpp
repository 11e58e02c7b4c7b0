#include "camera/CameraSettings.h"

#include "camera/CameraModels.h"
#include "platform/SettingsStore.h"

namespace korvel::camera {

namespace {

const QString kFileSave = QStringLiteral("FileSave");
const QString kVideoSave = QStringLiteral("VideoSave");

QString modelSection(int typeId) {
    const std::string_view name = registrySection(typeId);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

void loadCameraSettings(const platform::SettingsStore& store, CameraRecord& record) {
    SnapshotSettings& s = record.snapshot;
    const SnapshotSettings ds;
    s.bConfig = store.getProfileInt(kFileSave, QStringLiteral("bConfig"), ds.bConfig);
    s.sFilename = store
                      .getProfileString(kFileSave, QStringLiteral("sFilename"),
                                        QString::fromStdString(ds.sFilename))
                      .toStdString();
    s.bNum = store.getProfileInt(kFileSave, QStringLiteral("bNum"), ds.bNum);
    s.uiFiletype = store.getProfileInt(kFileSave, QStringLiteral("uiFiletype"), ds.uiFiletype);
    s.bTimeStamp = store.getProfileInt(kFileSave, QStringLiteral("bTimeStamp"), ds.bTimeStamp);
    s.bLapse = store.getProfileInt(kFileSave, QStringLiteral("bLapse"), ds.bLapse);
    s.nSpace = store.getProfileInt(kFileSave, QStringLiteral("nSpace"), ds.nSpace);
    s.nCount = store.getProfileInt(kFileSave, QStringLiteral("nCount"), ds.nCount);

    VideoSettings& v = record.video;
    const VideoSettings dv;
    v.bConfig = store.getProfileInt(kVideoSave, QStringLiteral("bConfig"), dv.bConfig);
    v.sFilename = store
                      .getProfileString(kVideoSave, QStringLiteral("sFilename"),
                                        QString::fromStdString(dv.sFilename))
                      .toStdString();
    v.bNum = store.getProfileInt(kVideoSave, QStringLiteral("bNum"), dv.bNum);
    v.bTimeStamp = store.getProfileInt(kVideoSave, QStringLiteral("bTimeStamp"), dv.bTimeStamp);
    v.Compress = store.getProfileInt(kVideoSave, QStringLiteral("Compress"), dv.Compress);
    v.CompressID = store.getProfileInt(kVideoSave, QStringLiteral("CompressID"), dv.CompressID);

    const QString section = modelSection(record.typeId);
    const int resolution = defaultResolutionIndex(record.typeId);
    record.previewResolution = static_cast<std::uint8_t>(
        store.getProfileInt(section, QStringLiteral("Preview"), resolution));
    record.captureResolution = static_cast<std::uint8_t>(
        store.getProfileInt(section, QStringLiteral("Capture"), resolution));
    record.resolutionLock = store.getProfileInt(section, QStringLiteral("ResLock"), 1);
    if (resolutionLockForced(record)) {
        record.resolutionLock = 1;
    }
}

void saveCameraSettings(platform::SettingsStore& store, const CameraRecord& record) {
    const SnapshotSettings& s = record.snapshot;
    store.writeProfileInt(kFileSave, QStringLiteral("bConfig"), s.bConfig);
    store.writeProfileString(kFileSave, QStringLiteral("sFilename"),
                             QString::fromStdString(s.sFilename));
    store.writeProfileInt(kFileSave, QStringLiteral("bNum"), s.bNum);
    store.writeProfileInt(kFileSave, QStringLiteral("uiFiletype"), s.uiFiletype);
    store.writeProfileInt(kFileSave, QStringLiteral("bTimeStamp"), s.bTimeStamp);
    store.writeProfileInt(kFileSave, QStringLiteral("bLapse"), s.bLapse);
    store.writeProfileInt(kFileSave, QStringLiteral("nSpace"), s.nSpace);
    store.writeProfileInt(kFileSave, QStringLiteral("nCount"), s.nCount);

    const VideoSettings& v = record.video;
    store.writeProfileInt(kVideoSave, QStringLiteral("bConfig"), v.bConfig);
    store.writeProfileString(kVideoSave, QStringLiteral("sFilename"),
                             QString::fromStdString(v.sFilename));
    store.writeProfileInt(kVideoSave, QStringLiteral("bNum"), v.bNum);
    store.writeProfileInt(kVideoSave, QStringLiteral("bTimeStamp"), v.bTimeStamp);
    store.writeProfileInt(kVideoSave, QStringLiteral("Compress"), v.Compress);
    store.writeProfileInt(kVideoSave, QStringLiteral("CompressID"), v.CompressID);

    const QString section = modelSection(record.typeId);
    store.writeProfileInt(section, QStringLiteral("Preview"), record.previewResolution);
    store.writeProfileInt(section, QStringLiteral("Capture"), record.captureResolution);
    store.writeProfileInt(section, QStringLiteral("ResLock"), record.resolutionLock);
}

QString nextSnapshotFolder(const SnapshotSettings& snapshot, const QString& saveFolder) {
    // A time stamp is all digits and the index and extension hold no separator, so the
    // folder depends on the save folder and, without a time stamp, the base name only.
    const QString base =
        snapshot.bTimeStamp ? saveFolder : saveFolder + QString::fromStdString(snapshot.sFilename);
    return base.left(base.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace korvel::camera
