#include "cli/groupjob.h"

#include <chrono>
#include <string>
#include <vector>

#include "cli/batchhost.h"
#include "conversion/runconversion.h"
#include "conversion/runobserver.h"
#include "conversion/runstate.h"
#include "conversion/thumbnailwriter.h"
#include "platform/atomicfile.h"
#include "platform/filestatus.h"
#include "platform/makefolders.h"
#include "platform/pathname.h"

namespace {

using Clock = std::chrono::steady_clock;
using Outcome = BatchLog::Outcome;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Each file's outcome, timed from the end of the one before.
class JobObserver final : public RunObserver {
public:
    JobObserver(BatchLog& log, size_t count, const std::string& output)
        : log_(log), told_(count, false), output_(output) {}

    void loadFailed(int index, const std::string& source, const std::string& reason) override {
        tell(index, Outcome::Failed, source, output_, reason);
    }
    void writeRefused(int index, const std::string& source, const std::string& output,
                      const std::string& reason) override {
        tell(index, Outcome::Refused, source, output, reason);
    }
    void written(int index, const std::string& source, const std::string& output) override {
        tell(index, Outcome::Converted, source, output, {});
    }
    void tell(int index, Outcome outcome, const std::string& source, const std::string& output,
              const std::string& reason) {
        told_[size_t(index)] = true;
        log_.done(outcome, source, output, reason, MillisecondsSince(last_));
        last_ = Clock::now();
    }
    bool told(size_t index) const { return told_[index]; }

private:
    BatchLog& log_;
    std::vector<bool> told_;
    const std::string& output_;
    Clock::time_point last_ = Clock::now();
};

}  // namespace

void GroupJob::run(const BatchPlan::Group& group) const {
    if (stamp_ && skipIfUpToDate(group)) return;
    std::vector<std::string> files;
    files.reserve(group.count);
    for (uint32_t i = group.first; i != BatchPlan::kEnd; i = plan_.next(i))
        files.push_back(plan_.sources()[i].path);

    const std::string folder = FolderOf(group.output);
    BatchHost host(settings_, folder.empty() ? "./" : folder);
    host.setOutput(group.output);
    if (stamp_) {
        // Taken before the file is read: a later change shows at the next run.
        for (const std::string& file : files)
            if (const auto status = StatPath(file))
                host.setComment(file, stamp_->textFor(file, *status));
    }
    JobObserver observer(log_, files.size(), group.output);
    std::string failure;
    // -o writes exactly its file: no folder is made for it.
    if (folder != settings_.destination && settings_.output.empty()) {
        if (const std::error_code error = MakeFolders(folder))
            failure = "cannot make the folder " + folder + ": " + error.message();
    }
    if (failure.empty()) {
        RunState state;
        state.FileQueue = files;
        try {
            RunConversion(state, host, &observer);
        } catch (const ThumbnailCreateError& e) {
            failure = "cannot write " + group.output + ": " + e.reason();
        } catch (const std::exception& e) {
            failure = e.what();
        }
        // The run's only message: the folder went away during the run.
        if (!host.messages().empty()) failure = "destination folder " + folder + " does not exist";
    }
    if (failure.empty()) return;
    // The run stopped at a file: it and the ones after it were not converted.
    for (size_t i = 0; i < files.size(); ++i)
        if (!observer.told(i))
            observer.tell(int(i), Outcome::Failed, files[i], group.output, failure);
}

bool GroupJob::skipIfUpToDate(const BatchPlan::Group& group) const {
    const Clock::time_point start = Clock::now();
    const std::string& last = plan_.sources()[group.last].path;
    const auto status = StatPath(last);
    if (!status || !stamp_->isUpToDate(group.output, last, *status)) return false;
    // Nothing is written here, but what a killed run left still goes.
    RemoveStaleAtomicTemporariesOnce(FolderOf(group.output));
    for (uint32_t i = group.first; i != BatchPlan::kEnd; i = plan_.next(i))
        log_.done(Outcome::UpToDate, plan_.sources()[i].path, group.output, "up to date",
                  MillisecondsSince(start));
    return true;
}
