#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace {

constexpr std::string_view kTempPrefix = ".thumbrix-";
constexpr std::string_view kTempSuffix = ".tmp";

std::error_code LastError() {
    return {errno, std::generic_category()};
}

// The file to replace: a symbolic link's target rather than the link.
std::string ReplacedPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

std::string FolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A short name, so that a long target name cannot make it too long.
std::string TemporaryName(const std::string& folder) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    std::string name = folder;
    name += kTempPrefix;
    for (int i = 0; i < 8; ++i) name += kLetters[pick(random)];
    name += kTempSuffix;
    return name;
}

std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return {};
}

}  // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view bytes,
                                    const AtomicWriteOptions& options) {
    const std::string target = ReplacedPath(path);
    const std::string folder = FolderPart(target);

    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TemporaryName(folder);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return LastError();
    }
    if (fd < 0) return LastError();

    std::error_code error = WriteAll(fd, bytes);
    struct stat old {};
    if (!error && ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, old.st_mode & 07777);
    if (!error && options.modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *options.modified};
        (void)::futimens(fd, times);
    }
    if (!error && options.sync && ::fsync(fd) != 0) error = LastError();
    if (::close(fd) != 0 && !error) error = LastError();
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = LastError();
    if (error) ::unlink(temp.c_str());
    return error;
}

bool IsAtomicTemporaryName(std::string_view name) {
    return name.size() > kTempPrefix.size() + kTempSuffix.size() &&
           name.substr(0, kTempPrefix.size()) == kTempPrefix &&
           name.substr(name.size() - kTempSuffix.size()) == kTempSuffix;
}
