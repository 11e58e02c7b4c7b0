#pragma once

// Internal: the QObject that receives a target's posted events on the target's thread.

#include <QObject>

namespace korvel::framework {

class MessageTarget;

class MessagePort : public QObject {
public:
    explicit MessagePort(MessageTarget* owner) : owner_(owner) {}
    MessageTarget* owner() const { return owner_; }

protected:
    void customEvent(QEvent* event) override;

private:
    MessageTarget* owner_;
};

}  // namespace korvel::framework
