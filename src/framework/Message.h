#pragma once

// Private window messages between windows and threads: a message number with two
// parameters and a text. Posting queues the message on the target's thread and returns
// at once; sending runs the target's handler and returns its result, directly when the
// sender is on the target's thread and otherwise by blocking until that thread ran it.

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>

namespace korvel::platform {
class ManualResetEvent;
}

namespace korvel::framework {

struct Message {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    QString text;
};

class MessagePort;

// A receiver of private messages. It belongs to the thread that constructs it.
class MessageTarget {
public:
    MessageTarget();
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    virtual std::intptr_t onMessage(const Message& message) = 0;

    MessagePort* messagePort() const { return port_.get(); }

private:
    std::unique_ptr<MessagePort> port_;
};

// Queues the message for the target's thread; safe from any thread as long as the target
// outlives the call. Delivery is skipped if the target is destroyed before it runs.
void postMessage(MessageTarget* target, Message message);

// Runs the target's handler and returns its result. From another thread the caller blocks
// until the target's thread handles it, through its event loop or while it waits in
// waitServingSends(). Sends to a target destroyed before it ran return 0.
std::intptr_t sendMessage(MessageTarget* target, Message message);

// Waits until `event` is set while still running the messages other threads send to this
// thread, so a thread can wait for a worker that may itself be sending to it.
void waitServingSends(const platform::ManualResetEvent& event);

// Runs the sends waiting for this thread now; returns how many ran.
int serveSends();

}  // namespace korvel::framework
