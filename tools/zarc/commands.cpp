// The commands of zarc.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "framework/datetime.h"
#include "framework/paths.h"
#include "framework/ui/backend.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/thread.h"
#include "registration/cmp_TVersion.h"
#include "tools/zarc/diskset.h"
#include "tools/zarc/options.h"
#include "tools/zarc/progress.h"
#include "tools/zarc/zarc.h"

namespace zarc {

namespace {

// Ctrl+C: the run ends at the next safe point.
struct Stopped {
    std::string what;  // what was left behind, for the message
};

// Message boxes of the library (the engine shows some when a source file cannot be
// opened) are written to standard error; nothing else of a ui is needed.
class ConsoleBackend : public ui::TBackend {
public:
    explicit ConsoleBackend(Console& console) : console_(console) {}
    std::string Name() const override { return "zarc"; }
    void FormShown(TForm*) override {}
    void FormHidden(TForm*) override {}
    TModalResult MessageBox(const ui::TMessageBoxRequest& request) override {
        console_.Err("zarc: " + request.text + "\n");
        return mrOk;
    }
    bool ExecuteOpenDialog(TOpenDialog*) override { return false; }
    void TimerChanged(TTimer*) override {}
    void ProcessMessages() override {}
    void WaitMessage() override {}

private:
    Console& console_;
};

// part / whole as a whole percentage, halves to even; 0 when whole is 0.
long long Percent(std::int64_t part, std::int64_t whole) {
    return whole == 0 ? 0 : static_cast<long long>(std::nearbyint(double(part) * 100.0 / double(whole)));
}

std::string DateText(TDateTime value, char between) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
    if (std::isfinite(value)) {
        DecodeDate(value, y, mo, d);
        DecodeTime(value, h, mi, s, ms);
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d%c%02d:%02d:%02d", y, mo, d, between, h, mi, s);
    return buf;
}

// A JSON string of ANSI (Windows-1252) text.
std::string JsonText(const std::string& s) {
    static const unsigned short high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                            0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x80) {
            out += char(c);
        } else {
            const unsigned code = c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c;
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", code);
            out += buf;
        }
    }
    return out + "\"";
}

bool NameLess(const platform::FindData& a, const platform::FindData& b) {
    const std::string ua = UpperCase(a.name), ub = UpperCase(b.name);
    return ua != ub ? ua < ub : a.name < b.name;
}

// `folder` + "\" + `name`; just `name` for an empty folder.
std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : AddTrailingBackslash(folder) + name;
}

// One file to add: where it is, the folder the engine opens it from (by its relative
// name), and the name it is stored under.
struct Entry {
    std::string local;
    std::string root;
    std::string relative;
    std::string stored;
    std::int64_t size = 0;
};

class Runner {
public:
    Runner(Console& console, const Options& options)
        : c_(console), o_(options), engine_(nullptr), progress_(console, options.quiet) {}

    int Run() {
        if (o_.command == "create") return Add(true);
        if (o_.command == "add") return Add(false);
        if (o_.command == "list") return List();
        if (o_.command == "test") return Test();
        return Extract();
    }

private:
    // ---- shared

    void Poll() {
        if (c_.Interrupted()) engine_.SetAbort(true);
    }

    // Finds the folder of a missing disk: a folder where an earlier disk of the set was
    // found, or else the answer to a question; false when standard input has no answer.
    bool AskForDisk(int disk, const std::string& fileName, std::string& folder) {
        for (const std::string& known : diskFolders_) {
            if (platform::FileExists(Join(known, fileName))) {
                folder = known;
                return true;
            }
        }
        progress_.Pause();
        c_.Err("zarc: disk " + std::to_string(disk) + " (" + fileName + ") is not in " + DisplayPath(folder) +
               ".\nType the folder that holds it, or press Enter to look there again: ");
        std::string line;
        if (!c_.ReadLine(line)) {
            c_.Err("\n");
            return false;
        }
        line = Trim(line);
        if (!line.empty()) folder = RemoveTrailingBackslash(FullPath(CommandLinePath(line)));
        if (std::find(diskFolders_.begin(), diskFolders_.end(), folder) == diskFolders_.end())
            diskFolders_.push_back(folder);
        return true;
    }

