// Files and folders of the host Windows over POSIX.
//
// Attributes: read-only is the owner's write bit of the host file (so it is also what
// Linux tools see); hidden, system and archive are kept in the extended attribute
// "user.zarn.attributes" where the file system has them, else for the life of the
// process in a table keyed by device and inode. A file that has none stored reports
// archive, as a freshly written file does on Windows.
//
// Sharing: open handles keep Windows' sharing rules among themselves. A file is known by
// its device and inode, so every path that reaches it (another case, a short name, the
// Z: drive) counts. Opening with read or write access fails with SharingViolation when
// an open handle's share mode does not allow that access, or when the new share mode
// does not allow an open handle's access; a handle opened with neither access takes no
// part. Deleting or renaming needs every open handle to share delete. Tests can hold a
// file as another process would (testenv::HoldFileInUse) and make the disk fill up
// (testenv::SetDiskFullAfter).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <map>
#include <set>

#include "platform/casefold.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace platform {

namespace {

thread_local DWORD lastError = 0;

using namespace platform::host;

using FileId = std::pair<dev_t, ino_t>;
FileId IdOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

struct OpenFile {
    int fd = -1;
    bool canRead = false;
    bool canWrite = false;
    DWORD share = 0;
    FileId id;
};

std::map<Handle, OpenFile>& Handles() {
    static std::map<Handle, OpenFile> h;
    return h;
}
Handle nextHandle = 0x100;

OpenFile* Find(Handle h) {
    auto it = Handles().find(h);
    if (it == Handles().end()) {
        SetLastError(err::InvalidHandle);
        return nullptr;
    }
    return &it->second;
}

bool Fail(DWORD e) {
    SetLastError(e);
    return false;
}
bool FailErrno(const std::string& host) { return Fail(ErrorFromErrno(errno, host)); }

// --- sharing and faults ---------------------------------------------------------------
struct FileFaults {
    std::optional<std::uint64_t> diskLeft;  // bytes that still fit; none: no limit
    std::set<FileId> held;                  // files "another process" holds open
    bool delayedMoveRefused = false;        // moves at the next restart are refused
};
FileFaults& Faults() {
    static FileFaults f;
    return f;
}

// Whether a new open of file `id` with the given access and share mode collides with
// the handles open on it, or with a holder outside the process (which reads and writes
// and shares nothing).
bool SharingConflict(const FileId& id, bool read, bool write, DWORD share) {
    if (!read && !write) return false;
    if (Faults().held.count(id)) return true;
    for (const auto& [h, f] : Handles()) {
        if (f.id != id || (!f.canRead && !f.canWrite)) continue;
        if ((read && !(f.share & FileShareRead)) || (write && !(f.share & FileShareWrite)) ||
            (f.canRead && !(share & FileShareRead)) || (f.canWrite && !(share & FileShareWrite)))
            return true;
    }
    return false;
}

// Whether file `id` may be deleted or renamed: every open handle shares delete.
bool DeleteConflict(const FileId& id) {
    if (Faults().held.count(id)) return true;
    for (const auto& [h, f] : Handles())
        if (f.id == id && !(f.share & FileShareDelete)) return true;
    return false;
}

bool IsOpen(const FileId& id) {
    if (Faults().held.count(id)) return true;
    for (const auto& [h, f] : Handles())
        if (f.id == id) return true;
    return false;
}

// Writes `count` bytes as far as the disk (and a simulated limit) lets it: 0 when all
// were written, else the Win32 error, with `done` holding what was written.
DWORD WriteAll(int fd, const char* p, std::size_t count, std::size_t& done) {
    done = 0;
    std::optional<std::uint64_t>& left = Faults().diskLeft;
    std::size_t allowed = left ? std::size_t(std::min<std::uint64_t>(*left, count)) : count;
    DWORD error = 0;
    while (done < allowed) {
        ssize_t n = ::write(fd, p + done, allowed - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n == 0 || errno == ENOSPC || errno == EFBIG || errno == EDQUOT ? err::DiskFull : err::WriteFault;
            break;
        }
        done += std::size_t(n);
    }
    if (left) *left -= done;
    if (!error && done < count) error = err::DiskFull;
    return error;
}

// --- extra attributes -----------------------------------------------------------------
constexpr const char* AttrName = "user.zarn.attributes";
constexpr DWORD ExtraMask = FileAttributeHidden | FileAttributeSystem | FileAttributeArchive;
std::map<std::pair<dev_t, ino_t>, DWORD>& AttrTable() {
    static std::map<std::pair<dev_t, ino_t>, DWORD> t;
    return t;
}

std::optional<DWORD> StoredExtra(const std::string& host, const struct stat& st) {
    char buf[16];
    ssize_t n = ::getxattr(host.c_str(), AttrName, buf, sizeof buf - 1);
    if (n > 0) {
        buf[n] = 0;
        return DWORD(std::strtoul(buf, nullptr, 16)) & ExtraMask;
    }
    auto it = AttrTable().find({st.st_dev, st.st_ino});
    if (it != AttrTable().end()) return it->second;
    return std::nullopt;
}

void StoreExtra(const std::string& host, const struct stat& st, DWORD extra) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x", unsigned(extra & ExtraMask));
    if (::setxattr(host.c_str(), AttrName, buf, std::strlen(buf), 0) == 0) {
        AttrTable().erase({st.st_dev, st.st_ino});
        return;
    }
    AttrTable()[{st.st_dev, st.st_ino}] = extra & ExtraMask;
}

