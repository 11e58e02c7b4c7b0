#pragma once

// Posts messages from worker threads to a target on the user-interface thread. The
// messages wait in a queue under a lock of ours and are handed to the target in order,
// each one once, when the user-interface thread next runs its events; so the hand-over of
// every message (and of the text it carries) is ordered by a lock the thread checker sees.

#include "framework/Message.h"

#include <QObject>

#include <mutex>
#include <vector>

namespace korvel::camera {

class MessageRelay : public QObject {
    Q_OBJECT

public:
    // Lives on the thread that creates it, which must be the target's thread.
    explicit MessageRelay(framework::MessageTarget* target, QObject* parent = nullptr)
        : QObject(parent), target_(target) {}

    // Safe from any thread.
    void post(framework::Message message);

    // Hands over everything queued so far (user-interface thread).
    Q_INVOKABLE void deliver();

private:
    framework::MessageTarget* target_;
    std::mutex mutex_;
    std::vector<framework::Message> queued_;
    bool scheduled_ = false;
};

}  // namespace korvel::camera
