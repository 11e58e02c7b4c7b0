#pragma once

// What the parameter page does with the camera: colour gains, frame speed, light frequency
// and image quality sent and stored, and the camera's stored parameter sets with the set
// to load when the program next starts. Plain code over the record and the camera library.

#include <cstdint>

#include "camera/CameraRecord.h"

namespace korvel::camera {

// Parameter set numbers as the library takes them. Set 0 is the working set, saved
// whenever the program stores the camera's parameters.
inline constexpr std::uint8_t kParameterSetA = 3;
inline constexpr std::uint8_t kParameterSetB = 1;
inline constexpr std::uint8_t kParameterSetC = 2;
inline constexpr std::uint8_t kParameterSetWorking = 0;  // the hidden "D"

// The set number of a set button (1064 "A", 1025 "B", 1065 "C", 1026 "D"); 0 otherwise.
std::uint8_t parameterSetOfButton(int controlId);
// The button of a set number; "D" for 0 and for numbers without a button.
int buttonOfParameterSet(std::uint8_t set);

// "Load this mode when next start": offered for every set but the working one, ticked when
// the chosen set is the one remembered.
bool loadAtStartEnabled(std::uint8_t chosenSet);
bool loadAtStartTicked(std::uint8_t chosenSet, std::uint8_t setAtOpen);
// The set remembered when the sheet is confirmed.
std::uint8_t setToLoadAtStart(std::uint8_t chosenSet, bool ticked);

// Stores the three gains in the record and sends them together.
void sendColourGains(CameraRecord& record, int red, int green, int blue);

// The three two-way modes of the page.
enum class CameraMode { FrameSpeed, LightFrequency, ImageQuality };
CameraSwitch& modeSwitch(CameraRecord& record, CameraMode mode);
// Stores the value (0 or 1) and sends it: KRVCameraSetFrameSpeed, KRVCameraSetLightFrquency
// or KRVCameraSetB2RGBMode.
void sendMode(CameraRecord& record, CameraMode mode, int value);

// "Save": the camera's parameters go into the set.
void saveParameterSet(std::uint8_t set);
// "Load": the camera takes the set's parameters and the record notes the set in use.
void loadParameterSet(CameraRecord& record, std::uint8_t set);

}  // namespace korvel::camera
