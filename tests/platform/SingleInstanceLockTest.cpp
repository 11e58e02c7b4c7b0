#include "platform/SingleInstanceLock.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

using namespace korvel::platform;

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstReleases) {
    SingleInstanceLock first("Brenic");
    SingleInstanceLock second("Brenic");
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_FALSE(second.tryAcquire());
    EXPECT_FALSE(second.isHeld());
    first.release();
    EXPECT_TRUE(second.tryAcquire());
}

TEST(SingleInstanceLock, LockFileOfACrashedHolderIsTakenOver) {
    // A child takes the lock and dies without releasing it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceLock lock("Brenic");
        _exit(lock.tryAcquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    SingleInstanceLock lock("Brenic");
    EXPECT_TRUE(QFile::exists(lock.lockFilePath()));
    EXPECT_TRUE(lock.tryAcquire());
}

TEST(SingleInstanceLock, DifferentNamesDoNotConflict) {
    SingleInstanceLock a("Brenic");
    SingleInstanceLock b("Other");
    EXPECT_TRUE(a.tryAcquire());
    EXPECT_TRUE(b.tryAcquire());
}
