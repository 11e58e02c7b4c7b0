#include "capture/SnapshotSeries.h"

#include <algorithm>

namespace korvel::capture {

void CaptureDone::set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    changed_.notify_all();
}

void CaptureDone::clear() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

bool CaptureDone::isSet() const {
    std::lock_guard lock(mutex_);
    return set_;
}

bool CaptureDone::waitUntilSet(const std::function<bool()>& stopped) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return set_ || stopped(); });
    return set_;
}

void CaptureDone::interrupt() {
    // Taken and released so that a waiter between its check and its sleep cannot miss it.
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

SeriesPlan seriesPlan(const camera::CameraRecord& record) {
    SeriesPlan plan;
    plan.cameraOpen = record.state == camera::kCameraOpen;
    if (record.snapshot.bConfig == 1 && record.snapshot.bLapse == 1) {
        plan.shots = std::max(record.snapshot.nCount, 0);
        // Held in a byte: 0..255 seconds.
        plan.interval = std::chrono::seconds(record.snapshot.nSpace & 0xFF);
    }
    return plan;
}

SnapshotSeries::SnapshotSeries(CaptureDone& captureDone, Shot shot, Ended ended)
    : captureDone_(captureDone), shot_(std::move(shot)), ended_(std::move(ended)) {}

SnapshotSeries::~SnapshotSeries() {
    stop();
    join();
}

void SnapshotSeries::start(const SeriesPlan& plan) {
    if (thread_.joinable()) {
        return;
    }
    stop_.store(false);
    stopEvent_.reset();
    finished_.reset();
    thread_ = std::thread([this, plan] { run(plan); });
}

void SnapshotSeries::stop() {
    stop_.store(true);
    stopEvent_.set();
    captureDone_.interrupt();
}

void SnapshotSeries::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void SnapshotSeries::run(SeriesPlan plan) {
    const auto stopped = [this] { return stop_.load(); };
    if (plan.cameraOpen) {
        for (int i = 0; i < plan.shots && !stopped(); ++i) {
            if (!captureDone_.waitUntilSet(stopped) || stopped()) {
                break;
            }
            captureDone_.clear();
            shot_(i);
            // The interval is a wait on the stop, so a closing window never waits it out.
            if (plan.interval.count() > 0 && stopEvent_.waitFor(plan.interval)) {
                break;
            }
        }
    }
    captureDone_.waitUntilSet(stopped);
    if (ended_) {
        ended_();
    }
    finished_.set();
}

}  // namespace korvel::capture
