// The archive engine against plain loops over the same files, in the same run, on a
// deterministic 64 MB corpus made at start (text-like, binary-like and incompressible
// parts):
//   Compress at colMax   against a zlib level-9 loop (deflate into a 64 KB buffer written
//                        to a file), at least 0.95 of its speed;
//   Extract              against a plain inflate loop writing to a file, at least 0.90;
//   CopyFile             against a plain 8 KB read/write loop, at least 0.90;
//   Compress with Jobs 2 against Compress with Jobs 1 (both colMax), in wall time: at
//                        least 1.8 times as fast on a machine of two or more cores;
// and the peak memory while adding and extracting a 1 GB file, under 16 MB above the
// process's start.
//
// Each speed is the median of ratios taken pair by pair (the engine's run, then the
// baseline's, repeated), on a root in memory; the spread of the pairs is printed.
//
//   bench_archive [--check] [--pairs=N]   with --check, exits 1 when a figure falls short
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "bench/bench_main.h"
#include "framework/forms.h"
#include "framework/startup.h"
#include "framework/ui/headless.h"
#include "platform/files.h"
#include "platform/thread.h"
#include "registration/cmp_TVersion.h"

namespace {

const std::string kCorpus = "C:\\BENCH\\corpus";
const std::string kOut = "C:\\BENCH\\out";
const std::string kArchive = "C:\\BENCH\\bench.arc";
constexpr std::size_t kPart = 8u << 20;  // 8 parts of 8 MB

std::vector<std::string> g_files;  // corpus files, Windows paths
TZarnCompress* g_engine = nullptr;

// ---- corpus

std::uint32_t Next(std::uint32_t& s) { return s = s * 1664525u + 1013904223u; }

std::string TextPart(std::size_t n, std::uint32_t seed) {
    static const char* words[] = {"the ", "archive ", "engine ", "writes ", "headers ", "and ", "streams ",
                                  "of ", "install ", "files, ", "with ", "progress ", "events. ", "disk ",
                                  "prompts ", "for ", "every ", "file\r\n"};
    std::string s;
    s.reserve(n);
    while (s.size() < n) s += words[(Next(seed) >> 16) % 18];
    s.resize(n);
    return s;
}
std::string BinaryPart(std::size_t n, std::uint32_t seed) {
    // Records of small integers, offsets and padding, as in executables and data files.
    std::string s(n, '\0');
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
        std::uint32_t r = Next(seed);
        std::uint32_t v[4] = {std::uint32_t(i / 16), r % 256, (r >> 8) % 4096, 0x00400000u + std::uint32_t(i)};
        std::memcpy(&s[i], v, 16);
    }
    return s;
}
std::string NoisePart(std::size_t n, std::uint32_t seed) {
    std::string s(n, '\0');
    for (auto& c : s) c = char(Next(seed) >> 24);
    return s;
}

void WriteFile(const std::string& path, const std::string& data) {
    platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways);
    platform::DWORD done = 0;
    platform::WriteFile(h, data.data(), platform::DWORD(data.size()), done);
    platform::CloseHandle(h);
}

// ---- baselines

