#include "framework/Message.h"
#include "platform/ManualResetEvent.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <thread>
#include <vector>

using namespace korvel::framework;
using korvel::platform::ManualResetEvent;

namespace {

// Records the messages it handles and the thread it handled them on.
class Recorder : public MessageTarget {
public:
    std::intptr_t onMessage(const Message& message) override {
        received.push_back(message);
        threads.push_back(QThread::currentThread());
        return static_cast<std::intptr_t>(message.wParam) * 2 + message.lParam;
    }
    std::vector<Message> received;
    std::vector<QThread*> threads;
};

void processPostedEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

TEST(Messages, PostedMessagesArriveInOrderOnTheTargetsThread) {
    Recorder target;
    std::thread worker([&] {
        for (unsigned i = 0; i < 5; ++i) {
            postMessage(&target, {1305, i, -1, QString("frame %1").arg(i)});
        }
    });
    worker.join();
    EXPECT_TRUE(target.received.empty());  // nothing runs before the loop does
    processPostedEvents();
    ASSERT_EQ(target.received.size(), 5u);
    for (unsigned i = 0; i < 5; ++i) {
        EXPECT_EQ(target.received[i].id, 1305u);
        EXPECT_EQ(target.received[i].wParam, i);
        EXPECT_EQ(target.received[i].lParam, -1);
        EXPECT_EQ(target.received[i].text, QString("frame %1").arg(i));
        EXPECT_EQ(target.threads[i], QThread::currentThread());
    }
}

TEST(Messages, SendOnTheSameThreadRunsAtOnce) {
    Recorder target;
    EXPECT_EQ(sendMessage(&target, {1284, 20, 2, {}}), 42);
    ASSERT_EQ(target.received.size(), 1u);
}

TEST(Messages, SendFromAnotherThreadBlocksUntilTheEventLoopRunsIt) {
    Recorder target;
    std::atomic<std::intptr_t> result{-1};
    std::thread worker([&] { result = sendMessage(&target, {1284, 10, 1, {}}); });
    while (result == -1) {
        processPostedEvents();
    }
    worker.join();
    EXPECT_EQ(result, 21);
    ASSERT_EQ(target.threads.size(), 1u);
    EXPECT_EQ(target.threads[0], QThread::currentThread());
}

TEST(Messages, WaitingForAWorkerKeepsServingItsSends) {
    // The worker sends to this thread several times before it finishes; this thread waits
    // for its end without running the event loop. Without serving sends this would hang.
    Recorder target;
    ManualResetEvent finished;
    std::vector<std::intptr_t> results;
    std::thread worker([&] {
        for (unsigned i = 0; i < 3; ++i) {
            results.push_back(sendMessage(&target, {1284, i, 0, {}}));
        }
        finished.set();
    });
    waitServingSends(finished);
    worker.join();
    EXPECT_EQ(results, (std::vector<std::intptr_t>{0, 2, 4}));
    ASSERT_EQ(target.received.size(), 3u);
    // The posted wake-ups that follow must not run any message a second time.
    processPostedEvents();
    EXPECT_EQ(target.received.size(), 3u);
}

TEST(Messages, PostsToADestroyedTargetAreDropped) {
    auto target = std::make_unique<Recorder>();
    postMessage(target.get(), {1305, 1, 0, {}});
    target.reset();
    processPostedEvents();  // must not touch the destroyed target
    SUCCEED();
}
