#include "framework/Message.h"

#include "framework/MessagePort.h"
#include "platform/ManualResetEvent.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

// ThreadSanitizer cannot see the hand-over inside Qt's (uninstrumented) event queue; tell
// it that whatever a thread wrote before posting is visible to the thread that delivers.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#define KORVEL_TSAN_RELEASE(p) __tsan_release(p)
#define KORVEL_TSAN_ACQUIRE(p) __tsan_acquire(p)
#else
#define KORVEL_TSAN_RELEASE(p) ((void)(p))
#define KORVEL_TSAN_ACQUIRE(p) ((void)(p))
#endif

namespace korvel::framework {

namespace {

const QEvent::Type kPostEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kSendEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A message sent from another thread, waiting for its target's thread to run it. Whoever
// claims it first runs it: the target's event loop or a wait that serves sends.
class PendingSend {
public:
    PendingSend(MessageTarget* target, Message message)
        : target_(target), message_(std::move(message)) {}

    MessageTarget* target() const { return target_; }

    bool claim() { return !claimed_.exchange(true); }

    void run() { complete(target_->onMessage(message_)); }

    void complete(std::intptr_t result) {
        {
            std::lock_guard lock(mutex_);
            result_ = result;
            done_ = true;
        }
        finished_.notify_all();
    }

    std::intptr_t waitForResult() {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
        return result_;
    }

private:
    MessageTarget* target_;
    Message message_;
    std::atomic<bool> claimed_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::intptr_t result_ = 0;
};

// The sends waiting per receiving thread: the one piece of shared state, standing where
// the system kept each thread's queue of sent messages.
class SendQueue {
public:
    static SendQueue& instance() {
        static SendQueue queue;
        return queue;
    }

    void add(QThread* thread, std::shared_ptr<PendingSend> send) {
        std::lock_guard lock(mutex_);
        entries_.push_back({thread, std::move(send)});
    }

    void remove(const PendingSend* send) {
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [send](const Entry& e) { return e.send.get() == send; });
    }

    std::vector<std::shared_ptr<PendingSend>> takeFor(QThread* thread) {
        std::vector<std::shared_ptr<PendingSend>> taken;
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [&](const Entry& e) {
            if (e.thread != thread) {
                return false;
            }
            taken.push_back(e.send);
            return true;
        });
        return taken;
    }

    std::vector<std::shared_ptr<PendingSend>> takeForTarget(const MessageTarget* target) {
        std::vector<std::shared_ptr<PendingSend>> taken;
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [&](const Entry& e) {
            if (e.send->target() != target) {
                return false;
            }
            taken.push_back(e.send);
            return true;
        });
        return taken;
    }

private:
    struct Entry {
        QThread* thread;
        std::shared_ptr<PendingSend> send;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;
};

class PostEvent : public QEvent {
public:
    explicit PostEvent(Message message) : QEvent(kPostEvent), message(std::move(message)) {}
    Message message;
};

class SendEvent : public QEvent {
public:
    explicit SendEvent(std::shared_ptr<PendingSend> send)
        : QEvent(kSendEvent), send(std::move(send)) {}
    std::shared_ptr<PendingSend> send;
};

void runClaimed(const std::shared_ptr<PendingSend>& send) {
    if (send->claim()) {
        SendQueue::instance().remove(send.get());
        send->run();
    }
}

}  // namespace

void MessagePort::customEvent(QEvent* event) {
    KORVEL_TSAN_ACQUIRE(event);
    if (event->type() == kPostEvent) {
        owner_->onMessage(static_cast<PostEvent*>(event)->message);
    } else if (event->type() == kSendEvent) {
        runClaimed(static_cast<SendEvent*>(event)->send);
    }
}

MessageTarget::MessageTarget() : port_(std::make_unique<MessagePort>(this)) {}

MessageTarget::~MessageTarget() {
    // Senders still blocked on this target get 0 instead of waiting forever.
    for (const auto& send : SendQueue::instance().takeForTarget(this)) {
        if (send->claim()) {
            send->complete(0);
        }
    }
}

void postMessage(MessageTarget* target, Message message) {
    if (!target) {
        return;
    }
    auto* event = new PostEvent(std::move(message));  // the queue takes it
    KORVEL_TSAN_RELEASE(event);
    QCoreApplication::postEvent(target->messagePort(), event);
}

std::intptr_t sendMessage(MessageTarget* target, Message message) {
    if (!target) {
        return 0;
    }
    QThread* targetThread = target->messagePort()->thread();
    if (targetThread == QThread::currentThread()) {
        return target->onMessage(message);
    }
    auto send = std::make_shared<PendingSend>(target, std::move(message));
    SendQueue::instance().add(targetThread, send);
    auto* event = new SendEvent(send);  // the queue takes it
    KORVEL_TSAN_RELEASE(event);
    QCoreApplication::postEvent(target->messagePort(), event);
    return send->waitForResult();
}

int serveSends() {
    int count = 0;
    for (const auto& send : SendQueue::instance().takeFor(QThread::currentThread())) {
        if (send->claim()) {
            send->run();
            ++count;
        }
    }
    return count;
}

void waitServingSends(const platform::ManualResetEvent& event) {
    using namespace std::chrono_literals;
    while (!event.isSet()) {
        serveSends();
        if (event.waitFor(1ms)) {
            break;
        }
    }
    serveSends();
}

}  // namespace korvel::framework
