#pragma once

#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "cli/batchoptions.h"
#include "cli/batchsource.h"

// Turns the names on the command line, the --files-from lists and, with
// --recursive, the walked folders into the run's sources, in order. Each
// source's mirrored folder is taken relative to --base when given, else to
// the folder argument it was found in. Problems (a list or folder that cannot
// be read, a name outside --base) go to problem and leave the name out.
class SourceCollector {
public:
    using Problem = std::function<void(const std::string& name, const std::string& reason)>;

    SourceCollector(const BatchOptions& options, std::istream& standardInput, Problem problem);

    std::vector<BatchSource> collect();

private:
    void addName(std::string&& name);
    void addFile(std::string&& path, size_t rootLength);

    const BatchOptions& options_;
    std::istream& standardInput_;
    Problem problem_;
    std::string givenBase_;  // --base as given, ending with "/"
    std::string base_;       // the same, absolute and normal
    std::vector<BatchSource> sources_;
};
