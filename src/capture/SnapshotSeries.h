#pragma once

// A snapshot series: a short-lived thread that asks for one shot at a time (by a
// synchronous call into the camera window, which names the file and starts the capture),
// waits for each capture to finish, waits the interval between shots, and reports its end.
// Stopping it (the camera closed, the camera window closing) ends it at once: every wait
// of the thread is cut short by the stop.

#include "camera/CameraRecord.h"
#include "platform/ManualResetEvent.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace korvel::capture {

// The capture-done flag of the camera window: set from the end of one shot (its file
// written, refused or cancelled) until the next shot is requested.
class CaptureDone {
public:
    void set();
    void clear();
    bool isSet() const;
    // Waits until the flag is set or `stopped()` turns true; true when it was set.
    bool waitUntilSet(const std::function<bool()>& stopped) const;
    // Wakes the waiters so they look at their stop condition again.
    void interrupt();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool set_ = true;
};

struct SeriesPlan {
    bool cameraOpen = false;
    int shots = 1;
    std::chrono::milliseconds interval{0};
};

// A timed series of "nCount" shots "nSpace" seconds apart when snapshots are named
// automatically and time lapse is on; otherwise one shot.
SeriesPlan seriesPlan(const camera::CameraRecord& record);

class SnapshotSeries {
public:
    // Takes shot `index` and returns once the camera window has handled the request.
    using Shot = std::function<void(int index)>;
    // Tells the camera window the series has ended (posted, not waited for).
    using Ended = std::function<void()>;

    SnapshotSeries(CaptureDone& captureDone, Shot shot, Ended ended);
    // Stops the thread and waits for it.
    ~SnapshotSeries();
    SnapshotSeries(const SnapshotSeries&) = delete;
    SnapshotSeries& operator=(const SnapshotSeries&) = delete;

    void start(const SeriesPlan& plan);
    // Ends the series at once: no further shot is requested.
    void stop();
    bool stopRequested() const { return stop_.load(); }

    // Signalled as the thread ends (the series event).
    const platform::ManualResetEvent& finished() const { return finished_; }
    // Reclaims the thread once finished() is set.
    void join();

private:
    void run(SeriesPlan plan);

    CaptureDone& captureDone_;
    Shot shot_;
    Ended ended_;
    std::atomic<bool> stop_{false};
    platform::ManualResetEvent stopEvent_;
    platform::ManualResetEvent finished_;
    std::thread thread_;
};

}  // namespace korvel::capture
