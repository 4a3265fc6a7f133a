// System registration of installed files: shared-DLL counts, help files, the
// self-registration check on version information, and COM self-registration of
// libraries and programs. Under Wine the test servers really register their classes;
// the host cannot load Windows images and reports that.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "com_servers.h"
#include "framework/forms.h"
#include "framework/startup.h"
#include "install/routines_SystemRegistration.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "registration/routines_RegistryWriter.h"
#include "tests/platform/scratch.h"
#include "version_images.h"
#include "tests/support/raised.h"

namespace {

using zarn::test::Message;

const char* const InprocClass = "CLSID\\{5A41524E-0001-4C6F-8164-5465737453F1}";
const char* const LocalClass = "CLSID\\{5A41524E-0002-4C6F-8164-5465737453F1}";

// What OleInitialize answers now (S_OK when OLE is not initialised on this thread),
// leaving OLE as it was.
platform::LONG OleState() {
    const platform::LONG r = platform::OleInitialize();
    if (r >= 0) platform::OleUninitialize();
    return r;
}

// The string value `name` of `key` below `root`, or "<none>".
std::string RegString(platform::HKEY root, const std::string& key, const std::string& name) {
    platform::KeyHandle k;
    std::string v;
    if (platform::RegOpenKey(root, key, platform::KeyRead, k.receive()) != 0) return "<none>";
    return platform::RegGetString(k.get(), name, v) == 0 ? v : "<none>";
}

// The stored names of the values of `key` below HKEY_LOCAL_MACHINE.
std::vector<std::string> ValueNames(const std::string& key) {
    std::vector<std::string> names;
    platform::KeyHandle k;
    if (platform::RegOpenKey(platform::HKeyLocalMachine, key, platform::KeyRead, k.receive()) != 0) return names;
    std::string name;
    for (platform::DWORD i = 0; platform::RegEnumValue(k.get(), i, name) == 0; ++i) names.push_back(name);
    return names;
}

void DeleteClass(const std::string& key) {
    for (const char* sub : {"\\InprocServer32", "\\LocalServer32", ""})
        platform::RegDeleteKey(platform::HKeyClassesRoot, key + sub);
}

class SystemRegistration : public zarn::test::ScratchTest {
protected:
    void TearDown() override {
        platform::KeyHandle k;
        if (platform::RegOpenKey(platform::HKeyLocalMachine, std::string(SharedDLLsKey + 1), platform::KeyAllAccess,
                                 k.receive()) == 0)
            for (const std::string& v : written_) platform::RegDeleteValue(k.get(), v);
        ScratchTest::TearDown();
    }

