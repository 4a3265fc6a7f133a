// The host's shortcut files: the bytes follow the shell's format, link-inspection tools
// read them, and broken files are refused.
#include <gtest/gtest.h>

#include "tests/support/lnkinfo.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/host/lnkformat.h"
#include "platform/shelllink.h"
#include "platform/testenv.h"

namespace {

using platform::host::LinkData;

using zarn::test::LnkInfoField;
using zarn::test::RunCommand;

void WriteFile(const std::string& path, const std::string& text) {
    platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways);
    ASSERT_NE(h, platform::InvalidHandle);
    platform::DWORD done = 0;
    platform::WriteFile(h, text.data(), platform::DWORD(text.size()), done);
    platform::CloseHandle(h);
}

TEST(HostShellLink, LnkInfoReadsTargetWorkingFolderAndArguments) {
    ASSERT_TRUE(platform::CreateDirectory("C:\\Games"));
    ASSERT_TRUE(platform::CreateDirectory("C:\\Games\\Skyreach Demo"));
    WriteFile("C:\\Games\\Skyreach Demo\\skyr.exe", "MZ-program");
    std::unique_ptr<platform::ShellLink> link;
    ASSERT_EQ(platform::CreateShellLink(link), 0);
    link->SetPath("C:\\Games\\Skyreach Demo\\skyr.exe");
    link->SetWorkingDirectory("C:\\Games\\Skyreach Demo");
    link->SetArguments("-game skyrdemo +map start");
    link->SetDescription("Skyreach");
    link->SetHotkey(0x0241);  // Ctrl+A
    ASSERT_EQ(link->Save("C:\\Games\\Skyreach.LNK", true), 0);

    auto host = platform::testenv::HostPath("C:\\Games\\Skyreach.LNK");
    ASSERT_TRUE(host.has_value());
    std::string out = RunCommand("lnkinfo '" + *host + "' 2>&1");
    ASSERT_NE(out.find("Windows Shortcut information"), std::string::npos) << out;
    EXPECT_EQ(LnkInfoField(out, "Local path"), "C:\\Games\\Skyreach Demo\\skyr.exe") << out;
    EXPECT_EQ(LnkInfoField(out, "Working directory"), "C:\\Games\\Skyreach Demo") << out;
    EXPECT_EQ(LnkInfoField(out, "Command line arguments"), "-game skyrdemo +map start") << out;
    EXPECT_EQ(LnkInfoField(out, "Relative path"), ".\\Skyreach Demo\\skyr.exe") << out;
    EXPECT_EQ(LnkInfoField(out, "File size"), "10 bytes") << out;
    EXPECT_EQ(LnkInfoField(out, "Drive type"), "Fixed (3)") << out;
    EXPECT_NE(out.find("Modification time\t\t: "), std::string::npos);
    EXPECT_EQ(out.find("Modification time\t\t: Not set"), std::string::npos) << out;

    // The header as the format lays it out.
    std::ifstream in(*host, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 0x4Cu);
    EXPECT_EQ(bytes.substr(0, 20), std::string("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x40]), 0x41);  // hot key, low byte
    EXPECT_EQ(static_cast<unsigned char>(bytes[0x41]), 0x02);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));  // terminal block
}

TEST(HostShellLink, AnsiTextSurvivesAsUtf16) {
    LinkData d;
    d.path = "C:\\Spiele\\M\xFC" "de\\\x80uro.exe";  // ü and the euro sign of Windows-1252
    d.arguments = "-x \"\xE9t\xE9\"";
    d.workingDir = "C:\\Spiele\\M\xFC" "de";
    std::vector<platform::BYTE> bytes = platform::host::FormatLink(d);
    LinkData back;
    std::string error;
    ASSERT_TRUE(platform::host::ParseLink(bytes, back, error)) << error;
    EXPECT_EQ(back.path, d.path);
    EXPECT_EQ(back.arguments, d.arguments);
    EXPECT_EQ(back.workingDir, d.workingDir);
    EXPECT_EQ(platform::host::AnsiToUtf16("\x80")[0], u'\u20AC');
}

TEST(HostShellLink, TextOutsideTheCodePageReadsBackAsTheSystemFitsIt) {
    LinkData d;
    d.path = "C:\\Games\\x.exe";
    d.arguments = "Xesky";
    std::vector<platform::BYTE> bytes = platform::host::FormatLink(d);
    // Make the first argument character a UTF-16 C with caron, as a Czech system writes it.
    const std::u16string marker = u"Xesky";
    auto at = std::search(bytes.begin(), bytes.end(), reinterpret_cast<const platform::BYTE*>(marker.data()),
                          reinterpret_cast<const platform::BYTE*>(marker.data()) + 2 * marker.size());
    ASSERT_NE(at, bytes.end());
    at[0] = 0x0C;
    at[1] = 0x01;
    LinkData back;
    std::string error;
    ASSERT_TRUE(platform::host::ParseLink(bytes, back, error)) << error;
    EXPECT_EQ(back.arguments, "Cesky");
}

TEST(HostShellLink, RelativePaths) {
    using platform::host::RelativeLinkPath;
    EXPECT_EQ(RelativeLinkPath("C:\\users\\me\\Desktop", "C:\\Games\\skyr.exe"),
              "..\\..\\..\\Games\\skyr.exe");
    EXPECT_EQ(RelativeLinkPath("C:\\Games", "c:\\games\\skyr.exe"), ".\\skyr.exe");
    EXPECT_EQ(RelativeLinkPath("C:\\", "C:\\skyr.exe"), ".\\skyr.exe");
    EXPECT_EQ(RelativeLinkPath("D:\\Links", "C:\\Games\\skyr.exe"), "");
    EXPECT_EQ(RelativeLinkPath("C:\\Links", "skyr.exe"), "");
}

TEST(HostShellLink, BrokenFilesAreRefused) {
    LinkData d;
    d.path = "C:\\Games\\skyr.exe";
    d.arguments = "-a";
    std::vector<platform::BYTE> good = platform::host::FormatLink(d);
    LinkData out;
    std::string error;
    ASSERT_TRUE(platform::host::ParseLink(good, out, error));
    // Every truncation fails cleanly.
    for (std::size_t n = 0; n + 4 < good.size(); ++n) {
        std::vector<platform::BYTE> cut(good.begin(), good.begin() + long(n));
        EXPECT_FALSE(platform::host::ParseLink(cut, out, error)) << n;
    }
    std::vector<platform::BYTE> bad = good;
    bad[4] = 0x02;  // class identifier
    EXPECT_FALSE(platform::host::ParseLink(bad, out, error));
    bad = good;
    bad[0x4C] = 0xFF;  // link information larger than the file
    bad[0x4D] = 0xFF;
    EXPECT_FALSE(platform::host::ParseLink(bad, out, error));
    bad = good;
    bad[0x4C + 16] = 0xF0;  // local base path offset outside the structure
    EXPECT_FALSE(platform::host::ParseLink(bad, out, error));
    EXPECT_FALSE(error.empty());

    // Through the link object: a broken file fails to load and leaves no fields behind.
    WriteFile("C:\\broken.lnk", "L\0\0\0garbage");
    std::unique_ptr<platform::ShellLink> link;
    ASSERT_EQ(platform::CreateShellLink(link), 0);
    EXPECT_TRUE(platform::hr::Failed(link->Load("C:\\broken.lnk")));
    std::string path = "x";
    link->GetPath(path);
    EXPECT_EQ(path, "");
}

}  // namespace
