#include "common/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <unistd.h>

namespace korvel::test {

namespace fs = std::filesystem;

TestEnvironment::TestEnvironment() {
    std::string pattern = (fs::temp_directory_path() / "korvel-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a temporary test folder");
    }
    root_ = pattern;
    const fs::path root(root_);
    fs::create_directories(root / "config");
    fs::create_directories(root / "runtime");
    fs::create_directories(root / "home" / "Pictures");
    fs::create_directories(root / "cwd");
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);

    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("XDG_PICTURES_DIR", (root / "home" / "Pictures").c_str(), 1);
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The simulated camera is the only camera a test may see.
    setenv("KRVCAMERA", "none", 0);

    previousDirectory_ = fs::current_path().string();
    fs::current_path(root / "cwd");
}

TestEnvironment::~TestEnvironment() {
    std::error_code ignored;
    fs::current_path(previousDirectory_, ignored);
    if (!std::getenv("KORVEL_KEEP_TEST_DIRS")) {
        fs::remove_all(root_, ignored);
    }
}

std::string testDataDir() {
#ifdef KORVEL_TESTDATA_DIR
    return KORVEL_TESTDATA_DIR;
#else
    return "../shared/testdata";
#endif
}

std::string sourceDir() {
#ifdef KORVEL_SOURCE_DIR
    return KORVEL_SOURCE_DIR;
#else
    return ".";
#endif
}

}  // namespace korvel::test
