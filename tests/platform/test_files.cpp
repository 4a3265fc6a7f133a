// Files and folders: the same expectations hold for the host Windows and for Win32.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "tests/platform/scratch.h"

using namespace platform;
using zarn::test::ScratchTest;

namespace {

bool SameText(const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) == 0; }

class Files : public ScratchTest {};

TEST_F(Files, ReadWriteSeekSizeAndEndOfFile) {
    Handle h = CreateFile(Path("data.bin"), GenericRead | GenericWrite, 0, CreateNew);
    ASSERT_NE(h, InvalidHandle);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, done));
    EXPECT_EQ(done, 11u);
    EXPECT_EQ(GetFileSize(h), 11u);
    EXPECT_EQ(SetFilePointer(h, 5, FileBegin), 5u);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h), 5u);
    EXPECT_EQ(SetFilePointer(h, 0, FileEnd), 5u);
    EXPECT_EQ(SetFilePointer(h, -2, FileCurrent), 3u);
    char buf[16] = {};
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, done));
    EXPECT_EQ(std::string(buf, done), "lo");
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, done));  // at the end: success, nothing read
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(SetFilePointer(h, -10, FileBegin), InvalidSetFilePointer);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), err::InvalidHandle);
    EXPECT_EQ(ReadText(Path("data.bin")), "hello");
}

TEST_F(Files, CreationDispositionsAndTheirErrors) {
    WriteText(Path("a.txt"), "old");
    EXPECT_EQ(CreateFile(Path("a.txt"), GenericWrite, 0, CreateNew), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::FileExists);

    Handle h = CreateFile(Path("a.txt"), GenericRead, 0, OpenAlways);
    ASSERT_NE(h, InvalidHandle);
    EXPECT_EQ(GetLastError(), err::AlreadyExists);  // succeeded on an existing file
    CloseHandle(h);
    h = CreateFile(Path("new.txt"), GenericWrite, 0, OpenAlways);
    ASSERT_NE(h, InvalidHandle);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(h);

    h = CreateFile(Path("a.txt"), GenericWrite, 0, CreateAlways);
    ASSERT_NE(h, InvalidHandle);
    EXPECT_EQ(GetLastError(), err::AlreadyExists);
    EXPECT_EQ(GetFileSize(h), 0u);  // truncated
    CloseHandle(h);

    EXPECT_EQ(CreateFile(Path("missing.txt"), GenericRead, 0, OpenExisting), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::FileNotFound);
    EXPECT_EQ(CreateFile(Path("nofolder\\x.txt"), GenericWrite, 0, CreateAlways), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::PathNotFound);
    EXPECT_EQ(CreateFile(Path("missing.txt"), GenericWrite, 0, TruncateExisting), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::FileNotFound);
}

TEST_F(Files, AccessOfTheHandleIsEnforced) {
    WriteText(Path("r.txt"), "abc");
    Handle h = CreateFile(Path("r.txt"), GenericRead, FileShareRead, OpenExisting);
    ASSERT_NE(h, InvalidHandle);
    DWORD done = 7;
    EXPECT_FALSE(WriteFile(h, "x", 1, done));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    EXPECT_EQ(done, 0u);
    CloseHandle(h);
    h = CreateFile(Path("r.txt"), GenericWrite, 0, OpenExisting);
    ASSERT_NE(h, InvalidHandle);
    char c;
    EXPECT_FALSE(ReadFile(h, &c, 1, done));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    CloseHandle(h);
}

