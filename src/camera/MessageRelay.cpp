#include "camera/MessageRelay.h"

namespace korvel::camera {

void MessageRelay::post(framework::Message message) {
    if (!target_) {
        return;
    }
    std::lock_guard lock(mutex_);
    queued_.push_back(std::move(message));
    if (!scheduled_) {
        scheduled_ = true;
        QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
    }
}

void MessageRelay::deliver() {
    std::vector<framework::Message> taken;
    {
        std::lock_guard lock(mutex_);
        taken.swap(queued_);
        scheduled_ = false;
    }
    for (const framework::Message& message : taken) {
        framework::sendMessage(target_, message);  // same thread: handled at once
    }
}

}  // namespace korvel::camera
