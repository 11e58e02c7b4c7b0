#pragma once

// The camera models: their table, gain step tables, the long-exposure time table, the model
// initializer that fills a camera record with a model's capabilities and defaults, and the
// conversions between the user's setting steps and the camera library's raw values.

#include <span>
#include <string_view>

#include "camera/CameraRecord.h"

namespace korvel::camera {

enum class GainFamily { A, B, C, D, E, F, G };

struct CameraModel {
    int typeId;
    std::string_view registrySection;  // per-model settings ("Preview", "Capture", "ResLock")
    std::string_view iniKey;           // first-use flag in section "CAMERA"
    GainFamily gainFamily;
    std::string_view selectCameraText;  // entry of "Select Camera", empty when not offered
    int pairedTypeId;                   // the other variant offered with it, 0 when none
};

// The model entry of `typeId`, or null for ids without one.
const CameraModel* findCameraModel(int typeId);
std::span<const CameraModel> cameraModels();

// "UNKNOW" and "CAMERA_UNKNOW" for ids without a model entry.
std::string_view registrySection(int typeId);
std::string_view firstUseIniKey(int typeId);

// Raw gain values of a family for steps 1, 2, 3, ...
std::span<const int> gainRawValues(GainFamily family);
// The largest gain step of the model's family; 0 for ids without a model entry.
int largestGainStep(int typeId);

int gainStepToRaw(int typeId, int step);
int gainRawToStep(int typeId, int raw);

int gammaStepToRaw(int typeId, int step);
int gammaRawToStep(int typeId, int raw);
int contrastStepToRaw(int typeId, int step);
int contrastRawToStep(int typeId, int raw);
int saturationStepToRaw(int typeId, int step);
int saturationRawToStep(int typeId, int raw);

// The long-exposure time table: 100 entries in milliseconds, the last being 59:59.999.
inline constexpr int kLongExposureEntries = 100;
std::span<const int> longExposureTable();
// Index out of 0..99 is clamped to the table.
int longExposureIndexToMs(int index);
// The first index whose entry is at least `ms` (compared unsigned); 0 when none.
int longExposureMsToIndex(int ms);

// Default of the per-model "Preview" and "Capture" resolution indices.
int defaultResolutionIndex(int typeId);

// Long exposure is offered only for these models.
bool supportsLongExposure(int typeId);

// True when the record's preview and capture resolutions must stay locked together: the
// model does not allow separate ones, or it is type 12.
bool resolutionLockForced(const CameraRecord& record);

// Fills `record` with the capabilities and defaults of the model named by record.typeId,
// honouring record.longExposureMode. Returns false for ids without a model entry; every
// capability flag of the record is then 0.
bool initializeCameraModel(CameraRecord& record);

}  // namespace korvel::camera