void ZlibLevel9Loop(const std::string& src, const std::string& dst) {
    platform::Handle in = platform::CreateFile(src, platform::GenericRead, 3, platform::OpenExisting);
    platform::Handle out = platform::CreateFile(dst, platform::GenericWrite, 0, platform::CreateAlways);
    std::vector<unsigned char> ibuf(65536), obuf(65536);
    z_stream zs{};
    deflateInit(&zs, 9);
    zs.next_out = obuf.data();
    zs.avail_out = 65536;
    platform::DWORD n = 0, w = 0;
    int flush = Z_NO_FLUSH;
    do {
        platform::ReadFile(in, ibuf.data(), 65536, n);
        zs.next_in = ibuf.data();
        zs.avail_in = n;
        flush = n < 65536 ? Z_FINISH : Z_NO_FLUSH;
        int rc;
        do {
            rc = deflate(&zs, flush);
            if (zs.avail_out == 0 || rc == Z_STREAM_END) {
                platform::WriteFile(out, obuf.data(), 65536 - zs.avail_out, w);
                zs.next_out = obuf.data();
                zs.avail_out = 65536;
            }
        } while (zs.avail_in > 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    } while (flush != Z_FINISH);
    deflateEnd(&zs);
    platform::CloseHandle(in);
    platform::CloseHandle(out);
}

// Inflates one zlib stream stored at [start, start + size) of `src` into `dst`.
void InflateLoop(platform::Handle in, std::int64_t start, std::int64_t size, const std::string& dst) {
    platform::Handle out = platform::CreateFile(dst, platform::GenericWrite, 0, platform::CreateAlways);
    platform::SetFilePointer(in, platform::LONG(start), platform::FileBegin);
    std::vector<unsigned char> ibuf(65536), obuf(65536);
    z_stream zs{};
    inflateInit(&zs);
    int rc = Z_OK;
    platform::DWORD n = 0, w = 0;
    while (rc != Z_STREAM_END && size > 0) {
        platform::ReadFile(in, ibuf.data(), platform::DWORD(std::min<std::int64_t>(size, 65536)), n);
        if (n == 0) break;
        size -= n;
        zs.next_in = ibuf.data();
        zs.avail_in = n;
        do {
            zs.next_out = obuf.data();
            zs.avail_out = 65536;
            rc = inflate(&zs, Z_NO_FLUSH);
            platform::WriteFile(out, obuf.data(), 65536 - zs.avail_out, w);
        } while (zs.avail_out == 0 && rc == Z_OK);
    }
    inflateEnd(&zs);
    platform::CloseHandle(out);
}

void PlainCopy(const std::string& src, const std::string& dst) {
    platform::Handle in = platform::CreateFile(src, platform::GenericRead, 3, platform::OpenExisting);
    platform::Handle out = platform::CreateFile(dst, platform::GenericWrite, 0, platform::CreateAlways);
    char buf[8192];
    platform::DWORD n = 0, w = 0;
    do {
        platform::ReadFile(in, buf, sizeof buf, n);
        if (n) platform::WriteFile(out, buf, n, w);
    } while (n == sizeof buf);
    platform::CloseHandle(in);
    platform::CloseHandle(out);
}

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// ---- the runs compared

void ZlibLoopAll() {
    for (const std::string& f : g_files) ZlibLevel9Loop(f, kOut + "\\" + NameOf(f) + ".z");
}

void CompressAll(const std::string& archive, int jobs) {
    g_engine->SetJobs(jobs);
    g_engine->SetCompressedFile(archive);
    g_engine->SetCompressionLevel(TCompressionLevel::colMax);
    g_engine->FilesToProcess()->Clear();
    for (const std::string& f : g_files) g_engine->FilesToProcess()->Add(f);
    g_engine->Compress(TlzhCommand::lzcOverwrite);
    g_engine->SetJobs(1);
}

void InflateLoopAll() {
    g_engine->SetCompressedFile(kArchive);
    TFileHeaders* headers = g_engine->FileHeaders();
    g_engine->FileCount();
    platform::Handle in = platform::CreateFile(kArchive, platform::GenericRead, 3, platform::OpenExisting);
    for (int i = 0; i < headers->Count(); ++i) {
        const TFileHeaderRecord& r = headers->GetFileHeaders(i)->Record;
        InflateLoop(in, r.DataStart(), r.CompressedSize(), kOut + "\\" + NameOf(r.FileName()));
    }
    platform::CloseHandle(in);
}

void ExtractAll() {
    g_engine->SetCompressedFile(kArchive);
    g_engine->SetExtractDirectory(kOut);
    g_engine->SetOverwrite(TOverwriteType::owAlways);
    g_engine->FilesToProcess()->Clear();
    for (const std::string& f : g_files) g_engine->FilesToProcess()->Add(f);
    g_engine->Extract();
}

void PlainCopyAll() {
    for (const std::string& f : g_files) PlainCopy(f, kOut + "\\" + NameOf(f));
}

void CopyFileAll() {
    g_engine->SetOverwrite(TOverwriteType::owAlways);
    for (const std::string& f : g_files) g_engine->CopyFile(f, kOut + "\\" + NameOf(f));
}

// ---- memory

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// Adds a file of `mb` megabytes to an archive and extracts it again; the peak resident
// size of the process afterwards, in kB.
long AddAndExtract(std::size_t mb) {
    const std::string src = "C:\\BENCH\\big.bin";
    platform::Handle h = platform::CreateFile(src, platform::GenericWrite, 0, platform::CreateAlways);
    std::string chunk = TextPart(1 << 20, 7);
    std::uint32_t seed = 3;
    platform::DWORD done = 0;
    for (std::size_t i = 0; i < mb; ++i) {
        for (int k = 0; k < 64; ++k) chunk[std::size_t(Next(seed) % chunk.size())] = char(Next(seed) >> 24);
        platform::WriteFile(h, chunk.data(), platform::DWORD(chunk.size()), done);
    }
    platform::CloseHandle(h);
    std::string().swap(chunk);
    g_engine->SetCompressedFile("C:\\BENCH\\big.arc");
    g_engine->SetCompressionLevel(TCompressionLevel::colFastest);
    g_engine->FilesToProcess()->Clear();
    g_engine->FilesToProcess()->Add(src);
    g_engine->Compress(TlzhCommand::lzcOverwrite);
    g_engine->SetCompressedFile("C:\\BENCH\\big.arc");
    g_engine->SetExtractDirectory(kOut);
    g_engine->FilesToProcess()->Clear();
    g_engine->FilesToProcess()->Add(src);
    g_engine->Extract();
    platform::Handle back = platform::CreateFile(kOut + "\\big.bin", platform::GenericRead, 3, platform::OpenExisting);
    const bool same = platform::GetFileSize(back) == mb << 20;
    platform::CloseHandle(back);
    platform::DeleteFile(src);
    platform::DeleteFile("C:\\BENCH\\big.arc");
    platform::DeleteFile(kOut + "\\big.bin");
    return same ? StatusKb("VmHWM:") : -1;
}

// --pairs=N (default 5).
int PairsArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--pairs=", 8) == 0) return std::max(1, std::atoi(argv[i] + 8));
    return 5;
}

}  // namespace

