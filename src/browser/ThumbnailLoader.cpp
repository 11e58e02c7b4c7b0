#include "browser/ThumbnailLoader.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace korvel::browser {

ThumbnailLoader::ThumbnailLoader(QObject* parent)
    : QObject(parent), renderer_(std::make_shared<const ThumbnailRenderer>()) {}

ThumbnailLoader::~ThumbnailLoader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

void ThumbnailLoader::setRenderer(ThumbnailRenderer renderer) {
    auto shared = std::make_shared<const ThumbnailRenderer>(std::move(renderer));
    std::lock_guard lock(mutex_);
    renderer_ = std::move(shared);
}

void ThumbnailLoader::startWorkers() {
    // Decoding is the work: one thread per core, and at least two so that one slow file
    // does not hold up the rest.
    const int count = std::max(2, QThread::idealThreadCount());
    for (int i = 0; i < count; ++i) {
        workers_.emplace_back([this] { work(); });
    }
}

void ThumbnailLoader::request(Ticket ticket, const QString& path, int formatId) {
    ++outstanding_;
    if (synchronous_) {
        std::shared_ptr<const ThumbnailRenderer> renderer;
        {
            std::lock_guard lock(mutex_);
            renderer = renderer_;
        }
        emit tileReady(ticket, renderer->render(path, formatId));
        answered(1);
        return;
    }
    if (workers_.empty()) {
        startWorkers();
    }
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({ticket, path, formatId, generation_});
    }
    wake_.notify_one();
}

void ThumbnailLoader::cancelPending() {
    int dropped = 0;
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        dropped = static_cast<int>(jobs_.size());
        jobs_.clear();
    }
    if (dropped > 0) {
        answered(dropped);
    }
}

void ThumbnailLoader::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_) {
            return;
        }
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        std::shared_ptr<const ThumbnailRenderer> renderer = renderer_;
        lock.unlock();
        QImage tile = renderer->render(job.path, job.formatId);
        lock.lock();
        done_.push_back({job.ticket, std::move(tile), job.generation});
        if (!drainPosted_) {
            drainPosted_ = true;
            // One queued call collects every tile finished until it runs. The destructor
            // joins this thread before the object goes, and Qt drops the call then.
            QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
        }
    }
}

void ThumbnailLoader::drain() {
    std::vector<Done> finished;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        finished.swap(done_);
        drainPosted_ = false;
        generation = generation_;
    }
    for (const Done& done : finished) {
        if (done.generation == generation) {
            emit tileReady(done.ticket, done.tile);
        }
    }
    if (!finished.empty()) {
        answered(static_cast<int>(finished.size()));
    }
}

void ThumbnailLoader::answered(int count) {
    outstanding_ -= count;
    if (outstanding_ == 0) {
        emit idle();
    }
}

bool ThumbnailLoader::waitForIdle(int timeoutMs) {
    if (isIdle()) {
        return true;
    }
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(this, &ThumbnailLoader::idle, &loop, &QEventLoop::quit);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    loop.exec();
    return isIdle();
}

}  // namespace korvel::browser