TEST_F(Files, ReadOnlyAttributeRefusesWritesAndDeletes) {
    WriteText(Path("ro.txt"), "keep");
    EXPECT_EQ(GetFileAttributes(Path("ro.txt")) & FileAttributeArchive, FileAttributeArchive);
    ASSERT_TRUE(SetFileAttributes(Path("ro.txt"), FileAttributeReadOnly));
    EXPECT_EQ(GetFileAttributes(Path("ro.txt")) & FileAttributeReadOnly, FileAttributeReadOnly);
    EXPECT_EQ(CreateFile(Path("ro.txt"), GenericWrite, 0, OpenExisting), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    EXPECT_FALSE(DeleteFile(Path("ro.txt")));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    Handle h = CreateFile(Path("ro.txt"), GenericRead, FileShareRead, OpenExisting);
    EXPECT_NE(h, InvalidHandle);  // reading is fine
    CloseHandle(h);
    EXPECT_EQ(ReadText(Path("ro.txt")), "keep");

    ASSERT_TRUE(SetFileAttributes(Path("ro.txt"), FileAttributeNormal));
    {
        // Wine reports every plain file as archived; Windows and the host say Normal.
        const DWORD cleared = GetFileAttributes(Path("ro.txt"));
        EXPECT_TRUE(cleared == FileAttributeNormal ||
                    (!testenv::Available() && cleared == FileAttributeArchive))
            << cleared;
    }
    EXPECT_TRUE(DeleteFile(Path("ro.txt")));
    EXPECT_FALSE(FileExists(Path("ro.txt")));
    EXPECT_FALSE(DeleteFile(Path("ro.txt")));
    EXPECT_EQ(GetLastError(), err::FileNotFound);
    EXPECT_EQ(GetFileAttributes(Path("nofolder\\ro.txt")), InvalidFileAttributes);
    EXPECT_EQ(GetLastError(), err::PathNotFound);
}

TEST_F(Files, StampsSurviveAndConvert) {
    WriteText(Path("t.txt"), "x");
    // 2001-02-03 04:05:06 UTC.
    const FileTime stamp = FileTime::from(126256467060000000ull);
    Handle h = CreateFile(Path("t.txt"), GenericRead | GenericWrite, 0, OpenExisting);
    ASSERT_NE(h, InvalidHandle);
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &stamp));
    CloseHandle(h);
    h = CreateFile(Path("t.txt"), GenericRead, FileShareRead, OpenExisting);
    FileTime write;
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &write));
    CloseHandle(h);
    EXPECT_EQ(write, stamp);

    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(stamp, date, time));
    EXPECT_EQ(date, WORD((21 << 9) | (2 << 5) | 3));
    EXPECT_EQ(time, WORD((4 << 11) | (5 << 5) | 3));
    FileTime back;
    ASSERT_TRUE(DosDateTimeToFileTime(date, time, back));
    EXPECT_EQ(back, stamp);  // the even second survives exactly

    FileTime local, utc;
    ASSERT_TRUE(FileTimeToLocalFileTime(stamp, local));
    ASSERT_TRUE(LocalFileTimeToFileTime(local, utc));
    EXPECT_EQ(utc, stamp);

    // 1979 cannot be expressed as a DOS date.
    EXPECT_FALSE(FileTimeToDosDateTime(FileTime::from(119415168000000000ull), date, time));
}

TEST_F(Files, FoldersAndTheirErrors) {
    ASSERT_TRUE(CreateDirectory(Path("sub")));
    EXPECT_TRUE(DirectoryExists(Path("sub")));
    EXPECT_FALSE(FileExists(Path("sub")));
    EXPECT_NE(GetFileAttributes(Path("sub")) & FileAttributeDirectory, 0u);
    EXPECT_FALSE(CreateDirectory(Path("sub")));
    EXPECT_EQ(GetLastError(), err::AlreadyExists);
    EXPECT_FALSE(CreateDirectory(Path("none\\deeper")));
    EXPECT_EQ(GetLastError(), err::PathNotFound);
    WriteText(Path("sub\\f.txt"), "1");
    EXPECT_FALSE(RemoveDirectory(Path("sub")));
    EXPECT_EQ(GetLastError(), err::DirNotEmpty);
    EXPECT_FALSE(DeleteFile(Path("sub")));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    ASSERT_TRUE(DeleteFile(Path("sub\\f.txt")));
    EXPECT_TRUE(RemoveDirectory(Path("sub")));
    EXPECT_FALSE(DirectoryExists(Path("sub")));
}

