// Files and folders over the ANSI Win32 API.
#include "platform/win32/win32_api.h"

#include "platform/files.h"

#include <cstring>

namespace platform {

namespace {

HANDLE ToWin(Handle h) { return reinterpret_cast<HANDLE>(h); }

::FILETIME ToWin(const FileTime& t) {
    ::FILETIME ft;
    ft.dwLowDateTime = t.low;
    ft.dwHighDateTime = t.high;
    return ft;
}

FileTime FromWin(const ::FILETIME& ft) { return FileTime{ft.dwLowDateTime, ft.dwHighDateTime}; }

// Runs an ANSI call that fills a buffer and returns the length it needs (or wrote),
// growing the buffer until the result fits. Empty on failure.
template <typename Call>
std::string FillBuffer(Call call) {
    std::string buf(MaxPath + 1, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        ::DWORD n = call(buf.data(), static_cast<::DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.assign(n + 1, '\0');
    }
    return {};
}

// A plain file marked read-only. Windows refuses to write, truncate or delete one; Wine
// run by root leaves that to the POSIX permissions, which root passes, so the check is
// made here as well (on Windows it only repeats what the system does).
bool ReadOnlyFile(const std::string& path) {
    ::DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) &&
           !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Refuse(::DWORD code) {
    ::SetLastError(code);
    return false;
}

}  // namespace

Handle CreateFile(const std::string& path, DWORD access, DWORD shareMode, DWORD creation,
                  DWORD attributes) {
    const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA |
                                   FILE_APPEND_DATA)) != 0 ||
                        creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING;
    if (writes && creation != CREATE_NEW && ReadOnlyFile(path)) {
        Refuse(ERROR_ACCESS_DENIED);
        return InvalidHandle;
    }
    HANDLE h = ::CreateFileA(path.c_str(), access, shareMode, nullptr, creation, attributes,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return InvalidHandle;
    return reinterpret_cast<Handle>(h);
}

bool ReadFile(Handle h, void* buffer, DWORD count, DWORD& done) {
    ::DWORD n = 0;
    BOOL ok = ::ReadFile(ToWin(h), buffer, count, &n, nullptr);
    done = n;
    return ok != FALSE;
}

bool WriteFile(Handle h, const void* buffer, DWORD count, DWORD& done) {
    ::DWORD n = 0;
    BOOL ok = ::WriteFile(ToWin(h), buffer, count, &n, nullptr);
    done = n;
    return ok != FALSE;
}

DWORD SetFilePointer(Handle h, LONG distance, DWORD origin) {
    return ::SetFilePointer(ToWin(h), distance, nullptr, origin);
}

bool SetEndOfFile(Handle h) { return ::SetEndOfFile(ToWin(h)) != FALSE; }

bool CloseHandle(Handle h) { return ::CloseHandle(ToWin(h)) != FALSE; }

DWORD GetFileSize(Handle h, DWORD* high) {
    ::DWORD upper = 0;
    const ::DWORD low = ::GetFileSize(ToWin(h), high ? &upper : nullptr);
    if (high) *high = upper;
    return low;
}

bool GetFileTime(Handle h, FileTime* creation, FileTime* lastAccess, FileTime* lastWrite) {
    ::FILETIME c{}, a{}, w{};
    if (!::GetFileTime(ToWin(h), &c, &a, &w)) return false;
    if (creation) *creation = FromWin(c);
    if (lastAccess) *lastAccess = FromWin(a);
    if (lastWrite) *lastWrite = FromWin(w);
    return true;
}

bool SetFileTime(Handle h, const FileTime* creation, const FileTime* lastAccess,
                 const FileTime* lastWrite) {
    ::FILETIME c{}, a{}, w{};
    if (creation) c = ToWin(*creation);
    if (lastAccess) a = ToWin(*lastAccess);
    if (lastWrite) w = ToWin(*lastWrite);
    return ::SetFileTime(ToWin(h), creation ? &c : nullptr, lastAccess ? &a : nullptr,
                         lastWrite ? &w : nullptr) != FALSE;
}

bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local) {
    ::FILETIME in = ToWin(utc), out{};
    if (!::FileTimeToLocalFileTime(&in, &out)) return false;
    local = FromWin(out);
    return true;
}

bool LocalFileTimeToFileTime(const FileTime& local, FileTime& utc) {
    ::FILETIME in = ToWin(local), out{};
    if (!::LocalFileTimeToFileTime(&in, &out)) return false;
    utc = FromWin(out);
    return true;
}

bool FileTimeToDosDateTime(const FileTime& ft, WORD& date, WORD& time) {
    ::FILETIME in = ToWin(ft);
    ::WORD d = 0, t = 0;
    if (!::FileTimeToDosDateTime(&in, &d, &t)) return false;
    date = d;
    time = t;
    return true;
}

bool DosDateTimeToFileTime(WORD date, WORD time, FileTime& ft) {
    ::FILETIME out{};
    if (!::DosDateTimeToFileTime(date, time, &out)) return false;
    ft = FromWin(out);
    return true;
}

