#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

// Removes a folder and all it holds when it goes, by the bytes of the names:
// QTemporaryDir cannot remove a name that is not UTF-8. Declared after the
// QTemporaryDir, it goes first.
class RemoveTreeAtEnd {
public:
    explicit RemoveTreeAtEnd(std::string path) : path_(std::move(path)) {}
    ~RemoveTreeAtEnd() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RemoveTreeAtEnd(const RemoveTreeAtEnd&) = delete;
    RemoveTreeAtEnd& operator=(const RemoveTreeAtEnd&) = delete;

private:
    std::string path_;
};
