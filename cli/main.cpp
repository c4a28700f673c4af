#include <unistd.h>

#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "buildinfo.h"
#include "cli/batchlog.h"
#include "cli/batchoptions.h"
#include "cli/batchrun.h"
#include "cli/batchusage.h"
#include "codec/jpegsettings.h"
#include "platform/memoryreuse.h"
#include "platform/programfile.h"

// thumbrix-batch: the window's conversion without a window.
int main(int argc, char* argv[]) {
    KeepFreedMemoryForReuse();
    // Arguments are taken as the bytes the shell passed: file names need not
    // be valid text.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    const std::string programFile =
        RunningProgramFile(QCoreApplication::applicationFilePath().toStdString());

    BatchOptions options;
    std::string error;
    if (!ParseBatchOptions(arguments, programFile, options, error)) {
        std::cerr << "thumbrix-batch: " << EscapeControls(error)
                  << "\nTry 'thumbrix-batch --help'.\n";
        return kUsageError;
    }
    if (options.action == BatchOptions::Action::Help) {
        std::cout << BatchUsage(BatchSettingsFile(programFile));
        return kAllConverted;
    }
    if (options.action == BatchOptions::Action::Version) {
        std::cout << "thumbrix-batch " THUMBRIX_VERSION "\n";
        return kAllConverted;
    }
    // Made once here, before the jobs start.
    DefaultJpegSettings();
    const bool progress = !options.quiet && isatty(STDERR_FILENO);
    return RunBatch(options, std::cin, std::cerr, progress);
}