    std::string ArchivePath() { return FullPath(CommandLinePath(o_.archive)); }

    // Loads the headers of the archive named on the command line (the first disk of a
    // set when that is what exists).
    std::string OpenArchive() {
        const std::string path = ResolveArchive(ArchivePath());
        diskFolders_.push_back(RemoveTrailingBackslash(ExtractFilePath(path)));
        engine_.SetCompressedFile(path);
        engine_.FileCount();
        return path;
    }

    // ---- create and add

    // The files of one source, folders walked in name order (files first).
    void Walk(const std::string& root, const std::string& relative, const std::optional<std::string>& as,
              std::vector<Entry>& out) {
        std::vector<platform::FindData> found;
        platform::FindFiles(Join(Join(root, relative), "*"), found);
        std::sort(found.begin(), found.end(), NameLess);
        for (int pass = 0; pass < 2; ++pass) {
            for (const platform::FindData& f : found) {
                const bool folder = (f.attributes & platform::FileAttributeDirectory) != 0;
                if (folder != (pass == 1)) continue;
                const std::string rel = Join(relative, f.name);
                if (folder) {
                    Walk(root, rel, as, out);
                    continue;
                }
                Entry e;
                e.local = Join(root, rel);
                e.root = root;
                e.relative = rel;
                e.stored = as ? Join(*as, rel) : e.local;
                e.size = std::int64_t(f.size);
                out.push_back(std::move(e));
            }
        }
    }

    std::vector<Entry> Scan(const std::string& archive) {
        std::vector<Entry> entries;
        for (const SourceArg& s : o_.sources) {
            std::optional<std::string> as = s.as;
            if (as) std::replace(as->begin(), as->end(), '/', '\\');
            std::string local = FullPath(CommandLinePath(s.path));
            if (local.size() > 3) local = RemoveTrailingBackslash(local);
            const platform::DWORD attributes = platform::GetFileAttributes(local);
            if (attributes == platform::InvalidFileAttributes)
                throw Exception("There is no file or folder " + s.path);
            if (attributes & platform::FileAttributeDirectory) {
                Walk(local, "", as, entries);
                continue;
            }
            Entry e;
            e.local = local;
            e.root = RemoveTrailingBackslash(ExtractFilePath(local));
            if (e.root.size() == 2 && e.root[1] == ':') e.root += '\\';
            e.relative = ExtractFileName(local);
            e.stored = as ? Join(*as, e.relative) : local;
            std::vector<platform::FindData> found;
            if (platform::FindFiles(local, found) && !found.empty()) e.size = std::int64_t(found[0].size);
            entries.push_back(std::move(e));
        }
        // The archive itself (and the disks of a set of its name) when it lies in a source.
        std::erase_if(entries, [&](const Entry& e) {
            if (SameText(e.local, archive)) return true;
            const std::string ext = ExtractFileName(e.local).substr(ExtractFileName(ChangeFileExt(e.local, "")).size());
            return o_.diskSize > 0 && ext.size() > 1 && ext.find_first_not_of("0123456789", 1) == std::string::npos &&
                   SameText(ChangeFileExt(e.local, ""), ChangeFileExt(archive, ""));
        });
        return entries;
    }

    // Refuses names the archive cannot hold as they are: longer than 100 characters
    // (they would be cut), with a ";" (lookups end there), or given twice.
    void CheckNames(const std::vector<Entry>& entries, const std::vector<std::string>& existing) {
        std::vector<std::string> tooLong, semicolon, twice;
        std::set<std::string> seen;
        for (const std::string& n : existing) seen.insert(UpperCase(n));
        for (const Entry& e : entries) {
            if (e.stored.size() > std::size_t(TFileHeaderRecord::MaxFileName))
                tooLong.push_back(e.stored + " (" + std::to_string(e.stored.size()) + " characters)");
            if (e.stored.find(';') != std::string::npos) semicolon.push_back(e.stored);
            if (!seen.insert(UpperCase(e.stored)).second) twice.push_back(e.stored);
        }
        std::string message;
        auto add = [&](const char* what, const std::vector<std::string>& names) {
            if (names.empty()) return;
            message += std::string(message.empty() ? "" : "\nzarc: ") + what;
            for (const std::string& n : names) message += "\n  " + n;
        };
        add("stored names have at most 100 characters; these have more:", tooLong);
        add("stored names cannot hold a ';' (the library's lookups end there):", semicolon);
        add(existing.empty() ? "these stored names are given more than once:"
                             : "these stored names are given more than once or are in the archive already:",
            twice);
        if (!message.empty()) throw Exception(message);
    }

