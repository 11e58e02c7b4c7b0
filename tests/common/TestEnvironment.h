#pragma once

#include <string>

namespace korvel::test {

// Points XDG_CONFIG_HOME, XDG_RUNTIME_DIR, HOME-relative Pictures and the current
// directory into a fresh temporary folder for this test program, and removes the
// folder again when the program ends.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    const std::string& root() const { return root_; }

private:
    std::string root_;
    std::string previousDirectory_;
};

// The folder of the shared public test files (pngsuite, ...).
std::string testDataDir();

// The root of the project's sources.
std::string sourceDir();

}  // namespace korvel::test
