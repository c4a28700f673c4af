#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/batchoptions.h"
#include "cli/batchsource.h"
#include "conversion/sourceset.h"

// What the run will do with each source: sources that share an output form a
// group, converted in order by one job, so that the later one wins as in the
// window. Sources that are refused (missing, not a picture file, or whose
// output would replace a source) belong to no group. Planning costs a few
// file statuses and hash look-ups per source, whatever their number.
class BatchPlan {
public:
    struct Group {
        std::string output;
        uint32_t first = 0;  // source indexes, linked through next()
        uint32_t last = 0;
        uint32_t count = 0;
    };
    struct Refusal {
        uint32_t source = 0;
        std::string output;  // empty when none was made
        std::string reason;
    };
    struct Clash {
        uint32_t earlier = 0, later = 0;  // different files, one output
        uint32_t group = 0;
    };
    static constexpr uint32_t kEnd = UINT32_MAX;

    BatchPlan(std::vector<BatchSource> sources, const Settings& settings);

    const std::vector<BatchSource>& sources() const { return sources_; }
    const std::vector<Group>& groups() const { return groups_; }
    const std::vector<Refusal>& refusals() const { return refusals_; }
    const std::vector<Clash>& clashes() const { return clashes_; }
    uint32_t next(uint32_t source) const { return next_[source]; }
    // "a source file" or "an output" when the run reads or writes path, else
    // null: a file the run makes besides its thumbnails must be neither.
    const char* roleOf(const std::string& path) const;

private:
    std::vector<BatchSource> sources_;
    SourceSet inputs_;
    std::vector<uint32_t> next_;
    std::vector<Group> groups_;
    std::vector<Refusal> refusals_;
    std::vector<Clash> clashes_;
};