TEST_F(Files, CurrentFolderAndRelativePaths) {
    ASSERT_TRUE(SetCurrentDirectory(dir_));
    EXPECT_TRUE(SameText(GetCurrentDirectory(), dir_));
    WriteText("rel.txt", "r");
    EXPECT_TRUE(FileExists(Path("rel.txt")));
    ASSERT_TRUE(CreateDirectory("inner"));
    ASSERT_TRUE(SetCurrentDirectory("inner"));
    EXPECT_TRUE(SameText(GetCurrentDirectory(), Path("inner")));
    EXPECT_TRUE(SameText(GetFullPathName("..\\rel.txt"), Path("rel.txt")));
    EXPECT_TRUE(SameText(GetFullPathName(".\\x\\..\\y.txt"), Path("inner\\y.txt")));
    EXPECT_TRUE(FileExists("..\\rel.txt"));
    EXPECT_TRUE(FileExists("../rel.txt"));  // forward slashes separate too
    EXPECT_FALSE(SetCurrentDirectory(Path("nothere")));
    EXPECT_TRUE(SameText(GetCurrentDirectory(), Path("inner")));
    ASSERT_TRUE(SetCurrentDirectory(dir_));
    ASSERT_TRUE(RemoveDirectory("inner"));
}

TEST_F(Files, NamesMatchWithoutRegardToCase) {
    WriteText(Path("MixedCase.TXT"), "m");
    EXPECT_TRUE(FileExists(Path("mixedcase.txt")));
    EXPECT_EQ(ReadText(Path("MIXEDCASE.txt")), "m");
    WriteText(Path("mixedcase.txt"), "n");  // the same file
    std::vector<FindData> found;
    ASSERT_TRUE(FindFiles(Path("*.txt"), found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "MixedCase.TXT");
    EXPECT_EQ(found[0].size, 1u);
}

TEST_F(Files, FindFilesWildcards) {
    WriteText(Path("one.txt"), "1");
    WriteText(Path("two.txt"), "22");
    WriteText(Path("three.dat"), "333");
    ASSERT_TRUE(CreateDirectory(Path("folder")));
    std::vector<FindData> found;
    ASSERT_TRUE(FindFiles(Path("*.*"), found));
    EXPECT_EQ(found.size(), 4u);
    ASSERT_TRUE(FindFiles(Path("t*"), found));
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(f.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"three.dat", "two.txt"}));
    ASSERT_TRUE(FindFiles(Path("???.txt"), found));
    EXPECT_EQ(found.size(), 2u);
    ASSERT_TRUE(FindFiles(Path("fold*"), found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].attributes & FileAttributeDirectory, 0u);
    EXPECT_FALSE(FindFiles(Path("*.none"), found));
    EXPECT_EQ(GetLastError(), err::FileNotFound);
    EXPECT_TRUE(found.empty());
}

TEST_F(Files, CopyAndMove) {
    WriteText(Path("src.txt"), "payload");
    ASSERT_TRUE(CopyFile(Path("src.txt"), Path("copy.txt"), true));
    EXPECT_EQ(ReadText(Path("copy.txt")), "payload");
    EXPECT_FALSE(CopyFile(Path("src.txt"), Path("copy.txt"), true));
    EXPECT_EQ(GetLastError(), err::FileExists);
    WriteText(Path("src.txt"), "second");
    ASSERT_TRUE(CopyFile(Path("src.txt"), Path("copy.txt"), false));
    EXPECT_EQ(ReadText(Path("copy.txt")), "second");
    EXPECT_FALSE(CopyFile(Path("gone.txt"), Path("x.txt"), false));
    EXPECT_EQ(GetLastError(), err::FileNotFound);

    EXPECT_FALSE(MoveFileEx(Path("src.txt"), Path("copy.txt"), 0));
    EXPECT_EQ(GetLastError(), err::AlreadyExists);
    ASSERT_TRUE(MoveFileEx(Path("src.txt"), Path("moved.txt"), 0));
    EXPECT_FALSE(FileExists(Path("src.txt")));
    ASSERT_TRUE(MoveFileEx(Path("moved.txt"), Path("copy.txt"), MoveFileReplaceExisting));
    EXPECT_EQ(ReadText(Path("copy.txt")), "second");
    EXPECT_FALSE(FileExists(Path("moved.txt")));
}