void ForgetExtra(const struct stat& st) { AttrTable().erase({st.st_dev, st.st_ino}); }

DWORD AttributesOf(const std::string& host, const struct stat& st) {
    DWORD a = 0;
    if (S_ISDIR(st.st_mode)) {
        a |= FileAttributeDirectory;
        a |= StoredExtra(host, st).value_or(0);
    } else {
        if (!(st.st_mode & S_IWUSR)) a |= FileAttributeReadOnly;
        a |= StoredExtra(host, st).value_or(FileAttributeArchive);
    }
    return a ? a : FileAttributeNormal;
}

bool ReadOnlyFile(const struct stat& st) { return !S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR); }

FileTime FromTimespec(const timespec& ts) {
    std::uint64_t v = (std::uint64_t(ts.tv_sec) + 11644473600ull) * 10000000ull + ts.tv_nsec / 100;
    return FileTime::from(v);
}
timespec ToTimespec(const FileTime& ft) {
    std::uint64_t v = ft.value();
    timespec ts;
    std::int64_t secs = std::int64_t(v / 10000000ull) - 11644473600ll;
    ts.tv_sec = time_t(secs);
    ts.tv_nsec = long(v % 10000000ull) * 100;
    return ts;
}

bool Map(const std::string& path, std::string& host) {
    DWORD e;
    if (!MapPath(path, host, e)) return Fail(e);
    return true;
}

void IgnoreSigxfsz() {
    static bool done = false;
    if (!done) {
        ::signal(SIGXFSZ, SIG_IGN);
        done = true;
    }
}

// Days from 1601-01-01 for a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468 + 134774;  // 1970 -> 1601 offset
}
void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
    z -= 134774;  // to days since 1970
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = int(yoe) + int(era) * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y += m <= 2;
}

// Offset of local time from UTC now, in 100 ns units; Windows applies the bias in force
// at the moment of the call, not the one at the stamp's date.
std::int64_t CurrentBias() {
    time_t now = ::time(nullptr);
    struct tm lt;
    ::localtime_r(&now, &lt);
    return std::int64_t(lt.tm_gmtoff) * 10000000ll;
}

}  // namespace

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }

