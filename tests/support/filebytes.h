#pragma once

#include <QByteArray>
#include <QString>
#include <string>

// A whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
QByteArray ReadFileBytes(const QString& path);
inline std::string ReadFileBytes(const char* path) {
    return ReadFileBytes(std::string(path));
}
