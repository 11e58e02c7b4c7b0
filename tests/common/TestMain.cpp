#include <gtest/gtest.h>

#include "common/TestEnvironment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    korvel::test::TestEnvironment environment;
    return RUN_ALL_TESTS();
}