    // Puts the stored names into the records the engine wrote with relative ones.
    void StoreNames(const std::string& archive, int oldCount, const std::vector<Entry>& entries) {
        platform::FileHandle h(platform::CreateFile(archive, platform::GenericRead | platform::GenericWrite, 0,
                                                    platform::OpenExisting));
        if (!h) throw EZCCouldNotOpenFile(archive);
        TZarnNormalHandleStream s(h.get());
        TFileHeaders table;
        table.LoadFromStream(&s, 0);
        if (table.Count() != oldCount + int(entries.size()))
            throw Exception("The archive does not hold the files just added: " + archive);
        std::int64_t position = 5;
        for (int i = 0; i < table.Count(); ++i) {
            TFileHeader* header = table.GetFileHeaders(i);
            if (i >= oldCount) {
                const Entry& e = entries[std::size_t(i - oldCount)];
                if (header->Record.FileName() != e.relative)
                    throw Exception("The archive does not hold the files just added: " + archive);
                header->Record.SetFileName(e.stored);
                s.Seek(position, TSeekOrigin::soBeginning);
                header->WriteRecord(&s);
            }
            position = header->Record.NextHeader();
        }
    }

    int Add(bool create) {
        const std::string archive = ArchivePath();
        if (platform::DirectoryExists(archive)) throw Exception(o_.archive + " is a folder");
        bool existed = false;
        std::vector<std::string> existing;
        if (!create) {
            if (!platform::FileExists(archive) && platform::FileExists(DiskFileName(archive, 1)))
                throw Exception("Files cannot be added to a multi-disk archive: " + DiskFileName(archive, 1));
            existed = platform::FileExists(archive);
            if (existed) {
                engine_.SetCompressedFile(archive);
                engine_.FileCount();
                if (engine_.FileHeaders()->MultiDisk != 0)
                    throw Exception("Files cannot be added to a multi-disk archive: " + archive);
                for (int i = 0; i < engine_.FileHeaders()->Count(); ++i)
                    existing.push_back(engine_.FileHeaders()->GetFileHeaders(i)->Record.FileName());
            }
        }
        const std::vector<Entry> entries = Scan(archive);
        CheckNames(entries, existing);

        // The temporary file goes beside the archive: its folder first.
        ForceDirectories(ExtractFilePath(archive));
        std::string temp = TempFileBeside(archive);
        const std::string savedFolder = platform::GetCurrentDirectory();
        struct Cleanup {
            std::string& temp;
            const std::string& folder;
            ~Cleanup() {
                platform::SetCurrentDirectory(folder);
                if (!temp.empty()) platform::DeleteFile(temp);
            }
        } cleanup{temp, savedFolder};
        if (existed && !platform::CopyFile(archive, temp, false))
            throw Exception("Could not copy " + archive + " to " + temp + " (error " +
                            std::to_string(platform::GetLastError()) + ")");

        std::int64_t total = 0;
        for (const Entry& e : entries) total += e.size;
        progress_.Begin(total, int(entries.size()));
        engine_.SetJobs(o_.jobs > 0 ? o_.jobs : int(platform::ProcessorCount()));
        engine_.SetCompressionLevel(o_.level);
        bool aborted = false;
        std::size_t batchStart = 0;
        engine_.OnBeforeAdding = [&](TZarnCompress*, const TlzhFileStats& s) {
            const std::size_t i = batchStart + std::size_t(std::max(s.Header.FileNumber(), 1)) - 1;
            progress_.StartFile(i < entries.size() ? entries[i].stored : s.FileName, s.FileSize);
        };
        engine_.OnStatus = [&](TZarnCompress*, const TlzhFileStats& s) {
            Poll();
            progress_.Update(s.BytesDone);
        };
        engine_.OnAfterAdding = [&](TZarnCompress* e, const TlzhFileStats& s) {
            const std::size_t i = batchStart + std::size_t(std::max(s.Header.FileNumber(), 1)) - 1;
            const std::int64_t packed = e->CurrentHeader()->Record.CompressedSize();
            progress_.EndFile();
            progress_.Line("  added  " + (i < entries.size() ? entries[i].stored : s.FileName) + "  (" +
                           SizeText(s.FileSize) + " -> " + SizeText(packed) + ", " +
                           std::to_string(Percent(packed, s.FileSize)) + "%)");
        };
        engine_.OnAborted = [&](TObject*) { aborted = true; };

        // One add operation for each run of files from the same folder: the engine opens
        // each by its name relative to that folder, which is never longer than the name
        // it is stored under.
        TlzhCommand command = existed ? TlzhCommand::lzcOnlyAdd : TlzhCommand::lzcOverwrite;
        engine_.SetCompressedFile(temp);
        std::size_t i = 0;
        do {  // once at least: no sources make an empty archive
            std::size_t j = i;
            while (j < entries.size() && SameText(entries[j].root, entries[i].root)) ++j;
            if (i < entries.size() && !platform::SetCurrentDirectory(entries[i].root))
                throw Exception("Could not open the folder " + entries[i].root);
            batchStart = i;
            for (std::size_t k = i; k < j; ++k) engine_.FilesToProcess()->Add(entries[k].relative);
            engine_.Compress(command);
            if (aborted || c_.Interrupted()) throw Stopped{o_.archive + " was left as it was"};
            command = TlzhCommand::lzcOnlyAdd;
            i = j;
        } while (i < entries.size());
        platform::SetCurrentDirectory(savedFolder);
        StoreNames(temp, int(existing.size()), entries);
        progress_.End();

        std::string placed = o_.archive;
        if (o_.diskSize > 0) {
            const int disks = WriteDiskSet(temp, archive, o_.diskSize, [&](std::int64_t) {
                if (c_.Interrupted()) throw Stopped{o_.archive + " was left as it was"};
            });
            placed = DiskFileName(o_.archive, 1) + (disks > 1 ? " to " + DiskFileName(o_.archive, disks) : "") + " (" +
                     std::to_string(disks) + (disks == 1 ? " disk" : " disks") + " of " + o_.diskSizeText + ")";
        } else {
            ReplaceFile(temp, archive);
            temp.clear();
        }
        if (!o_.quiet) {
            char line[256];
            std::snprintf(line, sizeof line, "%s %s: %d file%s, %s in %.1f s, %s/s\n",
                          create ? "created" : "added to", placed.c_str(), int(entries.size()),
                          entries.size() == 1 ? "" : "s", SizeText(total).c_str(), progress_.Seconds(),
                          SizeText(std::int64_t(progress_.Rate())).c_str());
            c_.Out(line);
        }
        return ExitOk;
    }

