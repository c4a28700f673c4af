#include "platform/atomicfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <utility>

#include "platform/filestatus.h"

namespace {

constexpr std::string_view kTempPrefix = ".thumbrix-";
constexpr std::string_view kTempSuffix = ".tmp";
std::error_code LastError() {
    return {errno, std::generic_category()};
}

// A descriptor closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        close();
        fd_ = fd;
    }
    // Closes now, for the error that close reports (a write that failed late).
    std::error_code close() {
        const int fd = std::exchange(fd_, -1);
        return fd >= 0 && ::close(fd) != 0 ? LastError() : std::error_code();
    }

private:
    int fd_;
};

// The settings file's link keeps pointing where it did: its target is the
// file to replace.
std::string FollowedPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

class RefusalCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "atomic write"; }
    std::string message(int code) const override {
        const bool link = code >= kThroughLink;
        const char* kinds[] = {"", "a FIFO", "a device", "a socket", "a folder", "a special file"};
        const std::string kind = kinds[code % kThroughLink];
        return link ? "a link to " + kind + " is at that name, not to a regular file"
                    : kind + " is at that name, not a regular file";
    }
    static constexpr int kThroughLink = 8;
};

const RefusalCategory kRefusal;

int KindCode(mode_t mode) {
    if (S_ISFIFO(mode)) return 1;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return 2;
    if (S_ISSOCK(mode)) return 3;
    if (S_ISDIR(mode)) return 4;
    return 5;
}

// Only a regular file, a link or nothing at the name may be replaced; a link
// to anything but a regular file is refused as well, though only the link
// would go, for the user made it for a reason of their own.
std::error_code RefusalFor(int dir, const std::string& name) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISREG(st.st_mode))
        return {};
    if (!S_ISLNK(st.st_mode)) return {KindCode(st.st_mode), kRefusal};
    if (::fstatat(dir, name.c_str(), &st, 0) != 0 || S_ISREG(st.st_mode)) return {};
    return {RefusalCategory::kThroughLink + KindCode(st.st_mode), kRefusal};
}

// A name of at most 22 bytes in the target's folder. Every step works relative
// to the folder, so a path that fits PATH_MAX never grows too long by it.
std::string TemporaryName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
    std::string name(kTempPrefix);
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

bool NamesFile(int dir, const char* name, int fd) {
    struct stat named {
    }, open{};
    return ::fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// A writer locks its named temporary file before it writes, and the lock
// goes only with the writer: a file of ours that no one holds locked is a
// dead writer's, whatever its age. It is removed while locked, so that no
// other cleaner takes a new writer's file of the same name for it.
void RemoveIfDead(int dir, const char* name) {
    const Descriptor file(::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) return;
    if (NamesFile(dir, name, file.get())) ::unlinkat(dir, name, 0);
}

void RemoveStaleTemporariesIn(int dir) {
    const int listed = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return;
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(listed), ::closedir);
    if (!entries) {
        ::close(listed);
        return;
    }
    while (const dirent* entry = ::readdir(entries.get()))
        if (IsAtomicTemporaryName(entry->d_name)) RemoveIfDead(dir, entry->d_name);
}

// The first write to a folder in this process cleans it.
void CleanOnFirstWrite(int dir) {
    struct stat st {};
    if (::fstat(dir, &st) != 0) return;
    static std::mutex mutex;
    static FileIdSet cleaned;
    {
        const std::lock_guard lock(mutex);
        if (!cleaned.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)}).second) return;
    }
    RemoveStaleTemporariesIn(dir);
}

// The new content, first without a name where the file system allows it.
struct Temporary {
    Descriptor file;
    std::string name;  // empty while it has none
};

std::error_code MakeTemporary(int dir, bool unnamed, Temporary& temp) {
    if (unnamed) {
        temp.file.reset(::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (temp.file.get() >= 0) return {};
        // File systems without unnamed files say so in one of these ways.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return LastError();
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName();
        temp.file.reset(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (temp.file.get() < 0 && errno == EEXIST) continue;
        if (temp.file.get() < 0) return LastError();
        (void)::flock(temp.file.get(), LOCK_EX);
        // A cleaner that came between making and locking took the file for a
        // dead writer's and removed it: make another.
        if (!NamesFile(dir, name.c_str(), temp.file.get())) continue;
        temp.name = std::move(name);
        return {};
    }
    return std::make_error_code(std::errc::file_exists);
}

// Gives an unnamed file a name in dir: the target's own when it is free,
// otherwise a temporary one, locked, for a rename over the target.
std::error_code LinkUnnamed(int fd, int dir, const std::string& target, std::string& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), dir, target.c_str(), AT_SYMLINK_FOLLOW) == 0) return {};
    if (errno != EEXIST) return LastError();
    (void)::flock(fd, LOCK_EX);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName();
        if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary = std::move(name);
            return {};
        }
        if (errno != EEXIST) return LastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code WriteContent(int fd, int dir, const std::string& name, std::string_view bytes,
                             const AtomicWriteOptions& options) {
    if (std::error_code error = WriteAll(fd, bytes)) return error;
    struct stat old {};
    if (::fstatat(dir, name.c_str(), &old, 0) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, old.st_mode & 07777);
    if (options.modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *options.modified};
        (void)::futimens(fd, times);
    }
    if (options.sync && ::fsync(fd) != 0) return LastError();
    return {};
}

}  // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view bytes,
                                    const AtomicWriteOptions& options) {
    const std::string target = options.followLink ? FollowedPath(path) : path;
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    const Descriptor dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return LastError();
    if (std::error_code refused = RefusalFor(dir.get(), name)) return refused;
    CleanOnFirstWrite(dir.get());

    Temporary temp;
    std::error_code error = MakeTemporary(dir.get(), options.unnamedTemporary, temp);
    if (error) return error;
    error = WriteContent(temp.file.get(), dir.get(), name, bytes, options);
    // A duplicate keeps the file (and its lock) while the first descriptor
    // closes, so that an error only close reports still stops the replacing.
    const Descriptor keeper(error ? -1 : ::dup(temp.file.get()));
    if (!error && keeper.get() < 0) error = LastError();
    const std::error_code closed = temp.file.close();
    if (!error) error = closed;

    bool placed = false;
    if (!error && temp.name.empty()) {
        error = LinkUnnamed(keeper.get(), dir.get(), name, temp.name);
        placed = !error && temp.name.empty();
    }
    if (!error && !placed) {
        if (::renameat(dir.get(), temp.name.c_str(), dir.get(), name.c_str()) == 0) {
            temp.name.clear();
        } else {
            error = LastError();
        }
    }
    if (!temp.name.empty()) ::unlinkat(dir.get(), temp.name.c_str(), 0);
    return error;
}

void RemoveStaleAtomicTemporariesOnce(const std::string& folder) {
    const Descriptor dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) CleanOnFirstWrite(dir.get());
}

void RemoveStaleAtomicTemporaries(const std::string& folder) {
    const Descriptor dir(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) RemoveStaleTemporariesIn(dir.get());
}

bool IsAtomicTemporaryName(std::string_view name) {
    return name.size() > kTempPrefix.size() + kTempSuffix.size() &&
           name.substr(0, kTempPrefix.size()) == kTempPrefix &&
           name.substr(name.size() - kTempSuffix.size()) == kTempSuffix;
}
