#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/form1.h"

// A main window whose message and error boxes are recorded instead of shown,
// and whose pump can act as a user would in the middle of a run.
class TestForm1 : public TForm1 {
public:
    using TForm1::TForm1;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    void ReportError(const QString& message) override { errors.push_back(message); }
    void pump() override {
        ++pumps;
        if (duringRun) duringRun();
    }

    std::vector<std::string> messages;
    QStringList errors;
    std::function<void()> duringRun;
    int pumps = 0;
};

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
