// libFuzzer target for archives as outside data: the input is an archive; its headers are
// read and every file it names (up to eight) is extracted. Whatever the bytes, this ends
// with the engine's own errors, writes nothing but plain files inside the extraction
// folder, and no file larger than the largest size a header gives.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "platform/files.h"
#include "platform/testenv.h"
#include "registration/cmp_TVersion.h"

namespace {

const std::string kFolder = "C:\\FZ";
const std::string kArchive = kFolder + "\\in.1";  // also disk 1 of a multi-disk archive
const std::string kOut = kFolder + "\\OUT";

std::set<std::string> Entries(const std::string& folder) {
    std::vector<platform::FindData> found;
    platform::FindFiles(folder + "\\*", found);
    std::set<std::string> names;
    for (auto& f : found) names.insert(f.name);
    return names;
}

std::set<std::string> g_rootEntries;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string root = (std::filesystem::temp_directory_path() / "zarn-fuzz-archive-XXXXXX").string();
    if (!mkdtemp(root.data()) || !platform::testenv::UseRoot(root)) std::abort();
    InitVersionUnit();
    platform::CreateDirectory(kFolder);
    platform::CreateDirectory(kOut);
    g_rootEntries = Entries("C:");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::Handle h = platform::CreateFile(kArchive, platform::GenericWrite, 0, platform::CreateAlways);
    if (h == platform::InvalidHandle) std::abort();
    platform::DWORD done = 0;
    platform::WriteFile(h, data, platform::DWORD(size), done);
    platform::CloseHandle(h);

    TZarnCompress engine(nullptr);
    engine.SetCompressedFile(kArchive);
    engine.SetExtractDirectory(kOut);
    std::int64_t largest = 0;
    try {
        const int count = engine.FileCount();
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            const TFileHeaderRecord& r = engine.FileHeaders()->GetFileHeaders(i)->Record;
            largest = std::max<std::int64_t>(largest, r.FileSize());
            if (i < 8) names.push_back(r.FileName());
        }
        for (const std::string& name : names) {
            engine.SetCompressedFile(kArchive);
            engine.FilesToProcess()->Clear();
            engine.FilesToProcess()->Add(name);
            try {
                engine.Extract();
            } catch (const Exception&) {
            }
        }
    } catch (const Exception&) {
    }

    // Nothing but plain files in the extraction folder, none larger than a header allows.
    if (Entries("C:") != g_rootEntries) std::abort();
    std::set<std::string> mine = Entries(kFolder);
    mine.erase("in.1");
    if (mine != std::set<std::string>{"OUT"}) std::abort();
    std::vector<platform::FindData> out;
    platform::FindFiles(kOut + "\\*", out);
    for (auto& f : out) {
        if ((f.attributes & platform::FileAttributeDirectory) || std::int64_t(f.size) > largest) std::abort();
        platform::DeleteFile(kOut + "\\" + f.name);
    }
    return 0;
}