int main(int argc, char** argv) {
    const long startKb = StatusKb("VmRSS:");
    const bool check = bench::InitBenchmarks(argc, argv);
    bench::FreshRoot root;
    if (!root.ok()) return 2;
    InitVersionUnit();
    InitApplication();
    ui::UseHeadlessBackend();
    g_engine = new TZarnCompress(nullptr);
    for (const char* d : {"C:\\BENCH", "C:\\BENCH\\corpus", "C:\\BENCH\\out"}) platform::CreateDirectory(d);

    // Memory first, before the corpus is made, so the peak counts the engine only.
    const long peakKb = AddAndExtract(1024);
    const double memMb = peakKb < 0 ? 1e9 : (peakKb - startKb) / 1024.0;

    const char* kinds[] = {"text", "binary", "noise", "text", "binary", "text", "binary", "noise"};
    for (int i = 0; i < 8; ++i) {
        std::string name = kCorpus + "\\part" + std::to_string(i) + "." + kinds[i];
        std::string data = kinds[i][0] == 't'   ? TextPart(kPart, 100 + i)
                           : kinds[i][0] == 'b' ? BinaryPart(kPart, 200 + i)
                                                : NoisePart(kPart, 300 + i);
        WriteFile(name, data);
        g_files.push_back(name);
    }

    // The archive the extraction runs read (each compression run writes it again).
    CompressAll(kArchive, 1);

    // Processor time of the process for the single-threaded pairs (what the engine adds
    // to the same work, not what else the machine does meanwhile); wall time for the
    // parallel compression, which is what it saves.
    const int pairs = PairsArgument(argc, argv);
    using bench::MeasurePairs;
    const auto compress = MeasurePairs(pairs, [] { CompressAll(kArchive, 1); }, ZlibLoopAll);
    const auto extract = MeasurePairs(pairs, ExtractAll, InflateLoopAll);
    const auto copy = MeasurePairs(pairs, CopyFileAll, PlainCopyAll);
    const auto jobs2 = MeasurePairs(
        pairs, [] { CompressAll("C:\\BENCH\\bench2.arc", 2); }, [] { CompressAll(kArchive, 1); },
        bench::WallSeconds);
    delete g_engine;

    const bool twoCores = platform::ProcessorCount() >= 2;
    char cores[80];
    std::snprintf(cores, sizeof cores, "at least 1.8 on 2 or more cores; %u here", platform::ProcessorCount());
    bench::PrintRatio("Compress (colMax) / zlib level-9 loop speed", compress, "at least 0.95");
    bench::PrintRatio("Extract / plain inflate loop speed", extract, "at least 0.90");
    bench::PrintRatio("CopyFile / plain 8 KB copy loop speed", copy, "at least 0.90");
    bench::PrintRatio("Compress Jobs 2 / Jobs 1 wall-time speed", jobs2, cores);
    std::printf("%-46s = %.1f MB above the start (under 16)\n", "peak memory adding and extracting 1 GB", memMb);
    if (!check) return 0;
    return compress.median() >= 0.95 && extract.median() >= 0.90 && copy.median() >= 0.90 &&
                   (!twoCores || jobs2.median() >= 1.8) && memMb < 16
               ? 0
               : 1;
}
