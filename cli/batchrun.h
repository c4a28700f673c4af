#pragma once

#include <ostream>

#include "cli/batchoptions.h"

// Exit statuses of thumbrix-batch.
enum BatchStatus { kAllConverted = 0, kSomeFailed = 1, kUsageError = 2 };

// Converts options.files, options.jobs at a time: every file named by the
// same output goes, in command-line order, to one job, so that the later one
// wins as in the window; a file whose output would replace one of the inputs
// is not converted. Reports every file that was not converted on err, with its
// path and the reason, and with showProgress a one-line count of files done.
// A destination that is not an existing folder is reported before any file is
// read. Returns the exit status.
int RunBatch(const BatchOptions& options, std::ostream& err, bool showProgress);
