#pragma once

#include <optional>

#include "cli/batchlog.h"
#include "cli/batchplan.h"
#include "cli/updatestamp.h"

// Converts the sources of one output, in order, through the window's run,
// and tells the log what became of each. With an update stamp, a group whose
// thumbnail is up to date for its last source is skipped, and every written
// thumbnail carries its stamp.
class GroupJob {
public:
    GroupJob(const BatchPlan& plan, const Settings& settings, BatchLog& log,
             const std::optional<UpdateStamp>& stamp)
        : plan_(plan), settings_(settings), log_(log), stamp_(stamp) {}

    void run(const BatchPlan::Group& group) const;

private:
    bool skipIfUpToDate(const BatchPlan::Group& group) const;

    const BatchPlan& plan_;
    const Settings& settings_;
    BatchLog& log_;
    const std::optional<UpdateStamp>& stamp_;
};
