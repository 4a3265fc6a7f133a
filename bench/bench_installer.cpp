// Setup programs of ours against NSIS's, in the same run, on a corpus made at start
// (at least 64 MB, the same bytes every run on one machine): Wine's own 32-bit PE images
// and a rebuilt variant of some of them (the same code with changed bytes), documentation
// texts, already-compressed files and noise, and files that are there twice.
//
//   size     our solid setup.exe against makensis /SOLID lzma of the same files: at most
//            1.0;
//   build    zbuild (solid, default jobs) against makensis /SOLID lzma, wall time, pair
//            by pair: at most 1.0;
//   install  our setup.exe /S against NSIS's /S, both under Wine into fresh folders,
//            wall time, pair by pair: at most 1.0 (left out without Wine);
//   stub     zsetup.exe against NSIS's installer of no files: reported, aim 4 or less;
//   memory   peak of the host runtime installing the corpus, and twice the corpus, above
//            its peak installing one small file: under the LZMA dictionary plus 16 MB.
// Without makensis our own figures are printed and the ratios left out, saying so.
//
//   bench_installer [--check] [--pairs=N] [--keep]   N pairs (default 2) after one warm-up
//                                                    build; --keep leaves the work folder
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_main.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr double kDictionaryMB = 64;  // zbuild's LZMA dictionary (at most)
constexpr double kMemoryAboveMB = 16;

struct Result {
    int code = -1;
    double seconds = 0;
    double peakMB = 0;  // the child's maximum resident set
};

// Runs `args` with `env` added, its output into `log`; waits for it.
Result Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
           const std::string& log) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string s = *e;
        if (!env.count(s.substr(0, s.find('=')))) envText.push_back(s);
    }
    for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    Result r;
    const double t0 = bench::WallSeconds();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) r.code = WEXITSTATUS(status);
        r.peakMB = double(usage.ru_maxrss) / 1024.0;
    }
    r.seconds = bench::WallSeconds() - t0;
    posix_spawn_file_actions_destroy(&actions);
    return r;
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "";
    for (std::size_t a = 0; a <= p.size();) {
        std::size_t b = p.find(':', a);
        if (b == std::string::npos) b = p.size();
        if (b > a && access((p.substr(a, b - a) + "/" + program).c_str(), X_OK) == 0) return true;
        a = b + 1;
    }
    return false;
}

std::uint32_t Next(std::uint32_t& s) { return s = s * 1664525u + 1013904223u; }

void Write(const fs::path& path, const std::string& data) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(data.data(), std::streamsize(data.size()));
}
std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The files of `dir` (not below), sorted, that `keep` accepts.
std::vector<fs::path> Sorted(const fs::path& dir, bool recursive, bool (*keep)(const fs::path&, std::uintmax_t)) {
    std::vector<fs::path> out;
    std::error_code ec;
    auto take = [&](const fs::directory_entry& e) {
        if (e.is_regular_file(ec) && !e.is_symlink(ec) && keep(e.path(), e.file_size(ec))) out.push_back(e.path());
    };
    if (recursive)
        for (const auto& e : fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied, ec))
            take(e);
    else
        for (const auto& e : fs::directory_iterator(dir, ec)) take(e);
    std::sort(out.begin(), out.end());
    return out;
}