Handle CreateFile(const std::string& path, DWORD access, DWORD shareMode, DWORD creation,
                  DWORD attributes) {
    std::string host;
    if (!Map(path, host)) return InvalidHandle;
    if (creation < CreateNew || creation > TruncateExisting) {
        SetLastError(err::InvalidParameter);
        return InvalidHandle;
    }
    const bool wantRead = access & GenericRead;
    const bool wantWrite = access & GenericWrite;
    if (creation == TruncateExisting && !wantWrite) {
        SetLastError(err::InvalidParameter);
        return InvalidHandle;
    }
    struct stat st;
    const bool exists = ::stat(host.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        SetLastError(ErrorFromErrno(errno, host));
        return InvalidHandle;
    }
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            SetLastError(err::AccessDenied);
            return InvalidHandle;
        }
        if (creation == CreateNew) {
            SetLastError(err::FileExists);
            return InvalidHandle;
        }
        if (ReadOnlyFile(st) && (wantWrite || creation == CreateAlways || creation == TruncateExisting)) {
            SetLastError(err::AccessDenied);
            return InvalidHandle;
        }
        // Replacing a hidden or system file needs those attributes asked for again.
        if (creation == CreateAlways) {
            DWORD extra = StoredExtra(host, st).value_or(0) & (FileAttributeHidden | FileAttributeSystem);
            if (extra & ~attributes) {
                SetLastError(err::AccessDenied);
                return InvalidHandle;
            }
        }
        if (SharingConflict(IdOf(st), wantRead, wantWrite, shareMode)) {
            SetLastError(err::SharingViolation);
            return InvalidHandle;
        }
    } else if (creation == OpenExisting || creation == TruncateExisting) {
        SetLastError(ErrorFromErrno(ENOENT, host));
        return InvalidHandle;
    }
    int flags = O_CLOEXEC;
    if (wantRead && wantWrite) flags |= O_RDWR;
    else if (wantWrite) flags |= O_WRONLY;
    else flags |= O_RDONLY;
    if (!exists) flags |= O_CREAT | O_EXCL;
    if (exists && (creation == CreateAlways || creation == TruncateExisting)) {
        if (!wantWrite) {
            // Truncation needs a writable descriptor even when the caller only reads.
            flags = (flags & ~(O_RDONLY | O_WRONLY)) | O_RDWR;
        }
        flags |= O_TRUNC;
    }
    mode_t mode = (attributes & FileAttributeReadOnly) ? 0444 : 0666;
    // Windows runs a program by its name alone: a new ".EXE" may be started here too.
    if (path.size() > 4 && ::strcasecmp(path.c_str() + path.size() - 4, ".exe") == 0) mode |= (mode & 0444) >> 2;
    int fd = ::open(host.c_str(), flags, mode);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? err::FileExists : ErrorFromErrno(errno, host));
        return InvalidHandle;
    }
    struct stat now;
    if (::fstat(fd, &now) != 0) {
        SetLastError(ErrorFromErrno(errno, host));
        ::close(fd);
        return InvalidHandle;
    }
    if (!exists || creation == CreateAlways) {
        DWORD extra = attributes & (FileAttributeHidden | FileAttributeSystem);
        extra |= FileAttributeArchive;
        StoreExtra(host, now, extra);
    }
    Handle h = nextHandle;
    nextHandle += 4;
    Handles()[h] = OpenFile{fd, wantRead, wantWrite, shareMode, IdOf(now)};
    SetLastError(exists && (creation == OpenAlways || creation == CreateAlways) ? err::AlreadyExists : 0);
    return h;
}

bool ReadFile(Handle h, void* buffer, DWORD count, DWORD& done) {
    done = 0;
    OpenFile* f = Find(h);
    if (!f) return false;
    if (!f->canRead) return Fail(err::AccessDenied);
    auto* p = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(f->fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(err::ReadFault);
        }
        if (n == 0) break;
        done += DWORD(n);
    }
    SetLastError(0);
    return true;
}

bool WriteFile(Handle h, const void* buffer, DWORD count, DWORD& done) {
    done = 0;
    OpenFile* f = Find(h);
    if (!f) return false;
    if (!f->canWrite) return Fail(err::AccessDenied);
    IgnoreSigxfsz();
    std::size_t written = 0;
    DWORD error = WriteAll(f->fd, static_cast<const char*>(buffer), count, written);
    done = DWORD(written);
    if (error) return Fail(error);
    SetLastError(0);
    return true;
}

DWORD SetFilePointer(Handle h, LONG distance, DWORD origin) {
    OpenFile* f = Find(h);
    if (!f) return InvalidSetFilePointer;
    std::int64_t base;
    if (origin == FileBegin) base = 0;
    else if (origin == FileCurrent) base = ::lseek(f->fd, 0, SEEK_CUR);
    else if (origin == FileEnd) {
        struct stat st;
        if (::fstat(f->fd, &st) != 0) return Fail(err::InvalidHandle), InvalidSetFilePointer;
        base = st.st_size;
    } else {
        SetLastError(err::InvalidParameter);
        return InvalidSetFilePointer;
    }
    std::int64_t target = base + distance;
    if (target < 0) {
        SetLastError(err::NegativeSeek);
        return InvalidSetFilePointer;
    }
    if (target >= 0xFFFFFFFFll) {
        SetLastError(err::InvalidParameter);
        return InvalidSetFilePointer;
    }
    if (::lseek(f->fd, off_t(target), SEEK_SET) < 0) {
        SetLastError(err::InvalidParameter);
        return InvalidSetFilePointer;
    }
    SetLastError(0);
    return DWORD(target);
}

