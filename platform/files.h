// Files and folders with Win32 semantics. Paths are Windows paths; failures set the
// last error (platform::GetLastError) to the code Windows would give.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

// Access rights (dwDesiredAccess).
constexpr DWORD GenericRead = 0x80000000u;
constexpr DWORD GenericWrite = 0x40000000u;
// Share modes.
constexpr DWORD FileShareRead = 1;
constexpr DWORD FileShareWrite = 2;
constexpr DWORD FileShareDelete = 4;
// Creation dispositions.
constexpr DWORD CreateNew = 1;
constexpr DWORD CreateAlways = 2;
constexpr DWORD OpenExisting = 3;
constexpr DWORD OpenAlways = 4;
constexpr DWORD TruncateExisting = 5;
// Attributes.
constexpr DWORD FileAttributeReadOnly = 0x01;
constexpr DWORD FileAttributeHidden = 0x02;
constexpr DWORD FileAttributeSystem = 0x04;
constexpr DWORD FileAttributeDirectory = 0x10;
constexpr DWORD FileAttributeArchive = 0x20;
constexpr DWORD FileAttributeNormal = 0x80;
constexpr DWORD InvalidFileAttributes = 0xFFFFFFFFu;
// Seek origins.
constexpr DWORD FileBegin = 0;
constexpr DWORD FileCurrent = 1;
constexpr DWORD FileEnd = 2;
constexpr DWORD InvalidSetFilePointer = 0xFFFFFFFFu;
constexpr DWORD InvalidFileSize = 0xFFFFFFFFu;
// MoveFileEx flags.
constexpr DWORD MoveFileReplaceExisting = 0x1;
constexpr DWORD MoveFileCopyAllowed = 0x2;
constexpr DWORD MoveFileDelayUntilReboot = 0x4;

// CreateFileA. Returns InvalidHandle on failure.
Handle CreateFile(const std::string& path, DWORD access, DWORD shareMode, DWORD creation,
                  DWORD attributes = FileAttributeNormal);
// ReadFile / WriteFile. `done` receives the bytes transferred (also on a partial write).
bool ReadFile(Handle h, void* buffer, DWORD count, DWORD& done);
bool WriteFile(Handle h, const void* buffer, DWORD count, DWORD& done);
// SetFilePointer with a 32-bit distance. Returns the new position or InvalidSetFilePointer.
DWORD SetFilePointer(Handle h, LONG distance, DWORD origin);
bool SetEndOfFile(Handle h);
bool CloseHandle(Handle h);
// GetFileSize. With `high`, the size's upper 32 bits go there and a size of 4 GiB or more
// is answered in full; without it such a size is not representable.
DWORD GetFileSize(Handle h, DWORD* high = nullptr);
// Stamps of an open file; a null pointer leaves that stamp alone.
bool GetFileTime(Handle h, FileTime* creation, FileTime* lastAccess, FileTime* lastWrite);
bool SetFileTime(Handle h, const FileTime* creation, const FileTime* lastAccess,
                 const FileTime* lastWrite);
// Conversions between UTC and local file times, and to/from DOS date and time words.
bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local);
bool LocalFileTimeToFileTime(const FileTime& local, FileTime& utc);
bool FileTimeToDosDateTime(const FileTime& ft, WORD& date, WORD& time);
bool DosDateTimeToFileTime(WORD date, WORD time, FileTime& ft);

DWORD GetFileAttributes(const std::string& path);
bool SetFileAttributes(const std::string& path, DWORD attributes);
bool DeleteFile(const std::string& path);
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);
bool MoveFileEx(const std::string& from, const std::string& to, DWORD flags);
bool CreateDirectory(const std::string& path);
bool RemoveDirectory(const std::string& path);

// Convenience tests built on GetFileAttributes.
bool FileExists(const std::string& path);       // exists and is not a folder
bool DirectoryExists(const std::string& path);  // exists and is a folder

// GetCurrentDirectory: no trailing backslash except at a drive root ("C:\").
std::string GetCurrentDirectory();
bool SetCurrentDirectory(const std::string& path);
// GetFullPathName: an absolute, normalised path for `path` (relative to the current folder).
std::string GetFullPathName(const std::string& path);

// GetTempPath: ends with a backslash.
std::string GetTempPath();
// GetTempFileName: "<path>\<prefix up to 3 chars><hex>.tmp". With unique == 0 a fresh
// number is chosen and the file is created; otherwise the name is only formed.
// Returns the number used, 0 on failure.
UINT GetTempFileName(const std::string& path, const std::string& prefix, UINT unique,
                     std::string& result);
// GetShortPathName: the 8.3 form of an existing path; empty on failure.
std::string GetShortPathName(const std::string& path);

// Free space of the volume holding `path` (GetDiskFreeSpaceEx).
bool GetDiskFreeSpace(const std::string& path, std::uint64_t& freeBytes, std::uint64_t& totalBytes);

// FindFirstFile / FindNextFile, gathered: the entries matching a pattern ("*" and "?"
// wildcards in the last component), "." and ".." excluded.
struct FindData {
    std::string name;
    DWORD attributes = 0;
    std::uint64_t size = 0;
    FileTime lastWrite;
};
bool FindFiles(const std::string& pattern, std::vector<FindData>& out);

}  // namespace platform