// The corpus in `dir`; its size in bytes.
std::uintmax_t MakeCorpus(const fs::path& dir) {
    std::uintmax_t total = 0;
    auto put = [&](const fs::path& path, const std::string& data) {
        Write(path, data);
        total += data.size();
    };
    fs::path wine = "/usr/lib/i386-linux-gnu/wine/i386-windows";
    if (!fs::is_directory(wine)) wine = "/usr/lib/wine/i386-windows";
    const auto dlls = Sorted(wine, false, [](const fs::path& p, std::uintmax_t size) {
        return (p.extension() == ".dll" || p.extension() == ".exe") && size > 16384 && size < (3u << 20);
    });
    std::vector<fs::path> pe;
    for (const fs::path& p : dlls) {
        if (total > (30u << 20)) break;
        pe.push_back(p);
        put(dir / "bin" / p.filename(), Read(p));
    }
    // A rebuilt variant of some: the same code, a byte changed every 4 KB.
    for (std::size_t i = 0; i < pe.size() && i < 60; ++i) {
        std::string data = Read(pe[i * 3 % pe.size()]);
        for (std::size_t k = 1000; k < data.size(); k += 4096) data[k] = char(data[k] ^ 0x21);
        put(dir / "bin2" / pe[i * 3 % pe.size()].filename(), data);
    }
    // Texts, and what is compressed already.
    const auto docs = Sorted("/usr/share/doc", true, [](const fs::path& p, std::uintmax_t size) {
        return size > 0 && size < (1u << 20) && p.string().size() < 200;
    });
    std::uintmax_t texts = 0, packed = 0;
    int n = 0;
    for (const fs::path& p : docs) {
        const bool gz = p.extension() == ".gz";
        std::uintmax_t& sum = gz ? packed : texts;
        if (sum > (6u << 20)) continue;
        const std::string data = Read(p);
        sum += data.size();
        std::string name = std::to_string(++n) + "-" + p.filename().string();
        if (name.size() > 40) name = name.substr(0, 40);
        put(dir / (gz ? "gz" : "doc") / name, data);
    }
    std::uint32_t seed = 7;
    std::string noise(4u << 20, '\0');
    for (char& c : noise) c = char(Next(seed) >> 24);
    put(dir / "gz" / "noise.bin", noise);
    // Files that are there twice.
    for (std::size_t i = 0; i < pe.size() && i < 40; ++i) put(dir / "dup" / pe[i * 7 % pe.size()].filename(), Read(pe[i * 7 % pe.size()]));
    // Topped up to 64 MB with more of the PE images.
    for (std::size_t i = 0; total < (64u << 20) + (1u << 20) && i < pe.size(); ++i) {
        std::string data = Read(pe[i]);
        for (std::size_t k = 500; k < data.size(); k += 1024) data[k] = char(data[k] + 1);
        put(dir / "bin3" / pe[i].filename(), data);
    }
    return total;
}

// Every file of `from` again in `to`, each led by 8 bytes of its own (no file of one is
// a file of the other).
void Variant(const fs::path& from, const fs::path& to) {
    int n = 0;
    for (const fs::path& p : Sorted(from, true, [](const fs::path&, std::uintmax_t) { return true; })) {
        char lead[12];
        std::snprintf(lead, sizeof lead, "%08d", ++n);
        Write(to / fs::relative(p, from), std::string(lead, 8) + Read(p));
    }
}

// The folders' files below the main folder: one folder's right there, several each in
// a folder of its name.
std::string Description(const std::vector<std::string>& folders) {
    std::string s =
        "object Setup: TSetupDescription\n"
        "  AddUninstaller = False\n"
        "  Compression = pcSolid\n"
        "  object Product: TMainInstall\n"
        "    ProductName = 'Bench'\n"
        "    ProductVersion = '1.0'\n"
        "    Publisher = 'Bench'\n"
        "    DestDir = '\\Bench'\n"
        "    DestDirType = ddProgramFilesDir\n"
        "  end\n"
        "  object Files: TInstallFileGroup\n"
        "    Container = Product\n"
        "    DestDirType = ddMainInstallDir\n"
        "  end\n";
    int n = 0;
    for (const std::string& f : folders) {
        s += "  object Folder" + std::to_string(++n) + ": TInstallFolder\n    Container = Files\n    SourceDir = '" + f +
             "'\n" + (folders.size() > 1 ? "    DestDir = '\\" + f + "'\n" : std::string()) + "  end\n";
    }
    return s + "end\n";
}

std::string NsisScript(const std::string& out, const std::string& files) {
    return "Unicode true\nSetCompressor /SOLID lzma\nOutFile \"" + out +
           "\"\nInstallDir \"$PROGRAMFILES\\Bench\"\nRequestExecutionLevel user\nSection\nSetOutPath $INSTDIR\n" +
           files + "SectionEnd\n";
}

