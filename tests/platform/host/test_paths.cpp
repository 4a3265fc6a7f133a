// The host root and its DOS path mapping.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"

namespace fs = std::filesystem;
using namespace platform;
namespace te = platform::testenv;

namespace {

std::string DriveC() { return te::Root() + "/drive_c"; }

void Touch(const std::string& hostPath, const std::string& text = "x") {
    std::ofstream(hostPath, std::ios::binary) << text;
}

TEST(HostRoot, NewRootIsLaidOutLikeAPrefix) {
    const std::string root = te::Root();
    EXPECT_EQ(fs::read_symlink(root + "/dosdevices/c:"), "../drive_c");
    EXPECT_EQ(fs::read_symlink(root + "/dosdevices/z:"), "/");
    for (const char* f : {"WINDOWS", "WINDOWS/system32", "WINDOWS/Fonts", "Program Files",
                          "Program Files/Common Files"})
        EXPECT_TRUE(fs::is_directory(DriveC() + "/" + f)) << f;
    const std::string profile = "C:\\users\\" + host::UserName();
    KeyHandle k;
    ASSERT_EQ(RegOpenKey(HKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                         KeyRead, k.receive()), 0);
    for (const char* v : {"Start Menu", "Programs", "Desktop", "Startup", "Fonts"}) {
        std::string folder;
        ASSERT_EQ(RegGetString(k.get(), v, folder), 0) << v;
        EXPECT_TRUE(DirectoryExists(folder)) << v << " " << folder;
    }
    std::string programs;
    RegGetString(k.get(), "Programs", programs);
    EXPECT_EQ(programs, profile + "\\Start Menu\\Programs");
    ASSERT_EQ(RegOpenKey(HKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KeyRead, k.receive()), 0);
    std::string pf, cf;
    EXPECT_EQ(RegGetString(k.get(), "ProgramFilesDir", pf), 0);
    EXPECT_EQ(RegGetString(k.get(), "CommonFilesDir", cf), 0);
    EXPECT_EQ(pf, "C:\\Program Files");
    EXPECT_EQ(cf, "C:\\Program Files\\Common Files");
    // Registry files beside the drives, never under Wine's own names.
    EXPECT_TRUE(fs::exists(root + "/zarn-machine.reg"));
    EXPECT_TRUE(fs::exists(root + "/zarn-user.reg"));
    for (const char* wine : {"system.reg", "user.reg", "userdef.reg"})
        EXPECT_FALSE(fs::exists(root + "/" + wine)) << wine;
    EXPECT_EQ(GetCurrentDirectory(), "C:\\");
}

TEST(HostRoot, ExistingPrefixKeepsItsDrivesAndWineFiles) {
    std::string prefix = te::Root() + "/prefix";
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directories(prefix + "/drive_c/windows");
    fs::create_directories(prefix + "/other");
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    fs::create_directory_symlink("../other", prefix + "/dosdevices/d:");
    Touch(prefix + "/system.reg", "WINE REGISTRY Version 2\n");
    ASSERT_TRUE(te::UseRoot(prefix));
    // Wine's lower-case folder is used, not doubled.
    EXPECT_FALSE(fs::exists(prefix + "/drive_c/WINDOWS"));
    EXPECT_TRUE(fs::is_directory(prefix + "/drive_c/windows/system32"));
    Touch(prefix + "/other/file.txt");
    EXPECT_TRUE(FileExists("D:\\FILE.TXT"));
    std::ifstream in(prefix + "/system.reg");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "WINE REGISTRY Version 2");
}

TEST(HostPaths, ComponentsMatchExactlyFirstThenWithoutCase) {
    fs::create_directories(DriveC() + "/Games/Quake");
    Touch(DriveC() + "/Games/Quake/QUAKE.EXE");
    EXPECT_EQ(te::HostPath("C:\\games\\quake\\quake.exe"), DriveC() + "/Games/Quake/QUAKE.EXE");
    // Two names that differ only in case: the exact one wins.
    Touch(DriveC() + "/Games/readme.txt", "lower");
    Touch(DriveC() + "/Games/README.txt", "upper");
    EXPECT_EQ(te::HostPath("C:\\Games\\README.txt"), DriveC() + "/Games/README.txt");
    EXPECT_EQ(te::HostPath("C:\\Games\\readme.txt"), DriveC() + "/Games/readme.txt");
    // A name that does not exist keeps the case given.
    EXPECT_EQ(te::HostPath("c:\\GAMES\\NewFile.Txt"), DriveC() + "/Games/NewFile.Txt");
    EXPECT_EQ(te::HostPath("C:/Games/Quake"), DriveC() + "/Games/Quake");
    ASSERT_TRUE(CreateDirectory("C:\\GAMES\\QUAKE\\Skyrdemo"));
    EXPECT_TRUE(fs::is_directory(DriveC() + "/Games/Quake/Skyrdemo"));
}

TEST(HostPaths, DriveZReachesTheWholeHost) {
    std::string here = te::Root() + "/outside.txt";
    Touch(here, "z");
    auto dos = te::WindowsPath(here);
    ASSERT_TRUE(dos);
    EXPECT_EQ(dos->substr(0, 3), "Z:\\");
    EXPECT_TRUE(FileExists(*dos));
    EXPECT_EQ(te::HostPath(*dos), here);
    // Within drive_c the longer link (C:) wins.
    EXPECT_EQ(te::WindowsPath(DriveC() + "/WINDOWS"), "C:\\WINDOWS");
    EXPECT_EQ(te::WindowsPath(DriveC()), "C:\\");
    EXPECT_EQ(te::HostPath("Z:\\"), "/");
}

