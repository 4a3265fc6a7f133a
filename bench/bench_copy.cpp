// The copy phase of the setup against a plain loop that copies the same files in
// 1000-byte blocks, in the same run. The copy phase adds a progress update and a round
// of pending-message processing per block; those must not dominate.
//
//   bench_copy [--check]    with --check, exits 1 when the copy phase takes more than
//                           1.5 times the plain loop's time
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/filelist.h"
#include "app/install.h"
#include "app/startup.h"
#include "bench/bench_main.h"
#include "framework/forms.h"
#include "framework/ui/headless.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tools/mksample/samplefiles.h"

namespace {

std::vector<std::string> g_files;
const std::string kSource = "C:\\SKYRCD";
const std::string kLoopDest = "C:\\BENCH\\loop\\";
const std::string kSetupDest = "C:\\BENCH\\setup\\";

void PlainCopy(const std::string& rel, const std::string& destDir) {
    platform::FileHandle in(
        platform::CreateFile(rel, platform::GenericRead, platform::FileShareRead, platform::OpenExisting));
    platform::FileHandle out(platform::CreateFile(destDir + rel, platform::GenericWrite, 0, platform::CreateAlways));
    char buf[1000];
    platform::DWORD n = 0, w = 0;
    do {
        platform::ReadFile(in.get(), buf, sizeof buf, n);
        if (n) platform::WriteFile(out.get(), buf, n, w);
    } while (n == sizeof buf);
}

void BM_PlainLoop(benchmark::State& state) {
    for (auto _ : state)
        for (const std::string& f : g_files) PlainCopy(f, kLoopDest);
}

void BM_CopyPhase(benchmark::State& state) {
    InstallForm->InstallDir = kSetupDest;
    for (auto _ : state)
        for (const std::string& f : g_files)
            if (!InstallForm->CopyOneFile(f)) state.SkipWithError("copy failed");
}

BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CopyPhase)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the mean time per iteration of each benchmark.
class Collect : public benchmark::ConsoleReporter {
public:
    double loop = 0, phase = 0;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
            // Processor time: the measure of the work added per block, steadier than wall time
            // on a busy machine.
            double t = r.GetAdjustedCPUTime();
            if (r.benchmark_name().find("BM_PlainLoop") == 0) loop = t;
            if (r.benchmark_name().find("BM_CopyPhase") == 0) phase = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool check = bench::InitBenchmarks(argc, argv);
    bench::FreshRoot root;
    if (!root.ok()) return 2;
    setupapp::InitialiseLibrary();
    ui::UseHeadlessBackend();
    setupapp::CreateForms();
    g_files = setupapp::StoredFileList();
    sample::Layout layout;
    if (!sample::CreateEnvironment(layout, g_files, 24).empty()) return 2;
    for (const char* d : {"C:\\BENCH", "C:\\BENCH\\loop", "C:\\BENCH\\loop\\launcher", "C:\\BENCH\\setup",
                          "C:\\BENCH\\setup\\launcher"})
        platform::CreateDirectory(d);
    platform::SetCurrentDirectory(kSource);
    InstallForm->SourceDir = kSource;

    Collect reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    if (reporter.loop > 0) {
        double ratio = reporter.phase / reporter.loop;
        std::printf("copy phase / plain loop = %.2f (limit 1.50)\n", ratio);
        if (check && ratio > 1.5) return 1;
    }
    return 0;
}
