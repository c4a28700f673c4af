#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>

// A whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
QByteArray ReadFileBytes(const QString& path);
inline std::string ReadFileBytes(const char* path) {
    return ReadFileBytes(std::string(path));
}

// Makes (or empties) the file and writes bytes into it; false when any of it fails.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

// Every entry of a folder, hidden ones included, sorted by name.
QStringList FolderEntries(const std::string& folder);