bool SetEndOfFile(Handle h) {
    OpenFile* f = Find(h);
    if (!f) return false;
    if (!f->canWrite) return Fail(err::AccessDenied);
    off_t pos = ::lseek(f->fd, 0, SEEK_CUR);
    IgnoreSigxfsz();
    if (pos < 0 || ::ftruncate(f->fd, pos) != 0)
        return Fail(errno == EFBIG || errno == ENOSPC ? err::DiskFull : err::AccessDenied);
    SetLastError(0);
    return true;
}

bool CloseHandle(Handle h) {
    OpenFile* f = Find(h);
    if (!f) return false;
    ::close(f->fd);
    Handles().erase(h);
    SetLastError(0);
    return true;
}

DWORD GetFileSize(Handle h, DWORD* high) {
    if (high) *high = 0;
    OpenFile* f = Find(h);
    if (!f) return InvalidFileSize;
    struct stat st;
    if (::fstat(f->fd, &st) != 0) {
        SetLastError(err::InvalidHandle);
        return InvalidFileSize;
    }
    if (high) {
        *high = DWORD(std::uint64_t(st.st_size) >> 32);
        SetLastError(0);
        return DWORD(std::uint64_t(st.st_size));
    }
    if (st.st_size >= 0xFFFFFFFFll) {
        SetLastError(err::InvalidParameter);
        return InvalidFileSize;
    }
    SetLastError(0);
    return DWORD(st.st_size);
}

bool GetFileTime(Handle h, FileTime* creation, FileTime* lastAccess, FileTime* lastWrite) {
    OpenFile* f = Find(h);
    if (!f) return false;
    struct stat st;
    if (::fstat(f->fd, &st) != 0) return Fail(err::InvalidHandle);
    // The host keeps no creation stamp everywhere; the oldest of the stamps stands in.
    if (creation) *creation = FromTimespec(st.st_mtim.tv_sec < st.st_ctim.tv_sec ? st.st_mtim : st.st_ctim);
    if (lastAccess) *lastAccess = FromTimespec(st.st_atim);
    if (lastWrite) *lastWrite = FromTimespec(st.st_mtim);
    SetLastError(0);
    return true;
}

bool SetFileTime(Handle h, const FileTime* creation, const FileTime* lastAccess,
                 const FileTime* lastWrite) {
    OpenFile* f = Find(h);
    if (!f) return false;
    if (!f->canWrite) return Fail(err::AccessDenied);
    timespec ts[2];
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1].tv_nsec = UTIME_OMIT;
    if (lastAccess && lastAccess->value()) ts[0] = ToTimespec(*lastAccess);
    if (lastWrite && lastWrite->value()) ts[1] = ToTimespec(*lastWrite);
    if (::futimens(f->fd, ts) != 0) return Fail(err::AccessDenied);
    SetLastError(0);
    return true;
}

bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local) {
    local = FileTime::from(std::uint64_t(std::int64_t(utc.value()) + CurrentBias()));
    return true;
}

bool LocalFileTimeToFileTime(const FileTime& local, FileTime& utc) {
    utc = FileTime::from(std::uint64_t(std::int64_t(local.value()) - CurrentBias()));
    return true;
}

bool FileTimeToDosDateTime(const FileTime& ft, WORD& date, WORD& time) {
    std::uint64_t v = ft.value();
    std::int64_t days = std::int64_t(v / (86400ull * 10000000ull));
    std::uint64_t secOfDay = (v / 10000000ull) % 86400ull;
    int y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    if (y < 1980 || y > 2107) return Fail(err::InvalidParameter);
    date = WORD(((y - 1980) << 9) | (m << 5) | d);
    time = WORD(((secOfDay / 3600) << 11) | (((secOfDay / 60) % 60) << 5) | ((secOfDay % 60) / 2));
    return true;
}

