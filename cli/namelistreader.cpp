#include "cli/namelistreader.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

void ReadNames(std::istream& in, char separator, const std::function<void(std::string&&)>& name) {
    std::string line;
    while (std::getline(in, line, separator))
        if (!line.empty()) name(std::move(line));
}

}  // namespace

bool ReadNameList(const std::string& path, std::istream& standardInput, char separator,
                  const std::function<void(std::string&&)>& name, std::string& reason) {
    if (path == "-") {
        ReadNames(standardInput, separator, name);
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    ReadNames(file, separator, name);
    if (file.bad()) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}
