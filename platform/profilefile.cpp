#include "platform/profilefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/atomicfile.h"
#include "platform/pathname.h"

namespace {

// A carriage return counts as blank: a file's last line can end in one alone,
// which becomes a line end once another line is written after it.
std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Makes the missing folders above path, private to the user as the XDG rules
// ask of the folders they name.
void MakeFolderOf(const std::string& path) {
    for (auto slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    name = Trim(line.substr(0, line.find(']')));
    return true;
}

bool KeyAndValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return true;
}

// Cuts to at most max bytes without splitting a UTF-8 sequence.
std::string_view Truncated(std::string_view s, size_t max) {
    if (s.size() <= max) return s;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end);
}

// What goes right of "=": one line, quoted when reading would otherwise change it.
std::string StoredValue(std::string_view value) {
    std::string stored(value);
    for (char& c : stored)
        if (c == '\r' || c == '\n') c = ' ';
    const bool blankAtEnds = !stored.empty() && (Trim(stored).size() != stored.size());
    const bool quoted = stored.size() >= 2 && stored.front() == '"' && stored.back() == '"';
    if (!blankAtEnds && !quoted) return stored;
    std::string wrapped(1, '"');
    wrapped.append(stored).push_back('"');
    return wrapped;
}

// The whole file, at most limit bytes; otherwise the reason, empty for a
// missing file.
std::string ReadFile(const std::string& path, size_t limit, std::string& content) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? std::string() : std::strerror(errno);
    char buffer[8192];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || content.size() + static_cast<size_t>(n) > limit) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    const int error = errno;
    ::close(fd);
    if (n == 0) return {};
    content.clear();
    if (n > 0) return "larger than " + std::to_string(limit >> 20) + " MiB: not a settings file";
    return std::strerror(error);
}

}  // namespace

ProfileWriteError::ProfileWriteError(const std::string& path)
    : std::runtime_error(path + " に書き込めません") {}

bool ParseProfileInteger(std::string_view text, int& value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    const int64_t limit = int64_t{std::numeric_limits<int>::max()} + (negative ? 1 : 0);
    int64_t result = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f') {
            digit = AsciiLower(c) - 'a' + 10;
        } else {
            return false;
        }
        result = result * base + digit;
        if (result > limit) return false;
    }
    value = static_cast<int>(negative ? -result : result);
    return true;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
    std::string content;
    readFailure_ = ReadFile(path_, kMaxFileBytes, content);
    if (!readFailure_.empty()) return;
    size_t start = 0;
    while (start < content.size()) {
        const auto newline = content.find('\n', start);
        Line line;
        if (newline == std::string::npos) {
            line.text = content.substr(start);
            start = content.size();
        } else {
            line.text = content.substr(start, newline - start);
            line.end = LineEnd::Lf;
            start = newline + 1;
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.end = LineEnd::CrLf;
            }
        }
        lines_.push_back(std::move(line));
    }
    if (!lines_.empty() && lines_.front().end != LineEnd::None) newLine_ = lines_.front().end;
}

bool ProfileFile::findSection(std::string_view section, Range& range) const {
    std::string_view name;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (!SectionName(lines_[i].text, name) || !SameName(name, section)) continue;
        range.header = i;
        range.end = i + 1;
        while (range.end < lines_.size() && !SectionName(lines_[range.end].text, name)) ++range.end;
        return true;
    }
    return false;
}

size_t ProfileFile::findKey(const Range& range, std::string_view key) const {
    std::string_view name, value;
    for (size_t i = range.header + 1; i < range.end; ++i)
        if (KeyAndValue(lines_[i].text, name, value) && SameName(name, key)) return i;
    return std::string::npos;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    Range range{};
    if (!findSection(section, range)) return std::string(fallback);
    const size_t index = findKey(range, key);
    if (index == std::string::npos) return std::string(fallback);
    std::string_view name, value;
    KeyAndValue(lines_[index].text, name, value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    // As the C functions return it: a NUL byte ends the text.
    value = value.substr(0, value.find('\0'));
    return std::string(Truncated(value, kMaxValueBytes));
}

int ProfileFile::readInteger(std::string_view section, std::string_view key, int fallback) const {
    int value = 0;
    return ParseProfileInteger(readString(section, key, ""), value) ? value : fallback;
}

void ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    Line keyLine{std::string(key), newLine_};
    keyLine.text.append("=").append(StoredValue(value));
    std::vector<Line> lines = lines_;
    Range range{};
    if (findSection(section, range)) {
        const size_t index = findKey(range, key);
        if (index != std::string::npos) {
            lines[index].text = keyLine.text;
        } else {
            // After the section's last non-blank line, before the blank lines
            // that set it apart from the next one.
            size_t last = range.end - 1;
            while (last > range.header && Trim(lines[last].text).empty()) --last;
            if (lines[last].end == LineEnd::None) lines[last].end = newLine_;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), keyLine);
        }
    } else {
        if (!lines.empty() && lines.back().end == LineEnd::None) lines.back().end = newLine_;
        Line header{"[", newLine_};
        header.text.append(section).push_back(']');
        lines.push_back(std::move(header));
        lines.push_back(keyLine);
    }
    if (!held_) save(lines, lines_.empty());
    lines_ = std::move(lines);
}

void ProfileFile::holdWrites() {
    if (!held_) emptyWhenHeld_ = lines_.empty();
    held_ = true;
}

void ProfileFile::commitWrites() {
    if (!held_) return;
    held_ = false;
    save(lines_, emptyWhenHeld_);
}

void ProfileFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void ProfileFile::save(const std::vector<Line>& lines, bool makeFolders) const {
    std::string content;
    for (const Line& line : lines) {
        content += line.text;
        if (line.end == LineEnd::CrLf) content += '\r';
        if (line.end != LineEnd::None) content += '\n';
    }
    AtomicWriteOptions options;
    options.sync = true;
    options.followLink = true;
    if (!readFailure_.empty()) throw ProfileWriteError(path_);
    if (makeFolders) MakeFolderOf(path_);
    if (WriteFileAtomically(path_, content, options)) throw ProfileWriteError(path_);
}