bool DosDateTimeToFileTime(WORD date, WORD time, FileTime& ft) {
    int y = 1980 + (date >> 9);
    unsigned m = (date >> 5) & 15, d = date & 31;
    unsigned hh = time >> 11, mm = (time >> 5) & 63, ss = (time & 31) * 2;
    if (m < 1 || m > 12 || d < 1 || d > 31 || hh > 23 || mm > 59 || ss > 59)
        return Fail(err::InvalidParameter);
    std::int64_t days = DaysFromCivil(y, m, d);
    std::uint64_t secs = std::uint64_t(days) * 86400ull + hh * 3600ull + mm * 60ull + ss;
    ft = FileTime::from(secs * 10000000ull);
    return true;
}

DWORD GetFileAttributes(const std::string& path) {
    std::string host;
    if (!Map(path, host)) return InvalidFileAttributes;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, host));
        return InvalidFileAttributes;
    }
    SetLastError(0);
    return AttributesOf(host, st);
}

bool SetFileAttributes(const std::string& path, DWORD attributes) {
    std::string host;
    if (!Map(path, host)) return false;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return FailErrno(host);
    if (!S_ISDIR(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        if (attributes & FileAttributeReadOnly) mode &= ~mode_t(0222);
        else mode |= S_IWUSR;
        if (mode != (st.st_mode & 07777) && ::chmod(host.c_str(), mode) != 0) return FailErrno(host);
    }
    StoreExtra(host, st, attributes & ExtraMask);
    SetLastError(0);
    return true;
}

bool DeleteFile(const std::string& path) {
    std::string host;
    if (!Map(path, host)) return false;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) return FailErrno(host);
    if (S_ISDIR(st.st_mode)) return Fail(err::AccessDenied);
    if (DeleteConflict(IdOf(st))) return Fail(err::SharingViolation);
    if (!S_ISLNK(st.st_mode) && ReadOnlyFile(st)) return Fail(err::AccessDenied);
    if (::unlink(host.c_str()) != 0) return FailErrno(host);
    ForgetExtra(st);
    SetLastError(0);
    return true;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    std::string src, dst;
    if (!Map(from, src) || !Map(to, dst)) return false;
    struct stat sst, dstst;
    if (::stat(src.c_str(), &sst) != 0) return FailErrno(src);
    if (S_ISDIR(sst.st_mode)) return Fail(err::AccessDenied);
    // The source is read as by a handle that shares reading and writing, the target
    // written as by one that shares nothing.
    if (SharingConflict(IdOf(sst), true, false, FileShareRead | FileShareWrite)) return Fail(err::SharingViolation);
    if (::stat(dst.c_str(), &dstst) == 0) {
        if (failIfExists) return Fail(err::FileExists);
        if (S_ISDIR(dstst.st_mode) || ReadOnlyFile(dstst)) return Fail(err::AccessDenied);
        if (IdOf(dstst) == IdOf(sst) || SharingConflict(IdOf(dstst), false, true, 0))
            return Fail(err::SharingViolation);
    }
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return FailErrno(src);
    int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, sst.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return FailErrno(dst);
    }
    IgnoreSigxfsz();
    char buf[65536];
    DWORD e = 0;
    while (!e) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) e = err::ReadFault;
        if (n <= 0) break;
        std::size_t written = 0;
        e = WriteAll(out, buf, std::size_t(n), written);
    }
    timespec ts[2] = {sst.st_atim, sst.st_mtim};
    ::futimens(out, ts);
    ::fchmod(out, sst.st_mode & 07777);
    ::close(in);
    ::close(out);
    if (e) return Fail(e);
    struct stat now;
    if (::stat(dst.c_str(), &now) == 0) {
        StoreExtra(dst, now, StoredExtra(src, sst).value_or(FileAttributeArchive) | FileAttributeArchive);
    }
    SetLastError(0);
    return true;
}

