#pragma once

#include <QCoreApplication>
#include <QTest>

#include <chrono>

namespace korvel::test {

// Serves the event loop until `done` holds; false after a generous guard time, so that a
// broken build fails the test instead of hanging it.
template <typename Condition>
bool serveUntil(Condition done, std::chrono::seconds guard = std::chrono::seconds(30)) {
    const auto limit = std::chrono::steady_clock::now() + guard;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(2);
    }
    return true;
}

}  // namespace korvel::test
