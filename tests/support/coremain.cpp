#include <gtest/gtest.h>

#include <QGuiApplication>

// Core tests need images and the screen depth, not widgets: a QGuiApplication
// on the offscreen platform that CMake sets.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
