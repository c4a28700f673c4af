#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A settings file in the profile (INI) format: "[section]" lines, each followed
// by "key=value" lines. Section and key names match without regard to ASCII
// case; blanks around keys and values are dropped on reading, and a value in
// matching double quotes loses them; lines beginning with ";" are comments.
// The file is read once, when the object is made; every write replaces the
// file at once, changing only the line of that key. The first write to a
// missing file makes its missing folders.
class ProfileFile {
public:
    static constexpr size_t kMaxValueBytes = 2047;
    // Far beyond any settings file: a larger one is not read at all.
    static constexpr size_t kMaxFileBytes = size_t{1} << 20;

    // A missing or unreadable file reads as empty.
    explicit ProfileFile(std::string path);

    const std::string& path() const { return path_; }
    // Why an existing file could not be read, else empty. Such a file is
    // never replaced: its content would be lost.
    const std::string& readFailure() const { return readFailure_; }

    // The value, at most kMaxValueBytes long, or fallback when the key is missing.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // Decimal, or hexadecimal after "0x"; fallback when missing or not a number.
    int readInteger(std::string_view section, std::string_view key, int fallback) const;

    // Throws ProfileWriteError when the file cannot be replaced; the file is
    // then as it was.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    // Writes between these two change the lines only, and commitWrites()
    // replaces the file once: a dozen keys cost one synced replacement, not
    // a dozen. Held writes that are never committed are not written.
    void holdWrites();
    void commitWrites();

private:
    enum class LineEnd { None, Lf, CrLf };  // None: a last line without one
    struct Line {
        std::string text;
        LineEnd end = LineEnd::None;
    };
    struct Range {
        size_t header;  // index of the "[section]" line
        size_t end;     // one past the section's last line
    };

    bool findSection(std::string_view section, Range& range) const;
    // Index of the key's line within the range, or npos.
    size_t findKey(const Range& range, std::string_view key) const;
    void save(const std::vector<Line>& lines, bool makeFolders) const;

    std::string path_;
    std::string readFailure_;
    std::vector<Line> lines_;
    LineEnd newLine_ = LineEnd::Lf;  // what new lines end with: as the file's first line
    bool held_ = false;
    bool emptyWhenHeld_ = false;
};

// "%s に書き込めません" with the settings file's path.
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const std::string& path);
};

// Parses a whole integer the way the profile module reads one.
bool ParseProfileInteger(std::string_view text, int& value);