TEST(HostPaths, DriveRelativePathsUseThatDrivesFolder) {
    fs::create_directories(DriveC() + "/work/sub");
    ASSERT_TRUE(SetCurrentDirectory("C:\\work"));
    ASSERT_TRUE(SetCurrentDirectory("Z:\\tmp"));
    EXPECT_EQ(GetCurrentDirectory(), "Z:\\tmp");
    EXPECT_EQ(GetFullPathName("C:sub\\f.txt"), "C:\\work\\sub\\f.txt");
    EXPECT_EQ(GetFullPathName("C:"), "C:\\work");
    EXPECT_EQ(GetFullPathName("\\etc"), "Z:\\etc");  // the current drive's root
    EXPECT_EQ(GetFullPathName("rel"), "Z:\\tmp\\rel");
    EXPECT_EQ(GetFullPathName("D:rel"), "D:\\rel");  // a drive never visited starts at its root
    ASSERT_TRUE(SetCurrentDirectory("C:sub"));
    EXPECT_EQ(GetCurrentDirectory(), "C:\\work\\sub");
}

TEST(HostPaths, LeavingADriveOrAMissingDriveFails) {
    EXPECT_FALSE(te::HostPath("C:\\..\\etc\\passwd"));
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\..\\..\\..\\etc\\passwd"));
    EXPECT_EQ(GetLastError(), err::PathNotFound);
    EXPECT_EQ(CreateFile("C:\\..\\escape.txt", GenericWrite, 0, CreateAlways), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::PathNotFound);
    EXPECT_FALSE(fs::exists(te::Root() + "/escape.txt"));
    EXPECT_FALSE(CreateDirectory("Q:\\folder"));
    EXPECT_EQ(GetLastError(), err::PathNotFound);
    EXPECT_FALSE(te::HostPath("Q:\\x"));
    EXPECT_EQ(CreateFile("C:\\a<b.txt", GenericWrite, 0, CreateAlways), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::InvalidName);
    // ".." inside a drive is fine.
    EXPECT_EQ(te::HostPath("C:\\WINDOWS\\..\\WINDOWS"), DriveC() + "/WINDOWS");
}

TEST(HostPaths, CurrentFolderStartsFromThePosixFolder) {
    // A fresh process derives it; here the same derivation through WindowsPath.
    char buf[4096];
    ASSERT_TRUE(getcwd(buf, sizeof buf));
    auto dos = te::WindowsPath(buf);
    ASSERT_TRUE(dos);
    EXPECT_TRUE(dos->size() >= 3 && (*dos)[1] == ':');
}

TEST(HostPaths, ShortNamesAreDeterministicAndResolve) {
    fs::create_directories(DriveC() + "/Program Files/Long Folder Name");
    Touch(DriveC() + "/Program Files/Long Folder Name/Setup Program.exe");
    Touch(DriveC() + "/Program Files/Long Folder Name/Setup Program Two.exe");
    EXPECT_EQ(GetShortPathName("C:\\Program Files\\Long Folder Name\\Setup Program.exe"),
              "C:\\PROGRA~1\\LONGFO~1\\SETUPP~2.EXE");
    // Names sharing a stem are numbered in byte order: ' ' sorts before '.'.
    EXPECT_EQ(GetShortPathName("C:\\Program Files\\Long Folder Name\\Setup Program Two.exe"),
              "C:\\PROGRA~1\\LONGFO~1\\SETUPP~1.EXE");
    EXPECT_TRUE(FileExists("C:\\PROGRA~1\\LONGFO~1\\SETUPP~2.EXE"));
    EXPECT_EQ(GetShortPathName("C:\\WINDOWS"), "C:\\WINDOWS");
    EXPECT_EQ(GetShortPathName("C:\\Program Files\\missing.txt"), "");
    EXPECT_EQ(GetLastError(), err::FileNotFound);
}

TEST(HostFiles, HiddenAndSystemAttributesAreKept) {
    Touch(DriveC() + "/attr.txt");
    ASSERT_TRUE(SetFileAttributes("C:\\attr.txt", FileAttributeHidden | FileAttributeSystem));
    EXPECT_EQ(GetFileAttributes("C:\\attr.txt"), FileAttributeHidden | FileAttributeSystem);
    ASSERT_TRUE(SetFileAttributes("C:\\attr.txt", FileAttributeReadOnly | FileAttributeArchive));
    EXPECT_EQ(GetFileAttributes("C:\\attr.txt"), FileAttributeReadOnly | FileAttributeArchive);
    EXPECT_EQ(fs::status(DriveC() + "/attr.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    // Replacing a hidden file must ask for the hidden attribute again.
    ASSERT_TRUE(SetFileAttributes("C:\\attr.txt", FileAttributeHidden));
    EXPECT_EQ(CreateFile("C:\\attr.txt", GenericWrite, 0, CreateAlways), InvalidHandle);
    EXPECT_EQ(GetLastError(), err::AccessDenied);
    EXPECT_TRUE(FileHandle(CreateFile("C:\\attr.txt", GenericWrite, 0, CreateAlways, FileAttributeHidden)));
    EXPECT_EQ(GetFileAttributes("C:\\attr.txt"), FileAttributeHidden | FileAttributeArchive);
}

}  // namespace
