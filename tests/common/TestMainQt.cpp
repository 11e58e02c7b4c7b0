#include <gtest/gtest.h>

#include <QApplication>

#include "common/TestEnvironment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    korvel::test::TestEnvironment environment;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