namespace {

// Appends one operation to PendingFileRenameOperations as NT records it: the source
// "\??\<path>", then "!\??\<path>" (replace an existing target), "\??\<path>", or an
// empty string for a delete.
bool RecordDelayedMove(const std::string& from, const std::string& to, DWORD flags) {
    std::string src = GetFullPathName(from);
    if (src.empty()) return false;
    std::string target;
    if (!to.empty()) {
        std::string t = GetFullPathName(to);
        if (t.empty()) return false;
        target = std::string((flags & MoveFileReplaceExisting) ? "!" : "") + "\\??\\" + t;
    }
    KeyHandle key;
    LONG rc = RegCreateKey(HKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", key.receive());
    if (rc != 0) return Fail(DWORD(rc));
    DWORD type = 0;
    std::vector<BYTE> data;
    rc = RegQueryValue(key.get(), "PendingFileRenameOperations", type, data);
    if (rc != 0 || type != RegMultiSz) data.clear();
    if (!data.empty() && data.back() == 0) data.pop_back();  // the list terminator
    auto add = [&](const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
    };
    add("\\??\\" + src);
    add(target);
    data.push_back(0);
    rc = RegSetValue(key.get(), "PendingFileRenameOperations", RegMultiSz, data.data(), DWORD(data.size()));
    if (rc != 0) return Fail(DWORD(rc));
    SetLastError(0);
    return true;
}

}  // namespace

bool MoveFileEx(const std::string& from, const std::string& to, DWORD flags) {
    if (flags & MoveFileDelayUntilReboot) {
        if (Faults().delayedMoveRefused) return Fail(err::AccessDenied);
        return RecordDelayedMove(from, to, flags);
    }
    std::string src, dst;
    if (!Map(from, src)) return false;
    if (to.empty()) return Fail(err::InvalidParameter);
    if (!Map(to, dst)) return false;
    struct stat sst, dstst;
    if (::lstat(src.c_str(), &sst) != 0) return FailErrno(src);
    if (DeleteConflict(IdOf(sst))) return Fail(err::SharingViolation);
    if (::lstat(dst.c_str(), &dstst) == 0) {
        bool same = IdOf(dstst) == IdOf(sst);
        if (!same) {
            if (!(flags & MoveFileReplaceExisting)) return Fail(err::AlreadyExists);
            if (S_ISDIR(dstst.st_mode) || ReadOnlyFile(dstst)) return Fail(err::AccessDenied);
            // A file open anywhere cannot be replaced, whatever it shares.
            if (IsOpen(IdOf(dstst))) return Fail(err::AccessDenied);
        }
    }
    if (::rename(src.c_str(), dst.c_str()) != 0) {
        if (errno == EXDEV && !S_ISDIR(sst.st_mode)) {
            if (!(flags & MoveFileCopyAllowed)) return Fail(err::NotSameDevice);
            if (!CopyFile(from, to, false)) return false;
            ::unlink(src.c_str());
            SetLastError(0);
            return true;
        }
        return FailErrno(dst);
    }
    SetLastError(0);
    return true;
}

bool CreateDirectory(const std::string& path) {
    std::string host;
    if (!Map(path, host)) return false;
    if (::mkdir(host.c_str(), 0777) != 0) {
        if (errno == EEXIST) return Fail(err::AlreadyExists);
        return Fail(errno == ENOENT ? err::PathNotFound : ErrorFromErrno(errno, host));
    }
    SetLastError(0);
    return true;
}

bool RemoveDirectory(const std::string& path) {
    std::string host;
    if (!Map(path, host)) return false;
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) return FailErrno(host);
    if (!S_ISDIR(st.st_mode)) return Fail(err::Directory);
    std::string full;
    DWORD e;
    if (FullDosPath(path, full, e) && full.size() <= 3) return Fail(err::AccessDenied);
    if (::rmdir(host.c_str()) != 0) return FailErrno(host);
    ForgetExtra(st);
    SetLastError(0);
    return true;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributes(path);
    return a != InvalidFileAttributes && !(a & FileAttributeDirectory);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributes(path);
    return a != InvalidFileAttributes && (a & FileAttributeDirectory);
}

std::string GetTempPath() {
    EnsureRoot();
    return GetWindowsDirectory().empty() ? std::string("C:\\WINDOWS\\TEMP\\")
                                         : GetWindowsDirectory() + "\\TEMP\\";
}

