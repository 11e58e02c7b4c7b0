#pragma once

// Controls of the simulated camera for tests and demonstrations. They act on the simulator
// backend (KRVCAMERA=sim:<type id>) and do nothing for other backends.

#include <cstdint>
#include <string>
#include <vector>

extern "C" {

// Plugs (1) or unplugs (0) the simulated camera; the device callback hears of it.
void KRVCameraSimulatorSetPlugged(int plugged);
int KRVCameraSimulatorIsPlugged(void);

// Takes the slide out of the simulated microscope (0), leaving the evenly lit empty field
// a background correction is measured on, or puts it back (1, the default).
void KRVCameraSimulatorSetSlide(int present);
}

namespace krvcamera {

// Every library call since the last clear, in order, as "Name(arg, ...)"; output arguments
// are left out. The log keeps the newest 50000 entries.
std::vector<std::string> simulatorCallLog();
void clearSimulatorCallLog();

// Drops the backend and everything it held, and clears the call log, as a process restart
// would; the next KRVCamera_ReflashCamera builds a new backend that reads its parameter sets
// from disk.
void resetLibrary();

// Replaces real time by a virtual clock that jumps forward whenever the camera would wait,
// so frame timing can be checked without sleeping. Applies to backends created afterwards.
void useVirtualClock(bool on);
// Milliseconds elapsed on the backend's clock since it was created.
double simulatorElapsedMs();
// The time between frames at the current settings, in milliseconds; 0 when not open.
double simulatorFrameIntervalMs();

}  // namespace krvcamera
