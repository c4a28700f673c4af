// Planning a listed library with thumbrix-batch's collector and planner: the
// names come from a --files-from list of empty files, each gets one status and
// its output is hashed. Reports the process's peak memory after each size.
// The files are made once under $TMPDIR (about 1,100,000 of them) and removed
// at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/batchoptions.h"
#include "cli/batchplan.h"
#include "cli/sourcecollector.h"

namespace {

std::string Root() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr ? tmp : "/tmp") + "/thumbrix-bench-plan-" +
           std::to_string(getpid());
}

// count empty files in folders of 1000, listed one a line; returns the list.
std::string MakeLibrary(int64_t count) {
    const std::string folder = Root() + "/lib" + std::to_string(count);
    const std::string list = folder + ".list";
    std::filesystem::create_directories(folder);
    std::ofstream names(list);
    char name[64];
    for (int64_t i = 0; i < count; ++i) {
        if (i % 1000 == 0)
            std::filesystem::create_directories(folder + "/d" + std::to_string(i / 1000));
        std::snprintf(name, sizeof name, "/d%lld/IMG_%07lld.jpg", static_cast<long long>(i / 1000),
                      static_cast<long long>(i));
        const std::string path = folder + name;
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) ::close(fd);
        names << path << '\n';
    }
    return list;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_PlanListedFiles(benchmark::State& state) {
    const std::string list = MakeLibrary(state.range(0));
    BatchOptions options;
    options.lists = {{0, list}};
    options.base = Root();
    options.settings.destination = Root() + "/out/";
    std::filesystem::create_directories(options.settings.destination);
    size_t groups = 0;
    for (auto _ : state) {
        std::istringstream none;
        SourceCollector collector(options, none, [](const std::string&, const std::string&) {});
        const BatchPlan plan(collector.collect(), options.settings);
        groups = plan.groups().size();
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = double(groups);
    state.counters["peak_rss_MB"] = PeakMegabytes();
}
BENCHMARK(BM_PlanListedFiles)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Root());
    return 0;
}
