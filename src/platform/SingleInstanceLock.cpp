#include "platform/SingleInstanceLock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

namespace korvel::platform {

namespace {

QString runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath() + QStringLiteral("/korvel-%1").arg(getuid());
        QDir().mkpath(folder);
    }
    return folder;
}

}  // namespace

SingleInstanceLock::SingleInstanceLock(const QString& name)
    : path_(runtimeFolder() + '/' + name + QStringLiteral(".lock")) {}

SingleInstanceLock::~SingleInstanceLock() {
    release();
}

bool SingleInstanceLock::tryAcquire() {
    if (fd_ >= 0) {
        return true;
    }
    const QByteArray file = QFile::encodeName(path_);
    const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // The holder's process id, for whoever looks at the file.
    const std::string pid = std::to_string(::getpid()) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, pid.data(), pid.size());
    }
    fd_ = fd;
    return true;
}

void SingleInstanceLock::release() {
    if (fd_ < 0) {
        return;
    }
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace korvel::platform
