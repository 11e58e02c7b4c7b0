#pragma once

/*
 * The camera library: plain C functions for one camera at a time, no handles.
 *
 * The backend is chosen when KRVCamera_ReflashCamera enumerates, from the environment
 * variable KRVCAMERA:
 *   none           no camera (type id -1); also the default when KRVCAMERA is unset, so
 *                  that no program finds a camera the user did not ask for
 *   sim:<type id>  the simulated camera as that model, e.g. "sim:13"
 *   v4l2           the first Video4Linux2 capture device; v4l2:/dev/videoN that device
 *   auto           the first Video4Linux2 capture device, else none; choices separated by
 *                  commas are tried in order, so "auto,sim:13" falls back to the simulator
 *
 * Threads: KRVCameraGrabFrame may run on one thread and KRVCameraDecode on another while a
 * third calls the setters; callers need no lock around library calls.
 *
 * Unless stated otherwise, functions return 1 on success and 0 on failure (no camera open,
 * bad argument). Raw frames are 8-bit, one byte per pixel, top row first: a colour mosaic
 * whose phase KRVCameraDecodeType reports, or grey for monochrome sensors.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* File type codes of KRVCameraSave and KRVCameraCaptureFile. */
#define KRVCAMERA_FILE_JPEG 1 /* ".jpg" */
#define KRVCAMERA_FILE_BMP 2  /* ".bmp" */
#define KRVCAMERA_FILE_RAW 4  /* ".raw": the raw frame, 8-bit or 16-bit little-endian wide */
#define KRVCAMERA_FILE_TIFF 8 /* ".tiff" */

/* The type id of every Video4Linux2 camera (KRVCAMERA=v4l2, auto), and the start of the
 * device-interface names its arrival and removal carry: "\\?\V4L2#/dev/videoN#<bus>". */
#define KRVCAMERA_TYPE_VIDEO_DEVICE 1000
#define KRVCAMERA_VIDEO_DEVICE_PREFIX "\\\\?\\V4L2#"

/* KRVCameraDecodeType of a sensor without a colour mosaic. */
#define KRVCAMERA_DECODE_MONO 4

typedef struct KRVCameraID {
    int reserved;     /* 1 when a camera is present, else 0 */
    int typeId;       /* -1 = no camera */
    const char* name; /* model name, "" without a camera; valid until the process ends */
} KRVCameraID;

/* Detection. */
void KRVCamera_ReflashCamera(void);
KRVCameraID KRVCameraGetCameraID(void);
/* Chooses the mono or colour variant of the detected camera. */
int KRVCamera_SetCamera(int typeId);

/* Opening. Window handles are opaque to the library. */
int KRVCameraInit(uint8_t previewResolution, void* cameraWindow, void* previewWindow);
int KRVCameraUnInit(void);
int KRVCameraGetImageSize(int* width, int* height);
/* Row time in microseconds: the exposure of one sensor row (models with a rolling shutter). */
int KRVCameraGetRowTime(int* rowTime);

/* Frames. KRVCameraGrabFrame fills width x height bytes and returns 1 when a new frame was
 * taken; otherwise it has waited a short, bounded time (at most half a second) and returns 0
 * so that the caller can check for shutdown and call again. */
int KRVCameraGrabFrame(uint8_t* raw);
/* Fills width x height x 3 bytes, blue-green-red, bottom row first. */
int KRVCameraDecode(const uint8_t* raw, uint8_t* image, int width, int height);
uint8_t KRVCameraDecodeType(void);

/* Exposure in milliseconds, 1 .. 3599999. */
int KRVCameraGetExposureTime(int* milliseconds);
int KRVCameraSetExposureTime(int milliseconds);
int KRVCameraReStartLongExpTime(int reserved);
/* Readout speed 0 (fastest) .. 3 (slowest, least noise). */
int KRVCameraGetSpeedMode(uint8_t* mode);
int KRVCameraSetSpeedMode(uint8_t mode);

/* Analog gain in the model's raw units. */
int KRVCameraGetAnalogGain(int* raw);
int KRVCameraSetAnalogGain(int raw);
/* Colour gains, 64 = unity. */
int KRVCameraGetGain(int* red, int* green, int* blue);
int KRVCameraSetGain(int red, int green, int blue);
/* 1 = balance white once; the gains have settled when the call returns. */
int KRVCameraSetAWBState(int state);

/* Camera-side auto exposure and its target mean brightness. */
int KRVCameraGetAeState(int* state);
int KRVCameraSetAeState(int state);
int KRVCameraGetAeTarget(uint8_t* target);
int KRVCameraSetAeTarget(uint8_t target);

/* Gamma (100 = linear), contrast (0 = unchanged, 1..20 less, 21..100 more) and saturation
 * (128 = unchanged) raw values. */
int KRVCameraGetGamma(uint8_t* raw);
int KRVCameraSetGamma(int raw);
int KRVCameraGetContrast(uint8_t* raw);
int KRVCameraSetContrast(int raw);
int KRVCameraGetSaturation(uint8_t* raw);
int KRVCameraSetSaturation(int raw);
int KRVCameraGetColorEnhancement(int* on);
int KRVCameraSetColorEnhancement(int on);
int KRVCameraGetMonochrome(int* on);
int KRVCameraSetMonochrome(int on);
/* Axis 0 mirrors left-right, axis 1 top-bottom. */
int KRVCameraGetMirror(int axis, int* on);
int KRVCameraSetMirror(int axis, int on);
/* Frame speed 1 = doubled readout rate. */
int KRVCameraGetFrameSpeed(uint8_t* fast);
int KRVCameraSetFrameSpeed(uint8_t fast);
/* 0 = 50 Hz, 1 = 60 Hz mains. */
int KRVCameraGetLightFrquency(uint8_t* frequency);
int KRVCameraSetLightFrquency(uint8_t frequency);
/* Mosaic-to-RGB mode: 0 = smooth (bilinear), 1 = sharp (nearest neighbour). */
int KRVCameraGetB2RGBMode(uint8_t* mode);
int KRVCameraSetB2RGBMode(uint8_t mode);

/* Parameter sets 0..3, kept across restarts. */
int KRVCameraGetCurrentParameterTeam(uint8_t* set);
int KRVCameraReadParameter(uint8_t set);
int KRVCameraSaveParameter(uint8_t set);

/* 1 = the next RAW file capture writes 16-bit data. */
int KRVCameraSetDataWide(int wide);
/* Grabs one frame at the capture resolution and writes it to path + the type's extension. */
int KRVCameraCaptureFile(const char* pathWithoutExtension, uint8_t fileType,
                         uint8_t captureResolution);
/* Writes a 24-bit bottom-up BGR image to `path` as the given file type. */
int KRVCameraSave(uint8_t fileType, const char* path, const uint8_t* image, int width, int height);

/* Calls append(list, text) once per resolution of the camera, in resolution-index order. */
typedef void (*KRVCameraAppendText)(void* list, const char* text);
int KRVCamera_Registerpixel(void* list, KRVCameraAppendText append);

/* Device arrival (arrived = 1) and removal (0) of a camera, with its device-interface name
 * "\\?\USB#VID_xxxx&PID_yyyy#...". The callback runs on the thread that caused the event and
 * must not call KRVCameraUnregisterDeviceNotification itself; unregistering waits for a
 * running callback to return. */
typedef void (*KRVCameraDeviceCallback)(void* context, int arrived,
                                        const char* deviceInterfaceName);
int KRVCameraRegisterDeviceNotification(KRVCameraDeviceCallback callback, void* context);
int KRVCameraUnregisterDeviceNotification(void);

#ifdef __cplusplus
}
#endif
