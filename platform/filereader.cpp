#include "platform/filereader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

FileReader::FileReader(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), error_(fd_ < 0 ? errno : 0) {}

FileReader::~FileReader() {
    if (fd_ >= 0) ::close(fd_);
}

std::string FileReader::error() const {
    return std::strerror(error_);
}

bool FileReader::read(int64_t count, QByteArray& bytes) {
    if (fd_ < 0) return false;
    bytes.resize(qsizetype(count));
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, bytes.data() + done, size_t(count - done), off_t(done));
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error_ = errno;
            bytes.clear();
            return false;
        }
        done += n;
    }
    bytes.truncate(qsizetype(done));
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[8192];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (n == 0) return true;
    content.clear();
    return false;
}
