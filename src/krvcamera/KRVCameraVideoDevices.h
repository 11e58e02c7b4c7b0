#pragma once

// The Video4Linux2 backend (KRVCAMERA=v4l2, v4l2:<device>, auto) seen from C++: what the
// device reported, and the seam through which tests give the library a scripted device.

#include <optional>

#include "krvcamera/V4l2Camera.h"
#include "krvcamera/VideoDevice.h"

namespace krvcamera {

// Devices for Video4Linux2 backends created afterwards; the system's by default.
void useVideoDevices(VideoDeviceSource source);

// The sizes and controls the current Video4Linux2 camera reported; empty for other backends
// or when no device was found.
std::optional<DeviceCapabilities> videoDeviceCapabilities();

}  // namespace krvcamera