UINT GetTempFileName(const std::string& path, const std::string& prefix, UINT unique,
                     std::string& result) {
    std::string dir = path;
    if (dir.empty()) dir = ".";
    if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
    std::string pre = prefix.substr(0, 3);
    auto form = [&](UINT n) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", n);
        return dir + pre + hex + ".tmp";
    };
    if (unique != 0) {
        unique &= 0xFFFF;
        result = form(unique);
        SetLastError(0);
        return unique;
    }
    if (!DirectoryExists(path.empty() ? "." : path)) {
        DWORD e = GetLastError();
        SetLastError(e == err::FileNotFound || e == 0 ? err::Directory : e);
        return 0;
    }
    UINT start = (GetTickCount() ^ UINT(::getpid())) & 0xFFFF;
    if (start == 0) start = 1;
    UINT n = start;
    do {
        std::string name = form(n);
        if (FileHandle(CreateFile(name, GenericWrite, 0, CreateNew))) {
            result = name;
            SetLastError(0);
            return n;
        }
        DWORD e = GetLastError();
        if (e != err::FileExists && e != err::AlreadyExists) return 0;
        n = (n + 1) & 0xFFFF;
        if (n == 0) n = 1;
    } while (n != start);
    SetLastError(err::FileExists);
    return 0;
}

namespace {

bool ValidShortChar(unsigned char c) {
    if (c <= 32 || c == 127) return false;
    return !std::strchr("\"*+,./:;<=>?[\\]|", c);
}

// True when `name` already is a valid 8.3 name (as given, case included).
bool Is83(const std::string& name) {
    if (name == "." || name == "..") return true;
    auto dot = name.find('.');
    std::string base = name.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (ext.find('.') != std::string::npos) return false;
    if (dot != std::string::npos && ext.empty()) return false;
    for (unsigned char c : base + ext)
        if (!ValidShortChar(c)) return false;
    return true;
}

// The BASE and EXT stems of a long name's generated short name.
void ShortStem(const std::string& name, std::string& base, std::string& ext) {
    auto dot = name.find_last_of('.');
    std::string b = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
    std::string e = (dot == std::string::npos || dot == 0) ? "" : name.substr(dot + 1);
    base.clear();
    ext.clear();
    for (unsigned char c : b) {
        if (c == ' ' || c == '.') continue;
        base += ValidShortChar(c) ? char(fold::Cp1252Upper(c)) : '_';
        if (base.size() == 6) break;
    }
    for (unsigned char c : e) {
        if (c == ' ') continue;
        ext += ValidShortChar(c) ? char(fold::Cp1252Upper(c)) : '_';
        if (ext.size() == 3) break;
    }
    if (base.empty()) base = "_";
}

}  // namespace

// Deterministic short name of `name` in host folder `dir`: long names that share a stem
// are numbered ~1, ~2, ... in byte order of their names, skipping numbers whose result
// already exists as a real name.
std::string host::ShortNameIn(const std::string& dir, const std::string& name) {
    if (Is83(name)) return name;
    std::string base, ext;
    ShortStem(name, base, ext);
    std::vector<std::string> all, sameStem;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) all.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(all.begin(), all.end());
    for (auto& n : all) {
        if (Is83(n)) continue;
        std::string b, x;
        ShortStem(n, b, x);
        if (b == base && x == ext) sameStem.push_back(n);
    }
    auto taken = [&](const std::string& s) {
        for (auto& n : all)
            if (EqualIgnoreCase(n, s)) return true;
        return false;
    };
    int number = 0;
    for (auto& n : sameStem) {
        std::string candidate;
        do {
            ++number;
            std::string num = "~" + std::to_string(number);
            std::string b = base.substr(0, std::min<std::size_t>(base.size(), 8 - num.size()));
            candidate = b + num + (ext.empty() ? "" : "." + ext);
        } while (taken(candidate));
        if (n == name) return candidate;
    }
    return base + "~1" + (ext.empty() ? "" : "." + ext);
}

std::string GetShortPathName(const std::string& path) {
    std::string full, host;
    DWORD e;
    if (!FullDosPath(path, full, e) || !MapPath(full, host, e)) {
        SetLastError(e);
        return {};
    }
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno, host));
        return {};
    }
    // Walk the mapped path component by component, translating each real name.
    std::string out = full.substr(0, 2);
    std::string cur = host;
    std::vector<std::string> comps;
    {
        std::string drivePart;
        MapPath(full.substr(0, 3), drivePart, e);
        std::string rest = host.substr(drivePart.size());
        std::size_t i = 0;
        while (i < rest.size()) {
            std::size_t j = rest.find('/', i);
            if (j == std::string::npos) j = rest.size();
            if (j > i) comps.push_back(rest.substr(i, j - i));
            i = j + 1;
        }
        cur = drivePart;
    }
    for (auto& c : comps) {
        out += "\\" + ShortNameIn(cur, c);
        cur = (cur == "/" ? "/" : cur + "/") + c;
    }
    if (comps.empty()) out += "\\";
    if (!path.empty() && (path.back() == '\\' || path.back() == '/') && out.back() != '\\') out += '\\';
    SetLastError(0);
    return out;
}