// Sharing among open handles, as Windows keeps it: a new open must allow what the open
// handles do, and they must allow what it asks for.
TEST_F(Files, OpenHandlesShareAsTheirModesSay) {
    WriteText(Path("s.txt"), "shared");
    auto refused = [](Handle h) {
        if (h == InvalidHandle) return GetLastError() == err::SharingViolation;
        CloseHandle(h);
        return false;
    };
    Handle reader = CreateFile(Path("s.txt"), GenericRead, FileShareRead, OpenExisting);
    ASSERT_NE(reader, InvalidHandle);
    Handle second = CreateFile(Path("S.TXT"), GenericRead, FileShareRead, OpenExisting);
    EXPECT_NE(second, InvalidHandle);
    CloseHandle(second);
    EXPECT_TRUE(refused(CreateFile(Path("s.txt"), GenericWrite, FileShareRead | FileShareWrite, OpenExisting)));
    EXPECT_TRUE(refused(CreateFile(Path("s.txt"), GenericRead, FileShareWrite, OpenExisting)));
    EXPECT_TRUE(refused(CreateFile(Path("s.txt"), GenericWrite, FileShareRead, CreateAlways)));
    EXPECT_FALSE(DeleteFile(Path("s.txt")));
    EXPECT_EQ(GetLastError(), err::SharingViolation);
    EXPECT_FALSE(MoveFileEx(Path("s.txt"), Path("t.txt"), 0));
    EXPECT_EQ(GetLastError(), err::SharingViolation);
    // Copying from it reads only; copying onto it needs to write.
    EXPECT_TRUE(CopyFile(Path("s.txt"), Path("copy.txt"), false));
    EXPECT_FALSE(CopyFile(Path("copy.txt"), Path("s.txt"), false));
    EXPECT_EQ(GetLastError(), err::SharingViolation);
    // An open file cannot be replaced by a move either.
    EXPECT_FALSE(MoveFileEx(Path("copy.txt"), Path("s.txt"), MoveFileReplaceExisting));
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    CloseHandle(reader);
    EXPECT_EQ(ReadText(Path("s.txt")), "shared");

    // A writer that shares everything: others may read and write beside it, but only
    // when they share writing in turn; it may be renamed while open.
    Handle writer = CreateFile(Path("s.txt"), GenericWrite, FileShareRead | FileShareWrite | FileShareDelete,
                               OpenExisting);
    ASSERT_NE(writer, InvalidHandle);
    EXPECT_TRUE(refused(CreateFile(Path("s.txt"), GenericRead, FileShareRead, OpenExisting)));
    Handle both = CreateFile(Path("s.txt"), GenericRead, FileShareRead | FileShareWrite | FileShareDelete,
                             OpenExisting);
    EXPECT_NE(both, InvalidHandle);
    CloseHandle(both);
    ASSERT_TRUE(MoveFileEx(Path("s.txt"), Path("renamed.txt"), 0)) << GetLastError();
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(writer, "SH", 2, done));
    CloseHandle(writer);
    EXPECT_EQ(ReadText(Path("renamed.txt")), "SHared");

    // A handle that shares nothing keeps every other open out.
    Handle alone = CreateFile(Path("renamed.txt"), GenericRead, 0, OpenExisting);
    ASSERT_NE(alone, InvalidHandle);
    EXPECT_TRUE(refused(CreateFile(Path("renamed.txt"), GenericRead, FileShareRead | FileShareWrite | FileShareDelete,
                                   OpenExisting)));
    // Attributes can still be read, and an open for neither reading nor writing passes.
    EXPECT_TRUE(FileExists(Path("renamed.txt")));
    Handle look = CreateFile(Path("renamed.txt"), 0, 0, OpenExisting);
    EXPECT_NE(look, InvalidHandle);
    CloseHandle(look);
    CloseHandle(alone);
    EXPECT_TRUE(DeleteFile(Path("renamed.txt")));
}