    // ---- list

    int List() {
        const std::string path = OpenArchive();
        const TFileHeaders* table = engine_.FileHeaders();
        const bool multi = table->MultiDisk != 0;
        std::int64_t size = 0, packed = 0;
        int disks = 0;
        std::string out;
        if (o_.json) {
            out = "{\"archive\":" + JsonText(DisplayPath(path)) + ",\"multiDisk\":" + (multi ? "true" : "false") + ",\"files\":[";
        } else {
            out = std::string("      Size     Packed  Ratio  Date                 Version              ") +
                  (multi ? "Disks  " : "") + "Name\n";
        }
        for (int i = 0; i < table->Count(); ++i) {
            const TFileHeaderRecord& r = table->GetFileHeaders(i)->Record;
            size += r.FileSize();
            packed += r.CompressedSize();
            disks = std::max<int>(disks, r.LastDisk());
            const long long ratio = Percent(r.CompressedSize(), r.FileSize());
            if (o_.json) {
                out += std::string(i ? "," : "") + "{\"name\":" + JsonText(r.FileName()) +
                       ",\"size\":" + std::to_string(r.FileSize()) +
                       ",\"compressedSize\":" + std::to_string(r.CompressedSize()) +
                       ",\"ratio\":" + std::to_string(ratio) + ",\"date\":" + JsonText(DateText(r.FileDate(), 'T')) +
                       ",\"version\":" + JsonText(r.FileVersion());
                if (multi)
                    out += ",\"firstDisk\":" + std::to_string(int(r.FirstDisk())) +
                           ",\"lastDisk\":" + std::to_string(int(r.LastDisk()));
                out += "}";
            } else {
                char line[128];
                std::snprintf(line, sizeof line, "%10d %10d %5lld%%  %s  %-20s ", int(r.FileSize()),
                              int(r.CompressedSize()), ratio, DateText(r.FileDate(), ' ').c_str(),
                              r.FileVersion().c_str());
                out += line;
                if (multi) {
                    std::snprintf(line, sizeof line, "%-6s ",
                                  r.FirstDisk() == r.LastDisk()
                                      ? std::to_string(int(r.FirstDisk())).c_str()
                                      : (std::to_string(int(r.FirstDisk())) + "-" + std::to_string(int(r.LastDisk()))).c_str());
                    out += line;
                }
                out += r.FileName() + "\n";
            }
        }
        const long long ratio = Percent(packed, size);
        if (o_.json) {
            out += "],\"totals\":{\"files\":" + std::to_string(table->Count()) + ",\"size\":" + std::to_string(size) +
                   ",\"compressedSize\":" + std::to_string(packed) + ",\"ratio\":" + std::to_string(ratio);
            if (multi) out += ",\"disks\":" + std::to_string(disks);
            out += "}}\n";
        } else {
            char line[160];
            std::snprintf(line, sizeof line, "%10lld %10lld %5lld%%  %d file%s%s\n", static_cast<long long>(size),
                          static_cast<long long>(packed), ratio, table->Count(), table->Count() == 1 ? "" : "s",
                          multi ? (" on " + std::to_string(disks) + " disks").c_str() : "");
            out += std::string(10, '-') + " " + std::string(10, '-') + " ------\n" + line;
        }
        c_.Out(out);
        return ExitOk;
    }

