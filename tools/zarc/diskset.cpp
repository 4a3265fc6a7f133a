#include "tools/zarc/diskset.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/routines_Compression.h"
#include "framework/classes.h"
#include "framework/paths.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace zarc {

namespace {

constexpr platform::DWORD ShareAll = platform::FileShareRead | platform::FileShareWrite;
// Returned by MoveFileEx on Windows 95, which has only MoveFile.
constexpr platform::DWORD CallNotImplemented = 120;
constexpr platform::DWORD FileExistsError = 80;

std::string ErrorText(const std::string& what, const std::string& path) {
    return what + " " + path + " (error " + std::to_string(platform::GetLastError()) + ")";
}

void WriteAll(platform::Handle h, const void* data, std::int64_t size, const std::string& path) {
    platform::DWORD done = 0;
    if (size == 0) return;
    if (!platform::WriteFile(h, data, platform::DWORD(size), done) || done != platform::DWORD(size))
        throw Exception(ErrorText("Could not write", path));
}

}  // namespace

std::string CommandLinePath(const std::string& arg) {
    if (platform::testenv::Available() && !arg.empty() && arg[0] == '/') {
        if (auto windows = platform::testenv::WindowsPath(arg)) return *windows;
    }
    return arg;
}

std::string DisplayPath(const std::string& path) {
    if (platform::testenv::Available()) {
        if (auto host = platform::testenv::HostPath(path)) return *host;
    }
    return path;
}

std::string FullPath(const std::string& path) {
    std::string full = platform::GetFullPathName(path);
    return full.empty() ? path : full;
}

namespace {

// Temporary files beside an archive are named "zrc-<archive name without extension>-
// <8 hex digits>.tmp": a name no other program makes, so that a later run can tell the
// leftovers of a killed one. Those untouched for a minute are left over (a run writes to
// its file all the time); younger ones may belong to a run going on elsewhere.
constexpr std::uint64_t StaleAfter = 60ull * 10000000;  // in FILETIME units

std::string TempPrefix(const std::string& target) {
    return "zrc-" + ChangeFileExt(ExtractFileName(target), "") + "-";
}

bool IsOurTemp(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + 12 || !SameText(name.substr(0, prefix.size()), prefix) ||
        !SameText(name.substr(name.size() - 4), ".tmp"))
        return false;
    for (std::size_t i = prefix.size(); i < prefix.size() + 8; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

void RemoveStaleTemps(const std::string& folder, const std::string& prefix, const std::string& ours) {
    std::vector<platform::FindData> found;
    if (!platform::FindFiles(folder + "\\" + prefix + "*.tmp", found)) return;
    std::uint64_t now = 0;
    for (const auto& f : found)
        if (SameText(f.name, ExtractFileName(ours))) now = f.lastWrite.value();
    if (now == 0) return;
    for (const auto& f : found) {
        if ((f.attributes & platform::FileAttributeDirectory) || !IsOurTemp(f.name, prefix) ||
            SameText(f.name, ExtractFileName(ours)))
            continue;
        if (f.lastWrite.value() + StaleAfter <= now) platform::DeleteFile(folder + "\\" + f.name);
    }
}

}  // namespace

std::string TempFileBeside(const std::string& target) {
    std::string folder = RemoveTrailingBackslash(ExtractFilePath(FullPath(target)));
    if (folder.empty()) folder = platform::GetCurrentDirectory();
    const std::string prefix = TempPrefix(target);
    static std::uint32_t counter = 0;
    std::uint32_t unique = platform::GetTickCount() * 2654435761u + ++counter;
    for (int attempt = 0; attempt < 1000; ++attempt, unique += 0x9E3779B9u) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", unsigned(unique));
        const std::string name = folder + "\\" + prefix + hex + ".tmp";
        platform::Handle h = platform::CreateFile(name, platform::GenericWrite, 0, platform::CreateNew);
        if (h == platform::InvalidHandle) {
            if (platform::GetLastError() == FileExistsError) continue;
            break;
        }
        platform::CloseHandle(h);
        RemoveStaleTemps(folder, prefix, name);
        return name;
    }
    throw Exception(ErrorText("Could not make a temporary file in", folder));
}

