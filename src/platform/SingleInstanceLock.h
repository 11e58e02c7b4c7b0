#pragma once

#include <QString>

namespace korvel::platform {

// A named lock held for the life of the process, standing where a named mutex stood: a
// lock file in the user's runtime folder with an advisory lock on it. The kernel drops
// the lock when its holder dies, so a file left behind by a crashed instance is taken
// over by the next one.
class SingleInstanceLock {
public:
    explicit SingleInstanceLock(const QString& name);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this object now holds the lock; false when another holder has it.
    bool tryAcquire();
    bool isHeld() const { return fd_ >= 0; }
    void release();

    QString lockFilePath() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
};

}  // namespace korvel::platform
