#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "tests/support/testform1.h"

// Each test gets a folder holding the program file's place (its settings file
// is <dir>/thumbrix.ini) and a destination folder.
class Form1Test : public ::testing::Test {
protected:
    QString program() const { return dir.filePath("thumbrix"); }
    QString settings() const { return dir.filePath("thumbrix.ini"); }
    QString folder() const { return dir.path() + "/"; }

    std::unique_ptr<TestForm1> makeForm(const QStringList& arguments = {}) {
        return std::make_unique<TestForm1>(arguments, program());
    }

    void writeSettings(const QByteArray& text) {
        QFile file(settings());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray readSettings() const {
        QFile file(settings());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString makeBmp(const QString& name, int width = 40, int height = 30) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(QColor(200, 100, 50));
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }

    QString makeFolder(const QString& name) {
        EXPECT_TRUE(QDir(dir.path()).mkpath(name));
        return dir.filePath(name) + "/";
    }

    QTemporaryDir dir;
};