void ReplaceFile(const std::string& from, const std::string& to) {
    if (platform::MoveFileEx(from, to, platform::MoveFileReplaceExisting)) return;
    if (platform::GetLastError() == CallNotImplemented && platform::CopyFile(from, to, false)) {
        platform::DeleteFile(from);
        return;
    }
    throw Exception(ErrorText("Could not put the new file in the place of", to));
}

std::string DiskFileName(const std::string& name, int disk) {
    return ChangeFileExt(name, std::string(".").append(std::to_string(disk)));
}

std::string ResolveArchive(const std::string& name) {
    if (platform::FileExists(name)) return name;
    const std::string first = DiskFileName(name, 1);
    return platform::FileExists(first) ? first : name;
}

int WriteDiskSet(const std::string& single, const std::string& target, std::int64_t diskSize,
                 const std::function<void(std::int64_t)>& step) {
    platform::FileHandle in(platform::CreateFile(single, platform::GenericRead, ShareAll, platform::OpenExisting));
    if (!in) throw EZCCouldNotOpenFile(single);
    TZarnNormalHandleStream source(in.get());
    TFileHeaders table;
    table.LoadFromStream(&source, 0);
    const int count = table.Count();
    const std::int64_t headerBlock = 5 + std::int64_t(TFileHeaderRecord::Size) * count;
    if (headerBlock > diskSize)
        throw Exception(Format("The header records of %d files take %d bytes on the first disk, more than a disk holds",
                               {count, std::int64_t(headerBlock)}));

    // Where every file's data goes.
    std::vector<std::int64_t> from(static_cast<std::size_t>(count)), size(static_cast<std::size_t>(count));
    int disk = 1;
    std::int64_t pos = headerBlock;
    for (int i = 0; i < count; ++i) {
        TFileHeaderRecord& r = table.GetFileHeaders(i)->Record;
        from[std::size_t(i)] = r.DataStart();
        size[std::size_t(i)] = std::int64_t(r.LastByte()) - r.DataStart() + 1;
        if (size[std::size_t(i)] <= 0) throw EZCFHCannotReadHeaders();
        if (pos == diskSize) ++disk, pos = 0;  // no file starts at the very end of a disk
        r.SetFirstDisk(std::uint8_t(std::min(disk, 255)));
        r.SetDataStart(std::int32_t(pos));
        for (std::int64_t left = size[std::size_t(i)];;) {
            const std::int64_t take = std::min(diskSize - pos, left);
            pos += take;
            left -= take;
            if (left == 0) break;
            ++disk, pos = 0;
        }
        if (disk > 255) throw Exception("The set would need more than 255 disks");
        r.SetLastDisk(std::uint8_t(disk));
        r.SetLastByte(std::int32_t(pos - 1));
    }
    table.MultiDisk = 1;
    const int disks = disk;

    // The disks of an older set of that name, to remove those the new one does not have.
    int oldDisks = 0;
    try {
        const std::string oldFirst = DiskFileName(target, 1);
        platform::FileHandle old(platform::CreateFile(oldFirst, platform::GenericRead, ShareAll, platform::OpenExisting));
        if (old) {
            TZarnNormalHandleStream s(old.get());
            TFileHeaders oldTable;
            oldTable.LoadFromStream(&s, 0);
            for (int i = 0; oldTable.MultiDisk != 0 && i < oldTable.Count(); ++i)
                oldDisks = std::max<int>(oldDisks, oldTable.GetFileHeaders(i)->Record.LastDisk());
        }
    } catch (const Exception&) {
        oldDisks = 0;  // not a set of ours: left alone
    }

    std::vector<std::string> temps;
    auto dropTemps = [&] {
        for (const std::string& t : temps) platform::DeleteFile(t);
    };
    try {
        platform::FileHandle out;
        std::int64_t room = 0, written = 0;
        auto nextDisk = [&] {
            temps.push_back(TempFileBeside(target));
            out.reset(platform::CreateFile(temps.back(), platform::GenericWrite, 0, platform::CreateAlways));
            if (!out) throw EZCCouldNotCreateFile(temps.back());
            room = diskSize;
        };
        nextDisk();
        {
            TZarnNormalHandleStream first(out.get());
            table.SaveToStream(&first);
        }
        room -= headerBlock;
        std::vector<std::uint8_t> buffer(65536);
        for (int i = 0; i < count; ++i) {
            if (source.Seek(from[std::size_t(i)], TSeekOrigin::soBeginning) != from[std::size_t(i)])
                throw EZCFHCannotReadHeaders();
            for (std::int64_t left = size[std::size_t(i)]; left > 0;) {
                if (room == 0) nextDisk();
                const std::int32_t want = std::int32_t(std::min<std::int64_t>({left, room, std::int64_t(buffer.size())}));
                if (source.Read(buffer.data(), want) != want) throw EZCFHCannotReadHeaders();
                WriteAll(out.get(), buffer.data(), want, temps.back());
                left -= want;
                room -= want;
                written += want;
                if (step) step(written);
            }
        }
        out.reset();
        in.reset();
        if (int(temps.size()) != disks) throw Exception("The disk files do not match their layout");
        for (int d = 1; d <= disks; ++d) ReplaceFile(temps[std::size_t(d - 1)], DiskFileName(target, d));
        temps.clear();
    } catch (...) {
        dropTemps();
        throw;
    }
    for (int d = disks + 1; d <= oldDisks; ++d) platform::DeleteFile(DiskFileName(target, d));
    return disks;
}

