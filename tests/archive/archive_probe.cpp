// archive_probe: drives the archive engine from the command line, so that scripts can
// check its archives with outside tools and compare the two builds. Paths are Windows
// paths (Z:\... reaches every host path in both builds).
//
//   archive_probe pack <archive> <file>...        adds the files at the highest level
//   archive_probe unpack <archive> <folder>       extracts every file into the folder
//   archive_probe list <archive>                  name, size, compressed size, date, version
//   archive_probe share <archive> <dest>          <archive> with identical files stored once
#include <cstdio>
#include <string>

#include "archive/cmp_TZarnCompress.h"
#include "archive/routines_ShareData.h"
#include "registration/cmp_TVersion.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: archive_probe pack|unpack|list <archive> ...\n");
        return 2;
    }
    const std::string command = argv[1];
    InitVersionUnit();
    TZarnCompress engine(nullptr);
    engine.SetCompressedFile(argv[2]);
    try {
        if (command == "pack") {
            for (int i = 3; i < argc; ++i) engine.FilesToProcess()->Add(argv[i]);
            engine.Compress(TlzhCommand::lzcOverwrite);
        } else if (command == "unpack" && argc == 4) {
            engine.SetExtractDirectory(argv[3]);
            for (int i = 0; i < engine.FileCount(); ++i)
                engine.FilesToProcess()->Add(engine.FileHeaders()->GetFileHeaders(i)->Record.FileName());
            engine.Extract();
        } else if (command == "share" && argc == 4) {
            const TShareResult r = ShareIdenticalData(argv[2], argv[3]);
            std::printf("%d shared, %lld bytes saved\n", r.shared, (long long)r.saved);
        } else if (command == "list") {
            for (int i = 0; i < engine.FileCount(); ++i) {
                const TFileHeaderRecord& r = engine.FileHeaders()->GetFileHeaders(i)->Record;
                int y, mo, d, h, mi, s, ms;
                DecodeDate(r.FileDate(), y, mo, d);
                DecodeTime(r.FileDate(), h, mi, s, ms);
                std::printf("%s|%d|%d|%04d-%02d-%02d %02d:%02d:%02d|%s\n", r.FileName().c_str(), int(r.FileSize()),
                            int(r.CompressedSize()), y, mo, d, h, mi, s, r.FileVersion().c_str());
            }
        } else {
            std::printf("unknown command %s\n", command.c_str());
            return 2;
        }
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
        return 1;
    }
    return 0;
}
