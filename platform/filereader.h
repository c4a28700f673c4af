#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <string>

// Reads a file opened by the bytes of its name (any name the file system
// holds, valid UTF-8 or not), a part at a time. Closed when it goes.
class FileReader {
public:
    explicit FileReader(const std::string& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The system's words for the last failure ("Permission denied").
    std::string error() const;

    // The first count bytes, or all there are when the file is shorter.
    // False when reading fails.
    bool read(int64_t count, QByteArray& bytes);

private:
    int fd_;
    int error_;
};

// The first maxBytes (or all) of a regular file, opened without blocking: a
// FIFO at the name is neither waited on nor read. Empty for a missing file,
// anything but a regular file, or a failed read.
std::optional<QByteArray> ReadRegularFileHead(const std::string& path, int64_t maxBytes);
