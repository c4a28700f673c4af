#include "platform/filereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

std::optional<QByteArray> ReadRegularFileHead(const std::string& path, int64_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray head(qsizetype(std::min<int64_t>(maxBytes, st.st_size)), '\0');
    qsizetype done = 0;
    while (done < head.size()) {
        const ssize_t n = ::read(fd, head.data() + done, size_t(head.size() - done));
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        done += n;
    }
    ::close(fd);
    head.truncate(done);
    return head;
}
