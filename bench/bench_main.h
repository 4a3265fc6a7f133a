// What every benchmark program does around its own work: its --check switch, the
// benchmark library's options, and a fresh temporary folder that stands for the drives.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
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

// A new temporary folder as the root of the platform's drives for the whole run, removed
// again when this object goes. ok() is false when it could not be made.
class FreshRoot {
public:
    FreshRoot() : path_((std::filesystem::temp_directory_path() / "zarn-bench-XXXXXX").string()) {
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

}  // namespace bench
