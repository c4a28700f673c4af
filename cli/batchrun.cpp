#include "cli/batchrun.h"

#include <optional>
#include <string>

#include "cli/batchlog.h"
#include "cli/batchplan.h"
#include "cli/groupjob.h"
#include "cli/jobpool.h"
#include "cli/jsonreport.h"
#include "cli/sourcecollector.h"
#include "cli/updatestamp.h"
#include "conversion/sourceset.h"
#include "platform/filestatus.h"

namespace {

constexpr const char* kProgram = "thumbrix-batch: ";

// Refusals and clashes are known before any file is read.
void TellPlan(const BatchPlan& plan, BatchLog& log) {
    const auto& sources = plan.sources();
    for (const BatchPlan::Refusal& refusal : plan.refusals())
        log.done(BatchLog::Outcome::Refused, sources[refusal.source].path, refusal.output,
                 refusal.reason, 0);
    for (const BatchPlan::Clash& clash : plan.clashes())
        log.warn(sources[clash.earlier].path + " and " + sources[clash.later].path + " both make " +
                 plan.groups()[clash.group].output + "; the later one wins");
}

// What the report would destroy if it were written at its name.
const char* ReportRole(const BatchOptions& options, const BatchPlan& plan) {
    if (options.reportFile == JsonReport::kStandardOutput) return nullptr;
    if (const char* role = plan.roleOf(options.reportFile)) return role;
    SourceSet lists;
    for (const NameListFile& list : options.lists)
        if (list.path != "-") lists.add(list.path);
    return lists.contains(options.reportFile) ? "a list of names" : nullptr;
}

}  // namespace

int RunBatch(const BatchOptions& options, std::istream& standardInput, std::ostream& err,
             bool showProgress) {
    const Settings& settings = options.settings;
    if (settings.output.empty() && !IsExistingFolder(settings.destination)) {
        err << kProgram << "destination folder " << EscapeControls(settings.destination)
            << " does not exist\n";
        return kUsageError;
    }
    // Problems met while collecting wait for the log, which needs the count.
    std::vector<std::pair<std::string, std::string>> inputProblems;
    SourceCollector collector(options, standardInput,
                              [&](const std::string& name, const std::string& why) {
                                  inputProblems.emplace_back(name, why);
                              });
    const BatchPlan plan(collector.collect(), settings);
    if (!settings.output.empty() && plan.sources().size() != 1) {
        err << kProgram << "-o " << EscapeControls(settings.output)
            << " takes a single source, not " << plan.sources().size() << '\n';
        return kUsageError;
    }
    // A thumbnail written over a list would lose the names of the next run.
    for (const NameListFile& list : options.lists) {
        if (list.path == "-" || plan.roleOf(list.path) == nullptr) continue;
        err << kProgram << "the list " << EscapeControls(list.path) << " is "
            << plan.roleOf(list.path) << '\n';
        return kUsageError;
    }
    JsonReport report;
    if (!options.reportFile.empty()) {
        std::string reason;
        if (const char* role = ReportRole(options, plan)) {
            err << kProgram << "the report " << EscapeControls(options.reportFile) << " is " << role
                << '\n';
            return kUsageError;
        }
        if (!report.open(options.reportFile, reason)) {
            err << kProgram << "cannot write the report " << EscapeControls(options.reportFile)
                << ": " << reason << '\n';
            return kUsageError;
        }
    }
    BatchLog log(err, showProgress, plan.sources().size(), report);
    for (const auto& [name, why] : inputProblems) log.inputFailed(name, why);
    TellPlan(plan, log);

    std::optional<UpdateStamp> stamp;
    if (options.update) stamp.emplace(settings);
    const GroupJob job(plan, settings, log, stamp);
    const auto& groups = plan.groups();
    RunJobs(groups.size(), size_t(options.jobs), [&](size_t i) { job.run(groups[i]); });

    log.finish(options.quiet);
    if (!report.close()) {
        err << kProgram << "cannot write the report " << EscapeControls(options.reportFile) << '\n';
        return kSomeFailed;
    }
    return log.allWell() ? kAllConverted : kSomeFailed;
}