// ---------------------------------------------------------------------------------------
// DataReader

DataReader::DataReader(std::string& archive, bool multiDisk, std::int32_t offset, const TFileHeaderRecord& record,
                       const DiskQuestion& ask)
    : archive_(archive), multiDisk_(multiDisk), offset_(offset), record_(record), ask_(ask),
      handle_(platform::InvalidHandle) {
    Open(record_.FirstDisk() == 0 ? 1 : record_.FirstDisk());
    disk_ = record_.FirstDisk();
    const std::int64_t start = std::int64_t(offset_) + record_.DataStart();
    readable_ = start >= 0 && platform::SetFilePointer(handle_, platform::LONG(start), platform::FileBegin) ==
                                  platform::DWORD(start);
    position_ = start;
}

DataReader::~DataReader() {
    if (handle_ != platform::InvalidHandle) platform::CloseHandle(handle_);
}

void DataReader::Open(int disk) {
    if (handle_ != platform::InvalidHandle) platform::CloseHandle(handle_);
    handle_ = platform::InvalidHandle;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (multiDisk_) archive_ = DiskFileName(archive_, disk);
        bool exists = platform::FileExists(archive_);
        if (!exists && ask_) {
            std::string folder = RemoveTrailingBackslash(ExtractFilePath(archive_));
            if (!ask_(disk, ExtractFileName(archive_), folder)) break;
            archive_ = AddTrailingBackslash(folder) + ExtractFileName(archive_);
            exists = platform::FileExists(archive_);
        }
        if (exists) {
            handle_ = platform::CreateFile(archive_, platform::GenericRead, ShareAll, platform::OpenExisting);
            if (handle_ == platform::InvalidHandle) throw EZCCouldNotOpenCompressedFile(archive_);
            return;
        }
        if (!ask_) break;
    }
    throw Exception("Could not open the correct disk file " + std::to_string(disk));
}

std::int32_t DataReader::Read(std::uint8_t* buffer, std::int32_t count) {
    for (;;) {
        if (!readable_) return 0;
        std::int64_t want = count;
        const bool lastDisk = disk_ == record_.LastDisk();
        if (lastDisk) want = std::min(want, std::int64_t(record_.LastByte()) + offset_ - position_ + 1);
        platform::DWORD got = 0;
        if (want > 0 && !platform::ReadFile(handle_, buffer, platform::DWORD(want), got)) got = 0;
        if (got > 0) {
            position_ += got;
            return std::int32_t(got);
        }
        // This disk is used up: the data runs on at the start of the next one.
        if (lastDisk || disk_ >= record_.LastDisk()) {
            readable_ = false;
            return 0;
        }
        Open(++disk_);
        position_ = 0;
    }
}

}  // namespace zarc
