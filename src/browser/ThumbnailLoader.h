#pragma once

// Draws tiles off the user-interface thread. Requests are answered on the thread that
// owns the loader, in any order, each with the ticket it came with. In synchronous mode
// the tile is drawn inside the request (tests, and a caller with nothing else to do).
// The worker threads start with the first request and stop with the loader.

#include "browser/ThumbnailRenderer.h"

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace korvel::browser {

class ThumbnailLoader : public QObject {
    Q_OBJECT

public:
    using Ticket = std::uint64_t;

    explicit ThumbnailLoader(QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    void setRenderer(ThumbnailRenderer renderer);
    void setSynchronous(bool synchronous) { synchronous_ = synchronous; }
    bool isSynchronous() const { return synchronous_; }

    void request(Ticket ticket, const QString& path, int formatId);
    // Requests not yet started are dropped; the ones running finish unseen.
    void cancelPending();

    // No request is waiting, running, or waiting to be answered.
    bool isIdle() const { return outstanding_ == 0; }
    // Runs the event loop until idle; false when `timeoutMs` passed first.
    bool waitForIdle(int timeoutMs = 30000);

signals:
    void tileReady(quint64 ticket, const QImage& tile);
    // The last outstanding request was answered.
    void idle();

private slots:
    // Hands the finished tiles to the owning thread.
    void drain();

private:
    struct Job {
        Ticket ticket;
        QString path;
        int formatId;
        std::uint64_t generation;
    };
    struct Done {
        Ticket ticket;
        QImage tile;
        std::uint64_t generation;
    };

    void work();
    void startWorkers();
    void answered(int count);

    std::mutex mutex_;  // guards everything down to the workers
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::vector<Done> done_;
    std::shared_ptr<const ThumbnailRenderer> renderer_;
    std::uint64_t generation_ = 0;  // raised by cancelPending
    bool drainPosted_ = false;
    bool stopping_ = false;
    std::vector<std::thread> workers_;

    int outstanding_ = 0;  // owning thread only
    bool synchronous_ = false;
};

}  // namespace korvel::browser