DWORD GetFileAttributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool SetFileAttributes(const std::string& path, DWORD attributes) {
    return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool DeleteFile(const std::string& path) {
    if (ReadOnlyFile(path)) return Refuse(ERROR_ACCESS_DENIED);
    return ::DeleteFileA(path.c_str()) != FALSE;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (!failIfExists && ReadOnlyFile(to) && ::GetFileAttributesA(from.c_str()) != INVALID_FILE_ATTRIBUTES)
        return Refuse(ERROR_ACCESS_DENIED);
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool MoveFileEx(const std::string& from, const std::string& to, DWORD flags) {
    // An empty target with a delayed move means "delete at restart": the API wants null.
    const char* target = to.empty() ? nullptr : to.c_str();
    if (target && (flags & MOVEFILE_REPLACE_EXISTING) && !(flags & MOVEFILE_DELAY_UNTIL_REBOOT) &&
        ReadOnlyFile(to) && ::GetFileAttributesA(from.c_str()) != INVALID_FILE_ATTRIBUTES)
        return Refuse(ERROR_ACCESS_DENIED);
    return ::MoveFileExA(from.c_str(), target, flags) != FALSE;
}

bool CreateDirectory(const std::string& path) {
    return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool RemoveDirectory(const std::string& path) {
    return ::RemoveDirectoryA(path.c_str()) != FALSE;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributes(path);
    return a != InvalidFileAttributes && (a & FileAttributeDirectory) == 0;
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributes(path);
    return a != InvalidFileAttributes && (a & FileAttributeDirectory) != 0;
}

std::string GetCurrentDirectory() {
    return FillBuffer([](char* b, ::DWORD n) { return ::GetCurrentDirectoryA(n, b); });
}

bool SetCurrentDirectory(const std::string& path) {
    return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string GetFullPathName(const std::string& path) {
    return FillBuffer([&](char* b, ::DWORD n) {
        return ::GetFullPathNameA(path.c_str(), n, b, nullptr);
    });
}

std::string GetTempPath() {
    return FillBuffer([](char* b, ::DWORD n) { return ::GetTempPathA(n, b); });
}

UINT GetTempFileName(const std::string& path, const std::string& prefix, UINT unique,
                     std::string& result) {
    char buf[MAX_PATH + 1] = {};
    UINT n = ::GetTempFileNameA(path.c_str(), prefix.c_str(), unique, buf);
    if (n == 0) return 0;
    result = buf;
    return n;
}

std::string GetShortPathName(const std::string& path) {
    return FillBuffer([&](char* b, ::DWORD n) {
        return ::GetShortPathNameA(path.c_str(), b, n);
    });
}

namespace {

// GetDiskFreeSpaceExA came with Windows 95 OSR2 and NT 4.0, so it is looked up when
// first needed; the first Windows 95 has only GetDiskFreeSpaceA, which wants the root
// folder of a drive and whose counts stop at 2 GB there.
using DiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

DiskFreeSpaceExFn DiskFreeSpaceEx() {
    static const DiskFreeSpaceExFn fn = [] {
        HMODULE kernel = ::GetModuleHandleA("KERNEL32.DLL");
        void* p = kernel ? reinterpret_cast<void*>(::GetProcAddress(kernel, "GetDiskFreeSpaceExA")) : nullptr;
        return reinterpret_cast<DiskFreeSpaceExFn>(p);
    }();
    return fn;
}

// "C:\" for a path on drive C, "\\server\share\" for a network path, else empty
// (the current drive).
std::string RootOf(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        std::size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path + "\\";
        std::size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path + "\\" : path.substr(0, share + 1);
    }
    return {};
}

bool QueryDiskSpace(const std::string& folder, std::uint64_t& freeBytes, std::uint64_t& totalBytes) {
    if (DiskFreeSpaceExFn ex = DiskFreeSpaceEx()) {
        ULARGE_INTEGER avail{}, total{}, totalFree{};
        if (!ex(folder.c_str(), &avail, &total, &totalFree)) return false;
        freeBytes = avail.QuadPart;
        totalBytes = total.QuadPart;
        return true;
    }
    std::string root = RootOf(folder);
    ::DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!::GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster, &bytesPerSector,
                             &freeClusters, &clusters))
        return false;
    std::uint64_t cluster = std::uint64_t(sectorsPerCluster) * bytesPerSector;
    freeBytes = cluster * freeClusters;
    totalBytes = cluster * clusters;
    return true;
}

}  // namespace

bool GetDiskFreeSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes) {
    if (QueryDiskSpace(path, freeBytes, totalBytes)) return true;
    // The call wants a folder; a file's path or a folder still to be made is answered
    // by the drive that would hold it.
    std::string root = RootOf(path);
    return !root.empty() && root != path && QueryDiskSpace(root, freeBytes, totalBytes);
}

bool FindFiles(const std::string& pattern, std::vector<FindData>& out) {
    out.clear();
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        if (std::strcmp(fd.cFileName, ".") == 0 || std::strcmp(fd.cFileName, "..") == 0) continue;
        FindData d;
        d.name = fd.cFileName;
        d.attributes = fd.dwFileAttributes;
        d.size = (std::uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
        d.lastWrite = FromWin(fd.ftLastWriteTime);
        out.push_back(std::move(d));
    } while (::FindNextFileA(h, &fd));
    ::DWORD lastError = ::GetLastError();
    ::FindClose(h);
    ::SetLastError(lastError == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : lastError);
    return lastError == ERROR_NO_MORE_FILES;
}

}  // namespace platform