    // A shared-DLL value name of this test, removed at the end.
    std::string SharedPath(const std::string& name) {
        written_.push_back(dir_ + "\\" + name);
        return written_.back();
    }
    platform::DWORD Count(const std::string& path, platform::DWORD& type) {
        platform::KeyHandle k;
        std::vector<platform::BYTE> data;
        type = platform::RegNone;
        if (platform::RegOpenKey(platform::HKeyLocalMachine, std::string(SharedDLLsKey + 1), platform::KeyRead,
                                 k.receive()) != 0 ||
            platform::RegQueryValue(k.get(), path, type, data) != 0 || data.size() != 4)
            return 0;
        return platform::DWORD(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
    }

    // A copy of test server `name` in a folder with blanks in its name (the destination).
    std::string Install(const std::string& name) {
        const std::string folder = Path("Zarn Servers");
        platform::CreateDirectory(folder);
        const std::string dest = folder + "\\" + name;
        EXPECT_TRUE(platform::CopyFile(std::string(kComServers) + "\\" + name, dest, false))
            << name << ": " << platform::GetLastError();
        return dest;
    }

    std::vector<std::string> written_;
};

#define REQUIRE_SERVERS() \
    if (!ZARN_HAVE_COM_SERVERS) GTEST_SKIP() << "no MinGW C compiler for the test servers"
#define REQUIRE_REAL_WINDOWS() \
    if (platform::testenv::Available()) GTEST_SKIP() << "Windows images do not load in the host's Windows"

TEST_F(SystemRegistration, SharedDLLCountGrowsPerInstallAndReplacesANonNumber) {
    const std::string path = SharedPath("Vendor Shared.DLL");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(UpdateSharedDLLCount(path, "Shared"));
    platform::DWORD type;
    EXPECT_EQ(Count(path, type), 3u);
    EXPECT_EQ(type, platform::RegDword);
    // The value is named by the path with its letter case.
    bool found = false;
    for (const std::string& n : ValueNames(std::string(SharedDLLsKey + 1))) found |= n == path;
    EXPECT_TRUE(found);

    // A count that is not a number starts again from 0.
    const std::string text = SharedPath("TEXT.DLL");
    WriteRegString(4, SharedDLLsKey, text, "many");
    EXPECT_TRUE(UpdateSharedDLLCount(text, "Shared"));
    EXPECT_EQ(Count(text, type), 1u);
    EXPECT_EQ(type, platform::RegDword);
}

TEST_F(SystemRegistration, SharedDLLCountWithoutRegistryAccessNamesTheComponentAndTheError) {
    if (!platform::testenv::SetRegistryReadOnly(platform::HKeyLocalMachine, true))
        GTEST_SKIP() << "needs the host's registry switches";
    EXPECT_EQ(Message([&] { UpdateSharedDLLCount(SharedPath("A.DLL"), "SharedA"); }),
              "Could not open the key SharedDLLs key in the registry. File component SharedA. GetLastError return: 5");
    platform::testenv::SetRegistryReadOnly(platform::HKeyLocalMachine, false);
}

TEST_F(SystemRegistration, HelpFileIsRegisteredInUpperCaseWithItsFolderAsGiven) {
    RegisterHelpFile("readme.cnt", "D:\\App");
    const std::string key = std::string(HelpFilesKey + 1);
    EXPECT_EQ(RegString(platform::HKeyLocalMachine, key, "README.CNT"), "D:\\App");
    bool found = false;
    for (const std::string& n : ValueNames(key)) found |= n == "README.CNT";
    EXPECT_TRUE(found);
}

TEST_F(SystemRegistration, SelfRegisterEntryIsLookedUpInTheFirstTranslationsTable) {
    if (!ZARN_HAVE_VERSION_IMAGES) GTEST_SKIP() << "no MinGW resource compiler";
    auto image = [](const std::string& name) { return std::string(kVersionImages) + "\\" + name; };
    // Translation 0409/04E4: \StringFileInfo\040904E4\OLESelfRegister (an empty text counts).
    EXPECT_TRUE(IsOLESelfRegister(image("selfreg.dll")));
    // Translations 0407/04B0 then 0409/04E4: only the first one's table is asked.
    EXPECT_TRUE(IsOLESelfRegister(image("selfreg_first.dll")));
    EXPECT_FALSE(IsOLESelfRegister(image("selfreg_second.dll")));
    // Version information without the entry, an image without any, a file that is no
    // image and a missing file.
    EXPECT_FALSE(IsOLESelfRegister(image("app_multi.dll")));
    EXPECT_FALSE(IsOLESelfRegister(image("noresource.dll")));
    WriteText(Path("plain.dll"), "not an image");
    EXPECT_FALSE(IsOLESelfRegister(Path("plain.dll")));
    EXPECT_FALSE(IsOLESelfRegister(Path("missing.dll")));
}

TEST_F(SystemRegistration, BlankOrMissingDestinationsAreRefusedBeforeAnythingRuns) {
    const std::string blank =
        "Cannot not get support information for the file because the GetDestDir + DestName is blank. "
        "File component: Server1";
    EXPECT_EQ(Message([] { RegisterActiveXDLL("  ", "Server1"); }), blank);
    EXPECT_EQ(Message([] { RegisterActiveXEXE("", "Server1"); }), blank);
    const std::string missing = Path("gone.dll");
    EXPECT_EQ(Message([&] { RegisterActiveXDLL(missing, "Server2"); }),
              "Cannot not get support information for the file " + missing + ". File component: Server2");
    platform::testenv::SetWinExecRecordOnly(true);
    EXPECT_EQ(Message([&] { RegisterActiveXEXE(missing, "Server2"); }),
              "Cannot not get support information for the file " + missing + ". File component: Server2");
    EXPECT_EQ(platform::testenv::LastWinExecCommand(), "");
}

TEST_F(SystemRegistration, MessagesGoThroughTheTranslator) {
    InitApplication();
    ASSERT_EQ(GlobalTranslator, nullptr);
    TTranslator translator(nullptr);
    TStringList english, german;
    english.Add("1;Cannot not get support information for the file %s. File component: %s");
    german.Add("1;Keine Angaben zur Datei %s. Komponente: %s");
    translator.lgEnglish()->SetStrings(&english);
    translator.lgGerman()->SetStrings(&german);
    translator.SetTranslateIntoLanguage(TZarnLanguage::zlGerman);
    EXPECT_EQ(Message([] { RegisterActiveXDLL("X:\\nowhere.dll", "Server"); }),
              "Keine Angaben zur Datei X:\\nowhere.dll. Komponente: Server");
}

TEST_F(SystemRegistration, ALibraryThatDoesNotLoadReportsTheLoadError) {
    const platform::LONG ole = OleState();
    const std::string path = Path("plain.dll");
    WriteText(path, "not an image");
    // Windows and Wine refuse a file that is no image as a bad image; the host refuses
    // every Windows library the same way.
    const std::string expected = "Could not register the ActiveX component, " + path +
                                 ", because the LoadLibrary(" + path +
                                 ") procedure returned a value of 0. The file component is Plain. The following "
                                 "value is the value of the GetLastError function: 193";
    EXPECT_EQ(Message([&] { RegisterActiveXDLL(path, "Plain"); }), expected);
    EXPECT_EQ(OleState(), ole);
    if (platform::testenv::Available() && ZARN_HAVE_COM_SERVERS) {
        const std::string server = Install("zarnreg.dll");
        EXPECT_NE(Message([&] { RegisterActiveXDLL(server, "Server"); }).find("LoadLibrary(" + server + ")"),
                  std::string::npos);
        EXPECT_EQ(OleState(), ole);
    }
}

TEST_F(SystemRegistration, ALibraryRegistersItsClass) {
    REQUIRE_SERVERS();
    REQUIRE_REAL_WINDOWS();
    DeleteClass(InprocClass);
    const platform::LONG ole = OleState();
    const std::string dest = Install("zarnreg.dll");
    RegisterActiveXDLL(dest, "Server");
    EXPECT_EQ(RegString(platform::HKeyClassesRoot, InprocClass, ""), "Zarn test in-process server");
    const std::string registered = RegString(platform::HKeyClassesRoot, std::string(InprocClass) + "\\InprocServer32", "");
    EXPECT_EQ(platform::CompareTextIgnoreCase(registered, dest), 0) << registered;
    EXPECT_EQ(OleState(), ole);
    // The library was freed: the file can be deleted again.
    EXPECT_TRUE(platform::DeleteFile(dest)) << platform::GetLastError();
    DeleteClass(InprocClass);
}

TEST_F(SystemRegistration, ALibraryWhoseRegistrationFailsOrIsMissingSaysSo) {
    REQUIRE_SERVERS();
    REQUIRE_REAL_WINDOWS();
    const platform::LONG ole = OleState();
    const std::string failing = Install("zarnfail.dll");
    EXPECT_EQ(Message([&] { RegisterActiveXDLL(failing, "Fail"); }),
              "Could not register the ActiveX component, " + failing +
                  ", because the DllRegisterServer function returned a value of -2147220991. The file component "
                  "is Fail.");
    const std::string noExport = Install("zarnnoexp.dll");
    EXPECT_EQ(Message([&] { RegisterActiveXDLL(noExport, "NoExport"); }),
              "Could not register the ActiveX component, " + noExport +
                  ", because the DllRegisterServer function could not be found. The file component is NoExport. "
                  "The following value is the value of the GetLastError function: 127");
    EXPECT_EQ(OleState(), ole);
    EXPECT_TRUE(platform::DeleteFile(failing)) << platform::GetLastError();
    EXPECT_TRUE(platform::DeleteFile(noExport)) << platform::GetLastError();
}

TEST_F(SystemRegistration, AProgramIsStartedWithTheUnquotedCommandLine) {
    if (!platform::testenv::SetWinExecRecordOnly(true)) GTEST_SKIP() << "needs the host's process switches";
    const std::string dest = Path("Zarn Servers");
    platform::CreateDirectory(dest);
    WriteText(dest + "\\server.exe", "MZ");
    RegisterActiveXEXE(dest + "\\server.exe", "Server");
    EXPECT_EQ(platform::testenv::LastWinExecCommand(), dest + "\\server.exe /REGSERVER");
}

TEST_F(SystemRegistration, AProgramThatDoesNotStartReportsTheError) {
    const std::string path = Path("plain.exe");
    WriteText(path, "not an image");
    EXPECT_EQ(Message([&] { RegisterActiveXEXE(path, "Plain"); }),
              "Could not register the ActiveX component, " + path + ", because the WinExec(" + path +
                  ",SW_HIDE) function returned a value < 32. The file component is Plain. The following value is "
                  "the value of the GetLastError function: 193");
}

TEST_F(SystemRegistration, AProgramAtAPathWithBlanksRegistersItsClass) {
    REQUIRE_SERVERS();
    REQUIRE_REAL_WINDOWS();
    DeleteClass(LocalClass);
    const std::string dest = Install("zarnsrv.exe");
    RegisterActiveXEXE(dest, "LocalServer");
    // The registration does not wait for the program: wait here, with a limit.
    std::string registered = "<none>";
    const platform::DWORD start = platform::GetTickCount();
    while (platform::GetTickCount() - start < 60000) {
        registered = RegString(platform::HKeyClassesRoot, std::string(LocalClass) + "\\LocalServer32", "");
        if (registered != "<none>") break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(platform::CompareTextIgnoreCase(registered, dest), 0) << registered;
    EXPECT_EQ(RegString(platform::HKeyClassesRoot, LocalClass, ""), "Zarn test local server");
    DeleteClass(LocalClass);
}

}  // namespace
