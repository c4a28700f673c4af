#pragma once

#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

// A JSON string for text: quotes, backslashes and control characters
// escaped; each byte that is not part of valid UTF-8 written as \udc80 to
// \udcff (Python's surrogateescape), so that any file name survives.
std::string JsonString(std::string_view text);

// --report: one JSON object per source and line, written as each source is
// done; safe to call from every job.
class JsonReport {
public:
    struct Line {
        std::string_view source, output, status, reason;
        long long milliseconds = 0;
    };

    static constexpr const char* kStandardOutput = "-";

    // False with the system's reason when the file cannot be made.
    bool open(const std::string& path, std::string& reason);
    bool isOpen() const { return out_ != nullptr; }
    void write(const Line& line);
    // False when a line could not be written.
    bool close();

private:
    std::mutex mutex_;
    std::ofstream file_;
    std::ostream* out_ = nullptr;  // file_ or standard output
};
