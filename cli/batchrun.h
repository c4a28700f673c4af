#pragma once

#include <istream>
#include <ostream>

#include "cli/batchoptions.h"

// Exit statuses of thumbrix-batch.
enum BatchStatus { kAllConverted = 0, kSomeFailed = 1, kUsageError = 2 };

// Converts the sources that options name (files, lists read from their files
// or standardInput, walked folders), options.jobs at a time: the sources of
// one output go, in order, to one job, so that the later one wins as in the
// window, with a warning naming both; a source whose output would replace a
// source is refused. With options.update, sources whose thumbnail is up to
// date are skipped. Every source not converted is told on err with the
// reason; with showProgress a progress line is kept on err, and a summary
// ends the run unless options.quiet. A destination that is not an existing
// folder is reported before any file is read. Returns the exit status.
int RunBatch(const BatchOptions& options, std::istream& standardInput, std::ostream& err,
             bool showProgress);
