// libFuzzer target: the batch command's option parser on any command line
// (arguments separated by zero bytes).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/batchoptions.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += char(data[i]);
        }
    }
    BatchOptions options;
    std::string error;
    // No settings file beside a program that is nowhere.
    const bool ok = ParseBatchOptions(arguments, "/nonexistent/thumbrix-batch", options, error);
    FuzzCheck(ok || !error.empty(), "usage error without a message");
    if (ok && options.action == BatchOptions::Action::Run) {
        const Settings& s = options.settings;
        FuzzCheck(!options.files.empty() || !options.lists.empty(), "a run without files");
        for (const auto& list : options.lists)
            FuzzCheck(!list.path.empty(), "a list without a name");
        FuzzCheck(s.size >= 1 && s.size <= 4096, "size out of range");
        FuzzCheck(s.quality >= 20 && s.quality <= 100, "quality out of range");
        FuzzCheck(options.jobs >= 1 && options.jobs <= 1024, "jobs out of range");
    }
    return 0;
}