// Pair by pair, ours then theirs: each ratio is our time over theirs.
bench::PairedRatio Pairs(int pairs, const std::function<double()>& ours, const std::function<double()>& theirs) {
    bench::PairedRatio r;
    for (int i = 0; i < pairs; ++i) {
        const double a = ours(), b = theirs();
        if (a > 0 && b > 0) r.ratios.push_back(a / b);
    }
    std::sort(r.ratios.begin(), r.ratios.end());
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    bool check = false, keep = false;
    int pairs = 2;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0)
            check = true;
        else if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else if (std::strncmp(argv[i], "--pairs=", 8) == 0)
            pairs = std::max(1, std::atoi(argv[i] + 8));
    }
    const bool wine = OnPath("wine");
    if (wine && !std::getenv("DISPLAY") && OnPath("xvfb-run")) {
        // Wine wants a display, even for silent installers: an own one.
        std::vector<char*> args{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                                const_cast<char*>("-screen 0 1024x768x24")};
        for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
    }
    const std::string zbuild = ZARN_BENCH_ZBUILD, zsetup = ZARN_BENCH_ZSETUP;
    const std::string runtime = std::string(ZARN_BENCH_RUNTIME) + "/zsetup.exe";
    if (!fs::exists(runtime)) {
        std::printf("the shipped runtime %s is missing: build the win32 preset\n", runtime.c_str());
        return 1;
    }
    const bool nsis = OnPath("makensis");
    // Lower case only: the host Windows maps the path's letters without regard to case.
    const fs::path work = "/tmp/zarn-bench-installer-" + std::to_string(getpid());
    std::error_code made;
    if (!fs::create_directory(work, made)) return 1;
    struct Cleanup {
        fs::path p;
        bool keep;
        ~Cleanup() {
            std::error_code ec;
            if (keep)
                std::printf("the work folder is kept: %s\n", p.c_str());
            else
                fs::remove_all(p, ec);
        }
    } cleanup{work, keep};
    const std::string log = (work / "log.txt").string();
    const std::map<std::string, std::string> hostEnv{{"ZARN_WINDOWS_ROOT", (work / "root").string()}, {"LANG", "C"}};
    bool ok = true;
    auto fail = [&](const std::string& what) {
        std::printf("FAILED: %s (see the log: %s)\n", what.c_str(), Read(log).substr(0, 2000).c_str());
        ok = false;
    };

    const double corpusMB = double(MakeCorpus(work / "corpus")) / 1048576.0;
    Write(work / "setup.zis", Description({"corpus"}));
    Write(work / "nsis.nsi", NsisScript("nsis.exe", "File /r \"corpus\\*.*\"\n"));
    Write(work / "empty.nsi", NsisScript("empty.nsi.exe", ""));
    std::printf("corpus: %.1f MB in %zu files; %d pairs\n", corpusMB,
                Sorted(work / "corpus", true, [](const fs::path&, std::uintmax_t) { return true; }).size(), pairs);

    const std::string setup = (work / "setup.exe").string(), desc = (work / "setup.zis").string();
    auto buildOurs = [&] {
        const Result r = Run({zbuild, "-q", desc, "-o", setup}, hostEnv, log);
        if (r.code != 0) fail("zbuild");
        return r.seconds;
    };
    auto buildTheirs = [&] {
        const Result r = Run({"makensis", "-V1", (work / "nsis.nsi").string()}, {}, log);
        if (r.code != 0) fail("makensis");
        return r.seconds;
    };
    const double firstBuild = buildOurs();
    if (!ok) return 1;
    const double ourSize = double(fs::file_size(setup));
    std::printf("our solid setup.exe: %.2f MB, built in %.1f s\n", ourSize / 1048576.0, firstBuild);
    const double stub = double(fs::file_size(runtime));

    if (nsis) {
        buildTheirs();
        Run({"makensis", "-V1", (work / "empty.nsi").string()}, {}, log);
        const double theirSize = double(fs::file_size(work / "nsis.exe"));
        const double sizeRatio = ourSize / theirSize;
        std::printf("%-46s = %.3f  (%.2f MB / %.2f MB; at most 1.0)\n", "size: ours / makensis /SOLID lzma", sizeRatio,
                    ourSize / 1048576.0, theirSize / 1048576.0);
        if (sizeRatio > 1.0) ok = false;
        const bench::PairedRatio build = Pairs(pairs, buildOurs, buildTheirs);
        bench::PrintRatio("build: zbuild / makensis (wall)", build, "at most 1.0");
        if (build.median() > 1.0) ok = false;
        const double emptyNsis = double(fs::file_size(work / "empty.nsi.exe"));
        std::printf("%-46s = %.2f  (%.0f / %.0f bytes; aim 4 or less, reported)\n",
                    "stub: zsetup.exe / NSIS without files", stub / emptyNsis, stub, emptyNsis);
    } else {
        std::printf("makensis is not installed: the size, build and install ratios are left out\n");
        std::printf("zsetup.exe: %.0f bytes\n", stub);
    }

    if (nsis && wine) {
        const std::map<std::string, std::string> wineEnv{{"WINEPREFIX", (work / "wine").string()},
                                                         {"WINEDEBUG", "-all"},
                                                         {"WINEDLLOVERRIDES", "mscoree,mshtml=,winemenubuilder.exe=d"}};
        Run({"wineboot", "-i"}, wineEnv, log);
        Run({"wineserver", "-w"}, wineEnv, log);
        int n = 0;
        const fs::path drive = work / "wine" / "drive_c";
        // The first install of ours is compared with the corpus file by file.
        auto install = [&](const std::string& program, const char* prefix, bool compare = false) {
            const std::string folder = std::string(prefix) + std::to_string(++n);
            const Result r = Run({"wine", program, "/S", "/D=C:\\" + folder}, wineEnv, log);
            std::error_code ec;
            const bool there = fs::exists(drive / folder / "gz" / "noise.bin", ec);
            if (compare) {
                std::size_t differ = 0, files = 0;
                for (const fs::path& p : Sorted(work / "corpus", true, [](const fs::path&, std::uintmax_t) { return true; })) {
                    ++files;
                    if (Read(p) != Read(drive / folder / fs::relative(p, work / "corpus"))) ++differ;
                }
                std::printf("%-46s = %zu of %zu files differ\n", "our install under Wine against the corpus", differ, files);
                if (differ) fail("the installed files differ from the corpus");
            }
            fs::remove_all(drive / folder, ec);
            if (r.code != 0 || !there) fail(std::string("the silent install of ") + program);
            return r.seconds;
        };
        const std::string theirs = (work / "nsis.exe").string();
        install(setup, "ours", true);
        install(theirs, "theirs");
        const bench::PairedRatio inst = Pairs(
            pairs, [&] { return install(setup, "ours"); }, [&] { return install(theirs, "theirs"); });
        bench::PrintRatio("install under Wine: ours / NSIS (wall)", inst, "at most 1.0");
        if (inst.median() > 1.0) ok = false;
        Run({"wineserver", "-k"}, wineEnv, log);
    } else if (nsis) {
        std::printf("Wine is not installed: the install ratio is left out\n");
    }

    // Memory: the host runtime, against its own run over one small file.
    Write(work / "small" / "one.txt", "one small file\n");
    Write(work / "small.zis", Description({"small"}));
    const std::string small = (work / "small.exe").string();
    if (Run({zbuild, "-q", (work / "small.zis").string(), "-o", small}, hostEnv, log).code != 0) fail("zbuild small");
    auto peak = [&](const std::string& program) {
        std::error_code ec;
        fs::remove_all(work / "root", ec);
        const Result r = Run({zsetup, program, "/S", "/D=C:\\Mem"}, hostEnv, log);
        if (r.code != 0) fail("the host install of " + program);
        return r.peakMB;
    };
    const double base = peak(small);
    const double once = peak(setup) - base;
    Variant(work / "corpus", work / "corpus2");
    Write(work / "twice.zis", Description({"corpus", "corpus2"}));
    const std::string twice = (work / "twice.exe").string();
    if (Run({zbuild, "-q", (work / "twice.zis").string(), "-o", twice}, hostEnv, log).code != 0) fail("zbuild twice");
    const double twiceMB = peak(twice) - base;
    const double limit = kDictionaryMB + kMemoryAboveMB;
    std::printf("%-46s = %.1f MB  (at most %.0f: dictionary %.0f + %.0f)\n", "memory above start: the corpus", once,
                limit, kDictionaryMB, kMemoryAboveMB);
    std::printf("%-46s = %.1f MB  (at most %.0f)\n", "memory above start: twice the corpus", twiceMB, limit);
    if (once >= limit || twiceMB >= limit) ok = false;

    std::printf("verdict: %s\n", ok ? "pass" : "FAIL");
    return check && !ok ? 1 : 0;
}
