// The copy phase of the setup against a plain loop that copies the same files in
// 1000-byte blocks, in the same run. The copy phase adds a progress update and a round
// of pending-message processing per block; those must not dominate.
//
// The figure is the median of ratios taken pair by pair, on a root in memory; the spread
// of the pairs is printed.
//
//   bench_copy [--check] [--pairs=N]   with --check, exits 1 when the copy phase takes more
//                                      than 1.5 times the plain loop's processor time
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void PlainLoopAll() {
    for (const std::string& f : g_files) PlainCopy(f, kLoopDest);
}

bool g_failed = false;
void CopyPhaseAll() {
    for (const std::string& f : g_files)
        if (!InstallForm->CopyOneFile(f)) g_failed = true;
}

// --pairs=N (default 9).
int PairsArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--pairs=", 8) == 0) return std::max(1, std::atoi(argv[i] + 8));
    return 9;
}

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

    InstallForm->InstallDir = kSetupDest;
    // Processor time of the process, pair by pair (the copy phase, then the plain loop);
    // each pair gives the phase's time over the loop's.
    bench::PairedRatio r = bench::MeasurePairs(PairsArgument(argc, argv), CopyPhaseAll, PlainLoopAll);
    for (double& x : r.ratios) x = 1 / x;
    std::sort(r.ratios.begin(), r.ratios.end());
    if (g_failed) {
        std::printf("the copy phase failed\n");
        return 2;
    }
    bench::PrintRatio("copy phase / plain loop processor time", r, "at most 1.50");
    return check && r.median() > 1.5 ? 1 : 0;
}
