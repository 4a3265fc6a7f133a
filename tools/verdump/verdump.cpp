// verdump: prints, for each Windows path on the command line, the fifteen strings that the
// version reader gives with its default language and code page, then every string table
// that the resource's translation list names, key by key. Built in both builds, so the
// outputs of the host's reader and of the real API can be compared byte for byte.
//
//   verdump [-o output-file] path...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/version.h"
#include "registration/cmp_TVersion.h"

namespace {

const char* const kNames[15] = {"Comment",          "CompanyName",  "FileDescription",
                                "FileVersion",      "InternalName", "LegalCopyright",
                                "LegalTradeMarks",  "OriginalFileName", "PrivateBuild",
                                "ProductName",      "ProductVersion",   "SpecialBuild",
                                "FileOS",           "FileType",     "FileSubType"};

const char* const kKeys[] = {"Comments",        "CompanyName",      "FileDescription",
                             "FileVersion",     "InternalName",     "LegalCopyright",
                             "LegalTrademarks", "OriginalFilename", "PrivateBuild",
                             "ProductName",     "ProductVersion",   "SpecialBuild",
                             "OLESelfRegister"};

void Dump(FILE* out, TVersionResource& reader, const std::string& path) {
    std::fprintf(out, "== %s\n", path.c_str());
    reader.SetFileName(path);
    std::vector<std::string> strings = reader.VersionInfo()->AllStrings();
    for (int i = 0; i < 15; ++i) std::fprintf(out, "%s=%s\n", kNames[i], strings[i].c_str());

    platform::DWORD handle = 0;
    platform::DWORD size = platform::GetFileVersionInfoSize(path, handle);
    std::fprintf(out, "info=%s\n", size ? "yes" : "no");
    if (!size) return;
    std::vector<platform::BYTE> data;
    if (!platform::GetFileVersionInfo(path, size, data)) return;
    const void* p = nullptr;
    platform::UINT len = 0;
    if (!platform::VerQueryValue(data, "\\VarFileInfo\\Translation", p, len)) return;
    std::vector<platform::WORD> pairs(len / 2);
    if (!pairs.empty()) std::memcpy(pairs.data(), p, pairs.size() * 2);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        char table[16];
        std::snprintf(table, sizeof table, "%04X%04X", unsigned(pairs[i]), unsigned(pairs[i + 1]));
        std::fprintf(out, "-- %s\n", table);
        for (const char* key : kKeys) {
            std::string block = std::string("\\StringFileInfo\\") + table + "\\" + key;
            if (!platform::VerQueryValue(data, block, p, len)) continue;
            std::fprintf(out, "%s=%s\n", key, len ? static_cast<const char*>(p) : "");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    FILE* out = stdout;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-o") == 0) {
        out = std::fopen(argv[2], "wb");
        if (!out) {
            std::fprintf(stderr, "verdump: cannot write %s\n", argv[2]);
            return 2;
        }
        first = 3;
    }
    TVersionResource reader(nullptr);
    for (int i = first; i < argc; ++i) Dump(out, reader, argv[i]);
    if (out != stdout) std::fclose(out);
    return 0;
}
