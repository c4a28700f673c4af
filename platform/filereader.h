#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

// The whole file into content; false, with content empty, for anything that
// cannot be read to its end, a folder included.
bool ReadWholeFile(const std::string& path, std::string& content);

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