bool GetDiskFreeSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes) {
    std::string host;
    if (!Map(path, host)) return false;
    struct statvfs vs;
    if (::statvfs(host.c_str(), &vs) != 0) return FailErrno(host);
    freeBytes = std::uint64_t(vs.f_bavail) * vs.f_frsize;
    totalBytes = std::uint64_t(vs.f_blocks) * vs.f_frsize;
    // A disk that tests fill up has only what still fits.
    if (Faults().diskLeft) freeBytes = std::min(freeBytes, *Faults().diskLeft);
    SetLastError(0);
    return true;
}

namespace {

bool WildMatch(const char* p, const char* s) {
    for (; *p; ++p) {
        if (*p == '*') {
            while (p[1] == '*') ++p;
            if (!p[1]) return true;
            for (const char* t = s; *t; ++t)
                if (WildMatch(p + 1, t)) return true;
            return WildMatch(p + 1, s + std::strlen(s));
        }
        if (!*s) {
            // "?" and "." may match nothing at the end ("a?" matches "a", "*." matches "a").
            if (*p == '?' || *p == '.') continue;
            return false;
        }
        if (*p == '?') {
            ++s;
            continue;
        }
        if (fold::Cp1252Upper(static_cast<unsigned char>(*p)) != fold::Cp1252Upper(static_cast<unsigned char>(*s)))
            return false;
        ++s;
    }
    return !*s;
}

}  // namespace

bool FindFiles(const std::string& pattern, std::vector<FindData>& out) {
    out.clear();
    std::string p = pattern;
    for (char& c : p)
        if (c == '/') c = '\\';
    auto slash = p.find_last_of('\\');
    std::string folder, mask;
    if (slash == std::string::npos) {
        if (p.size() >= 2 && p[1] == ':') {
            folder = p.substr(0, 2);
            mask = p.substr(2);
        } else {
            folder = ".";
            mask = p;
        }
    } else {
        folder = p.substr(0, slash + 1);
        mask = p.substr(slash + 1);
    }
    if (mask.empty()) return Fail(err::FileNotFound);
    if (mask == "*.*") mask = "*";
    std::string host;
    if (!Map(folder, host)) return false;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(err::PathNotFound);
    DIR* d = ::opendir(host.c_str());
    if (!d) return FailErrno(host);
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        if (WildMatch(mask.c_str(), n.c_str()) ||
            (mask.find_first_of("*?") == std::string::npos && EqualIgnoreCase(mask, n)))
            names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    for (auto& n : names) {
        std::string hp = (host == "/" ? "/" : host + "/") + n;
        struct stat est;
        if (::stat(hp.c_str(), &est) != 0) continue;
        FindData fd;
        fd.name = n;
        fd.attributes = AttributesOf(hp, est);
        fd.size = S_ISDIR(est.st_mode) ? 0 : std::uint64_t(est.st_size);
        fd.lastWrite = FromTimespec(est.st_mtim);
        out.push_back(fd);
    }
    if (out.empty()) return Fail(err::FileNotFound);
    SetLastError(0);
    return true;
}

}  // namespace platform

namespace platform::host {

void ResetFileControls() { Faults() = FileFaults{}; }

void EndEveryProcess() {
    Faults().held.clear();
    for (auto& [h, f] : Handles()) ::close(f.fd);
    Handles().clear();
}

}  // namespace platform::host

namespace platform::testenv {

bool SetDiskFullAfter(std::optional<std::uint64_t> bytes) {
    Faults().diskLeft = bytes;
    return true;
}

bool SetDelayedMoveRefused(bool refused) {
    Faults().delayedMoveRefused = refused;
    return true;
}

bool HoldFileInUse(const std::string& windowsPath, bool held) {
    std::string host;
    struct stat st;
    if (!Map(windowsPath, host) || ::stat(host.c_str(), &st) != 0) return false;
    if (held) Faults().held.insert(IdOf(st));
    else Faults().held.erase(IdOf(st));
    return true;
}

}  // namespace platform::testenv
