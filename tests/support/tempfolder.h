#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "tests/support/filebytes.h"

// A test with a fresh folder of its own, removed after it.
class TempFolderTest : public ::testing::Test {
protected:
    // name (which may hold folders) inside the test's folder.
    std::string path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    // Everything the folder holds, hidden entries included.
    QStringList entries() const { return FolderEntries(dir_.path().toStdString()); }

    QTemporaryDir dir_;
};