    // ---- test

    // What is wrong with the data of one file; empty when nothing is.
    std::string TestOne(std::string& archive, bool multi, const TFileHeaderRecord& r) {
        DataReader reader(archive, multi, engine_.Offset(), r, [this](int disk, const std::string& name, std::string& f) {
            return AskForDisk(disk, name, f);
        });
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK) throw EDecompressionError("error");
        struct End {
            z_stream& zs;
            ~End() { inflateEnd(&zs); }
        } end{zs};
        std::vector<std::uint8_t> input(65536), output(65536);
        std::int64_t consumed = 0, produced = 0;
        const std::int64_t expected = r.FileSize();
        bool ended = false;
        for (;;) {
            if (zs.avail_in == 0) {
                const std::int32_t got = reader.Read(input.data(), std::int32_t(input.size()));
                if (got == 0) break;
                consumed += got;
                zs.next_in = input.data();
                zs.avail_in = uInt(got);
            }
            zs.next_out = output.data();
            zs.avail_out = uInt(output.size());
            const int code = inflate(&zs, Z_NO_FLUSH);
            produced += std::int64_t(output.size() - zs.avail_out);
            if (c_.Interrupted()) throw Stopped{};
            progress_.Update(produced);
            if (code == Z_STREAM_END) {
                ended = true;
                break;
            }
            if (code == Z_DATA_ERROR && zs.msg && std::string(zs.msg) == "incorrect data check")
                return "the check value does not match the data";
            if (code != Z_OK && code != Z_BUF_ERROR)
                return std::string("the compressed data is damaged (") + (zs.msg ? zs.msg : "zlib error") + ")";
            if (produced > expected)
                return "it holds more than the " + std::to_string(expected) + " bytes its header gives";
        }
        if (!ended) return "its compressed data ends before its stream does";
        if (zs.avail_in > 0 || reader.Read(input.data(), 1) > 0)
            return "its data range holds bytes after the end of its stream";
        if (produced != expected)
            return "it holds " + std::to_string(produced) + " bytes, its header gives " + std::to_string(expected);
        if (consumed != r.CompressedSize())
            return "its header gives a compressed size of " + std::to_string(r.CompressedSize()) +
                   " bytes, its data has " + std::to_string(consumed);
        return {};
    }

    int Test() {
        std::string archive = OpenArchive();
        const TFileHeaders* table = engine_.FileHeaders();
        const bool multi = table->MultiDisk != 0;
        std::int64_t total = 0;
        for (int i = 0; i < table->Count(); ++i) total += std::max(table->GetFileHeaders(i)->Record.FileSize(), 0);
        progress_.Begin(total, table->Count());
        int damaged = 0;
        for (int i = 0; i < table->Count(); ++i) {
            const TFileHeaderRecord& r = table->GetFileHeaders(i)->Record;
            progress_.StartFile(r.FileName(), r.FileSize());
            const std::string problem = TestOne(archive, multi, r);
            progress_.EndFile();
            if (problem.empty()) {
                progress_.Line("  ok       " + r.FileName());
            } else {
                ++damaged;
                progress_.Line("  DAMAGED  " + r.FileName() + ": " + problem, true);
            }
        }
        progress_.End();
        if (!o_.quiet || damaged) {
            c_.Out(std::to_string(table->Count()) + (table->Count() == 1 ? " file" : " files") + " tested: " +
                   (damaged ? std::to_string(damaged) + " damaged" : "all sound") + "\n");
        }
        return damaged ? ExitFailed : ExitOk;
    }

    // ---- extract

    // The folders of a stored name (without the file name); a drive "C:" counts as "C".
    static std::vector<std::string> FolderParts(const std::string& stored) {
        std::vector<std::string> parts;
        std::string part;
        for (char ch : stored) {
            if (ch == '\\' || ch == '/') {
                if (!part.empty()) parts.push_back(part);
                part.clear();
            } else {
                part += ch;
            }
        }
        if (!parts.empty() && parts[0].size() == 2 && parts[0][1] == ':') parts[0].pop_back();
        return parts;
    }

    static bool PlainFolderName(const std::string& name) {
        if (name.find_first_not_of(". ") == std::string::npos) return false;
        for (unsigned char ch : name)
            if (ch < 32 || std::string("<>:\"|?*").find(char(ch)) != std::string::npos) return false;
        return true;
    }

    int Extract() {
        OpenArchive();
        const TFileHeaders* table = engine_.FileHeaders();
        std::vector<int> selected;
        std::vector<std::string> missing;
        if (o_.names.empty()) {
            for (int i = 0; i < table->Count(); ++i) selected.push_back(i);
        } else {
            for (const std::string& n : o_.names) {
                const int i = table->IndexOf(n);
                if (i < 0)
                    missing.push_back(n);
                else if (std::find(selected.begin(), selected.end(), i) == selected.end())
                    selected.push_back(i);
            }
        }
        if (!missing.empty()) {
            std::string message;
            for (const std::string& n : missing)
                message += (message.empty() ? "" : "\nzarc: ") + EZCFHFileNotInArchive(n).Message();
            throw Exception(message);
        }
        const std::string folder =
            o_.folder.empty() ? platform::GetCurrentDirectory() : FullPath(CommandLinePath(o_.folder));

        // Each file's folder below the folder all stored names share.
        std::vector<std::string> common;
        for (int i = 0; i < table->Count(); ++i) {
            const std::vector<std::string> parts = FolderParts(table->GetFileHeaders(i)->Record.FileName());
            if (i == 0) {
                common = parts;
                continue;
            }
            std::size_t k = 0;
            while (k < common.size() && k < parts.size() && SameText(common[k], parts[k])) ++k;
            common.resize(k);
        }
        auto targetFolder = [&](int index) {
            if (o_.flat) return folder;
            const std::string stored = table->GetFileHeaders(index)->Record.FileName();
            std::string out = folder;
            const std::vector<std::string> parts = FolderParts(stored);
            for (std::size_t k = common.size(); k < parts.size(); ++k) {
                if (!PlainFolderName(parts[k]))
                    throw Exception("The stored name " + stored + " has a folder that cannot be made below " +
                                    DisplayPath(folder));
                out = Join(out, parts[k]);
            }
            return out;
        };

        // All of them before anything is written.
        std::vector<std::string> into;
        for (int i : selected) into.push_back(targetFolder(i));

        std::int64_t total = 0;
        for (int i : selected) total += std::max(table->GetFileHeaders(i)->Record.FileSize(), 0);
        progress_.Begin(total, int(selected.size()));
        engine_.SetOverwrite(o_.overwrite);
        bool aborted = false, started = false, writing = false, finished = false;
        std::string current, target;
        int extracted = 0, kept = 0;
        auto conclude = [&] {
            if (!started) return;
            started = false;
            progress_.EndFile();
            if (finished) {
                ++extracted;
                progress_.Line("  extracted  " + current);
            } else {
                ++kept;
                progress_.Line("  kept       " + target + " (not replaced)");
            }
        };
        engine_.OnBeforeExtracting = [&](TZarnCompress* e, const TlzhFileStats& s) {
            conclude();
            started = true;
            writing = finished = false;
            current = s.FileName;
            target = Join(e->ExtractDirectory(), ExtractFileName(e->DestName));
            progress_.StartFile(s.FileName, s.FileSize);
        };
        engine_.OnStatus = [&](TZarnCompress*, const TlzhFileStats& s) {
            Poll();
            writing = true;
            if (s.Finished) finished = true;
            progress_.Update(s.BytesDone);
        };
        engine_.OnNewDisk = [&](TZarnCompress* e, int disk, std::string& path) {
            if (!AskForDisk(disk, ExtractFileName(e->CompressedFile()), path))
                throw Exception("Could not open the correct disk file " + std::to_string(disk));
        };
        engine_.OnAborted = [&](TObject*) { aborted = true; };

        for (std::size_t i = 0; i < selected.size();) {
            std::size_t j = i;
            while (j < selected.size() && into[j] == into[i]) ++j;
            engine_.SetExtractDirectory(into[i]);
            for (std::size_t k = i; k < j; ++k)
                engine_.FilesToProcess()->Add(table->GetFileHeaders(selected[k])->Record.FileName());
            engine_.Extract();
            if (aborted || c_.Interrupted()) {
                progress_.End();
                if (started && writing && !finished) {
                    platform::DeleteFile(target);
                    throw Stopped{"the part of " + target + " written so far was removed"};
                }
                throw Stopped{};
            }
            conclude();
            i = j;
        }
        progress_.End();
        if (!o_.quiet) {
            char line[200];
            std::snprintf(line, sizeof line, "extracted %d file%s into %s%s, %s in %.1f s\n", extracted,
                          extracted == 1 ? "" : "s", DisplayPath(folder).c_str(),
                          kept ? (" (" + std::to_string(kept) + " kept)").c_str() : "", SizeText(total).c_str(),
                          progress_.Seconds());
            c_.Out(line);
        }
        return ExitOk;
    }

    Console& c_;
    const Options& o_;
    TZarnCompress engine_;
    Progress progress_;
    // Where disks of the set were found.
    std::vector<std::string> diskFolders_;
};

}  // namespace

