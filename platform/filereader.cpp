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
