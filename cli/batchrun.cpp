#include "cli/batchrun.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "cli/batchhost.h"
#include "conversion/outputname.h"
#include "conversion/runconversion.h"
#include "conversion/runobserver.h"
#include "conversion/runstate.h"
#include "conversion/sourceset.h"
#include "conversion/thumbnailwriter.h"
#include "platform/filestatus.h"

namespace {

constexpr const char* kProgram = "thumbrix-batch";

// The files that share one output name, in command-line order.
struct Group {
    std::vector<std::string> files;
    std::string output;
};

// What every job reports to; keeps the progress line and messages apart.
class Report {
public:
    Report(std::ostream& err, bool showProgress, int total)
        : err_(err), showProgress_(showProgress), total_(total) {}

    void fileDone(bool converted) {
        std::lock_guard lock(mutex_);
        ++done_;
        if (!converted) failed_ = true;
        drawProgress();
    }
    void problem(const std::string& text) {
        std::lock_guard lock(mutex_);
        clearProgress();
        err_ << kProgram << ": " << text << '\n';
        drawProgress();
    }
    void finish() {
        std::lock_guard lock(mutex_);
        if (showProgress_ && drawn_) err_ << '\n';
        err_.flush();
    }
    bool failed() const { return failed_; }

private:
    void clearProgress() {
        if (showProgress_ && drawn_) err_ << "\r\033[K";
    }
    void drawProgress() {
        if (!showProgress_) return;
        err_ << '\r' << kProgram << ": " << done_ << " of " << total_ << " files" << std::flush;
        drawn_ = true;
    }

    std::mutex mutex_;
    std::ostream& err_;
    const bool showProgress_;
    const int total_;
    int done_ = 0;
    bool drawn_ = false;
    bool failed_ = false;
};

// Per-file outcomes of one job's run.
class JobObserver final : public RunObserver {
public:
    explicit JobObserver(Report& report) : report_(report) {}

    void loadFailed(int index, const std::string& source, const std::string& reason) override {
        reported_.insert(index);
        report_.problem(source + ": not converted: " + reason);
        report_.fileDone(false);
    }
    void writeRefused(int index, const std::string& source, const std::string& output) override {
        reported_.insert(index);
        report_.problem(source + ": not converted: " + output + " is a source file");
        report_.fileDone(false);
    }
    void written(int index, const std::string&, const std::string&) override {
        reported_.insert(index);
        report_.fileDone(true);
    }
    bool reported(int index) const { return reported_.count(index) != 0; }

private:
    Report& report_;
    std::set<int> reported_;
};

void RunGroup(const Group& group, const BatchSettings& settings, Report& report) {
    RunState state;
    state.FileQueue = group.files;
    BatchHost host(settings);
    JobObserver observer(report);
    std::string failure;
    try {
        RunConversion(state, host, &observer);
    } catch (const ThumbnailCreateError& e) {
        failure = std::string(e.what()) + " (" + e.reason() + ")";
    } catch (const std::exception& e) {
        failure = e.what();
    }
    for (const std::string& message : host.messages()) failure = message;
    if (failure.empty()) return;
    // The run stopped at a file: it and the ones after it were not converted.
    for (size_t i = 0; i < group.files.size(); ++i) {
        if (observer.reported(static_cast<int>(i))) continue;
        report.problem(group.files[i] + ": not converted: " + failure);
        report.fileDone(false);
    }
}

// Files whose output would replace one of the inputs are left out, reported;
// the rest are grouped by output, groups in order of first appearance.
std::vector<Group> PlanGroups(const BatchOptions& options, Report& report) {
    const BatchSettings& s = options.settings;
    SourceSet inputs;
    for (const std::string& file : options.files) inputs.add(file);

    std::vector<Group> groups;
    std::unordered_map<std::string, size_t> byOutput;
    for (const std::string& file : options.files) {
        const std::string output = ThumbnailPath(file, s.destination, s.prefix, s.suffix);
        if (inputs.contains(output)) {
            report.problem(file + ": not converted: " + output + " is a source file");
            report.fileDone(false);
            continue;
        }
        const auto [it, added] = byOutput.emplace(output, groups.size());
        if (added) groups.push_back({{}, output});
        groups[it->second].files.push_back(file);
    }
    return groups;
}

}  // namespace

int RunBatch(const BatchOptions& options, std::ostream& err, bool showProgress) {
    const BatchSettings& settings = options.settings;
    if (!IsExistingFolder(settings.destination)) {
        err << kProgram << ": destination folder " << settings.destination
            << " does not exist (格納先を設定してください)\n";
        return kUsageError;
    }
    Report report(err, showProgress, static_cast<int>(options.files.size()));
    const std::vector<Group> groups = PlanGroups(options, report);

    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < groups.size(); i = next++)
            RunGroup(groups[i], settings, report);
    };
    const size_t jobs = std::min(groups.size(), static_cast<size_t>(options.jobs));
    std::vector<std::thread> threads;
    for (size_t j = 1; j < jobs; ++j) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();

    report.finish();
    return report.failed() ? kSomeFailed : kAllConverted;
}
