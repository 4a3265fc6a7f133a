// Creates a ready sample environment for the setup program: a host Windows root (or an
// existing Wine prefix) with a sample Quake installation in C:\QUAKE and the setup's
// source folder C:\SKYRCD holding the sixty game files.
//
//   mksample [--root DIR] [--pak-mb N] [--quiet]
//
// Every file's contents are derived from its name, so two runs give identical files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/filelist.h"
#include "framework/classes.h"
#include "framework/resources.h"
#include "platform/testenv.h"
#include "tools/mksample/samplefiles.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "mksample: %s (error %u)\n", what.c_str(), unsigned(platform::GetLastError()));
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    std::string root;
    int pakMegabytes = 24;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (a == "--pak-mb" && i + 1 < argc) {
            pakMegabytes = std::atoi(argv[++i]);
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            std::fprintf(stderr, "usage: mksample [--root DIR] [--pak-mb N] [--quiet]\n");
            return 2;
        }
    }
    if (!platform::testenv::Available()) {
        std::fprintf(stderr, "mksample: runs over the host's own Windows only\n");
        return 2;
    }
    if (!root.empty() && !platform::testenv::UseRoot(root)) Fail("cannot use root " + root);

    InitResources();
    try {
        sample::Layout layout;
        std::vector<std::string> files = setupapp::StoredFileList();
        std::string error = sample::CreateEnvironment(layout, files, pakMegabytes);
        if (!error.empty()) Fail(error);
        if (!quiet) {
            std::printf("Sample environment ready in %s\n", platform::testenv::Root().c_str());
            std::printf("  Quake:          %s\\quake.exe\n", layout.quakeDir.c_str());
            std::printf("  Setup sources:  %s (%zu files)\n", layout.sourceDir.c_str(), files.size());
            if (auto host = platform::testenv::HostPath(layout.sourceDir))
                std::printf("  (on this machine: %s)\n", host->c_str());
        }
    } catch (const Exception& e) {
        Fail(e.Message());
    }
    return 0;
}
