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
#include "platform/files.h"
#include "platform/testenv.h"
#include "tools/mksample/samplefiles.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "mksample: %s (error %u)\n", what.c_str(), unsigned(platform::GetLastError()));
    std::exit(1);
}

void MakeFolder(const std::string& path) {
    if (platform::DirectoryExists(path)) return;
    if (!platform::CreateDirectory(path)) Fail("cannot create folder " + path);
}

void WriteWhole(const std::string& path, const std::vector<std::uint8_t>& data) {
    platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways);
    if (h == platform::InvalidHandle) Fail("cannot create " + path);
    std::size_t done = 0;
    while (done < data.size()) {
        platform::DWORD chunk = platform::DWORD(std::min<std::size_t>(data.size() - done, 1 << 20));
        platform::DWORD written = 0;
        if (!platform::WriteFile(h, data.data() + done, chunk, written) || written != chunk) {
            platform::CloseHandle(h);
            Fail("cannot write " + path);
        }
        done += chunk;
    }
    platform::CloseHandle(h);
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

    try {
        sample::Layout layout;
        MakeFolder(layout.quakeDir);
        MakeFolder(layout.quakeDir + "\\id1");
        MakeFolder(layout.quakeDir + "\\id1\\glquake");
        WriteWhole(layout.quakeDir + "\\quake.exe", sample::FileContents("quake.exe", 0));
        WriteWhole(layout.quakeDir + "\\id1\\pak0.pak", sample::QuakePack(2));
        WriteWhole(layout.quakeDir + "\\id1\\config.cfg", sample::FileContents("config.cfg", 0));
        for (const std::string& c : sample::GlQuakeCaches())
            WriteWhole(layout.quakeDir + "\\id1\\glquake\\" + c, sample::FileContents(c, 0));
        for (const std::string& k : sample::GlQuakeKeptFiles())
            WriteWhole(layout.quakeDir + "\\id1\\glquake\\" + k, sample::FileContents(k, 0));

        MakeFolder(layout.sourceDir);
        MakeFolder(layout.sourceDir + "\\launcher");
        std::vector<std::string> files = setupapp::StoredFileList();
        for (const std::string& f : files)
            WriteWhole(layout.sourceDir + "\\" + f, sample::FileContents(f, pakMegabytes));

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
