#include <gtest/gtest.h>

#include <QApplication>

// Window tests get a QApplication on the offscreen platform that CMake sets.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