int Run(const std::vector<std::string>& args, Console& console) {
    Options o;
    std::string error;
    if (!ParseCommandLine(args, o, error)) {
        const bool known = !o.command.empty() && HelpText(o.command) != HelpText("");
        console.Err("zarc: " + error + "\nTry 'zarc " + (known ? o.command + " --help" : "--help") + "'.\n");
        return ExitUsage;
    }
    if (o.command == "help" || o.help) {
        console.Out(HelpText(o.command == "help" ? o.helpTopic : o.command));
        return ExitOk;
    }
    if (!VersionReader) InitVersionUnit();
    // The library's message boxes go to standard error for the run (any other backend
    // is dropped).
    ui::SetBackend(std::make_unique<ConsoleBackend>(console));
    struct Restore {
        ~Restore() { ui::SetBackend(nullptr); }
    } restore;
    try {
        Runner runner(console, o);
        return runner.Run();
    } catch (const Stopped& s) {
        console.Err("zarc: stopped" + (s.what.empty() ? std::string() : "; " + s.what) + "\n");
    } catch (const Exception& e) {
        console.Err("zarc: " + e.Message() + "\n");
    } catch (const std::exception& e) {
        console.Err(std::string("zarc: ") + e.what() + "\n");
    }
    return ExitFailed;
}

}  // namespace zarc
