// What every benchmark program does around its own work: its --check switch, the
// benchmark library's options, and a fresh temporary folder that stands for the drives.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/testenv.h"

namespace bench {

// Hands the arguments to the benchmark library, all but --check; whether it was given.
inline bool InitBenchmarks(int argc, char** argv) {
    bool check = false;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0)
            check = true;
        else
            args.push_back(argv[i]);
    }
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    return check;
}

// Where the root goes: a memory file system when there is one, so that what the runs write
// costs the same every time (no write-back of a disk's cache half-way through a run).
inline std::filesystem::path RootBase() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// A new temporary folder as the root of the platform's drives for the whole run, removed
// again when this object goes. ok() is false when it could not be made.
class FreshRoot {
public:
    FreshRoot() : path_((RootBase() / "zarn-bench-XXXXXX").string()) {
        ok_ = mkdtemp(path_.data()) && platform::testenv::UseRoot(path_);
    }
    ~FreshRoot() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    FreshRoot(const FreshRoot&) = delete;
    FreshRoot& operator=(const FreshRoot&) = delete;
    bool ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = false;
};

// Seconds of processor time of the whole process (every thread), or of the wall clock.
inline double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
inline double WallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A ratio measured pair by pair: the engine's run, then the baseline's, `pairs` times after
// one run of each to warm up; each pair gives one ratio (baseline time / engine time, so
// above 1 the engine is faster). The median decides; the spread is shown.
struct PairedRatio {
    std::vector<double> ratios;  // sorted
    double median() const {
        const std::size_t n = ratios.size();
        return n == 0 ? 0 : n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
    }
    double low() const { return ratios.empty() ? 0 : ratios.front(); }
    double high() const { return ratios.empty() ? 0 : ratios.back(); }
};
inline PairedRatio MeasurePairs(int pairs, const std::function<void()>& engine, const std::function<void()>& baseline,
                                double (*clock)() = ProcessSeconds) {
    engine();
    baseline();
    PairedRatio r;
    for (int i = 0; i < pairs; ++i) {
        double t0 = clock();
        engine();
        double t1 = clock();
        baseline();
        double t2 = clock();
        if (t1 > t0) r.ratios.push_back((t2 - t1) / (t1 - t0));
    }
    std::sort(r.ratios.begin(), r.ratios.end());
    return r;
}
// "name = median (spread low..high over n pairs, limit)".
inline void PrintRatio(const char* name, const PairedRatio& r, const char* limit) {
    std::printf("%-46s = %.3f  (%zu pairs: %.3f..%.3f; %s)\n", name, r.median(), r.ratios.size(), r.low(), r.high(),
                limit);
}

}  // namespace bench