// The owning wrapper closes exactly once, hands over on a move or release, and leaves
// the last error of a failure alone while it closes.
TEST_F(Files, OwnedHandlesCloseOnceAndKeepTheLastError) {
    WriteText(Path("o.txt"), "o");
    auto openNow = [&] { return FileHandle(CreateFile(Path("o.txt"), GenericRead, 0, OpenExisting)); };
    FileHandle first = openNow();
    ASSERT_TRUE(first);
    FileHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_FALSE(openNow());  // still open, sharing nothing
    SetLastError(err::DiskFull);
    second.reset();
    EXPECT_EQ(GetLastError(), err::DiskFull);
    Handle raw = openNow().release();
    ASSERT_NE(raw, InvalidHandle);
    EXPECT_FALSE(openNow());  // release did not close it
    EXPECT_TRUE(CloseHandle(raw));
    EXPECT_TRUE(openNow());
}

TEST_F(Files, TempFileNames) {
    std::string temp = GetTempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_TRUE(DirectoryExists(temp));

    std::string a, b;
    UINT n = GetTempFileName(dir_, "zarn", 0, a);
    ASSERT_NE(n, 0u);
    UINT m = GetTempFileName(dir_, "zarn", 0, b);
    ASSERT_NE(m, 0u);
    EXPECT_NE(a, b);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", n);
    EXPECT_TRUE(SameText(a, dir_ + "\\zar" + hex + ".tmp")) << a;
    EXPECT_TRUE(FileExists(a));  // created, empty
    EXPECT_EQ(ReadText(a), "");

    std::string c;
    EXPECT_EQ(GetTempFileName(dir_, "ab", 0x1A2B, c), 0x1A2Bu);
    EXPECT_TRUE(SameText(c, dir_ + "\\ab1A2B.tmp")) << c;
    EXPECT_FALSE(FileExists(c));  // only formed

    EXPECT_EQ(GetTempFileName(Path("missing"), "x", 0, c), 0u);
}

TEST_F(Files, ShortPathsOfExistingFiles) {
    WriteText(Path("SHORT.TXT"), "s");
    std::string shortDir = GetShortPathName(dir_);
    ASSERT_FALSE(shortDir.empty());
    EXPECT_TRUE(SameText(GetShortPathName(Path("SHORT.TXT")), shortDir + "\\SHORT.TXT"));
    WriteText(Path("A rather long name.text"), "l");
    std::string s = GetShortPathName(Path("A rather long name.text"));
    ASSERT_FALSE(s.empty());
    std::string leaf = s.substr(s.find_last_of('\\') + 1);
    EXPECT_LE(leaf.size(), 12u) << leaf;
    EXPECT_NE(leaf.find('~'), std::string::npos) << leaf;
    EXPECT_TRUE(FileExists(s));  // the short form names the same file
    EXPECT_TRUE(GetShortPathName(Path("absent.txt")).empty());
}

TEST_F(Files, DiskFreeSpace) {
    std::uint64_t freeBytes = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpace(dir_, freeBytes, total));
    EXPECT_GT(total, 0u);
    EXPECT_LE(freeBytes, total);
}

}  // namespace
