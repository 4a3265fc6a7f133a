// What install files record for their uninstallation when they are processed with a main
// install object: the file log, the ActiveX list and the uninstall program's entry.
#include <gtest/gtest.h>

#include "platform/registry.h"
#include "registration/routines_RegistryWriter.h"
#include "shell/cmp_TUninstallEXE.h"
#include "tests/install/file_fixture.h"

using namespace zarn::test;

namespace {

const std::string UninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class UninstallRecordTest : public FileTest {
protected:
    void TearDown() override {
        for (const std::string& product : products_)
            for (const char* sub : {"\\Files", "\\ActiveX", ""})
                platform::RegDeleteKey(platform::HKeyLocalMachine, (UninstallKey + product + sub).substr(1));
        FileTest::TearDown();
    }

    // A main install object for `product`, whose uninstall key goes at the end.
    TTestInstall* Main(const std::string& product) {
        auto* m = new TTestInstall(owner);
        m->SetName("Main");
        m->product = product;
        MainInstall = m;
        products_.push_back(product);
        return m;
    }
    static std::string Read(const std::string& product, const std::string& sub, const std::string& value) {
        std::string v;
        ReadRegString(4, UninstallKey + product + sub, value, v, "<none>");
        return v;
    }

private:
    std::vector<std::string> products_;
};

TEST_F(UninstallRecordTest, ProcessedFilesAreLoggedAndTheNextRunContinuesTheLog) {
    const std::string product = "ZarnRecords" + IntToStr(platform::GetTickCount());
    TInstallFileGroup* g = Group("G");
    File(g, "Readme", "readme.txt", "read me");
    auto* uninstaller = new TUninstallEXE(owner);
    uninstaller->SetName("Uninst");
    Write(Path("src\\UNINST.EXE"), "uninstall program");
    uninstaller->SetIncludeFromDir(Path("src"));
    uninstaller->SetFileName("UNINST.EXE");
    uninstaller->SetContainer(g);
    g->CompressFiles(false);

    Main(product);
    g->Process();
    const std::string readme = Path("dest\\readme.txt");
    EXPECT_EQ(Read(product, "\\Files", "File1"), readme);
    EXPECT_EQ(Read(product, "\\Files", "Entries"), "1");
    // The uninstall program names itself in the product's entry, not in the log.
    EXPECT_EQ(Read(product, "", "DisplayName"), product);
    EXPECT_EQ(Read(product, "", "UninstallString"), Path("dest\\UNINST.EXE") + " " + product);
    EXPECT_EQ(Read(product, "\\Files", "File2"), "<none>");
    EXPECT_EQ(Read(product, "\\ActiveX", "Entries"), "<none>");

    // A second installation under the same product name goes on from the count it finds.
    g->Process();
    EXPECT_EQ(Read(product, "\\Files", "File2"), readme);
    EXPECT_EQ(Read(product, "\\Files", "Entries"), "2");
}

TEST_F(UninstallRecordTest, ActiveXServersAreListedWithTheirStyleInsteadOfLogged) {
    const std::string product = "ZarnActiveX" + IntToStr(platform::GetTickCount());
    Main(product);
    auto server = [&](const std::string& name, bool dll, bool exe) {
        auto* f = new TInstallFile(owner);
        f->BeginLoading();  // both styles can only be set together while loading
        f->SetName(name);
        f->SetDestDir("C:\\Demo");
        f->SetDestName(name + ".SRV");
        f->SetRegisterAsActiveX_DLLStyle(dll);
        f->SetRegisterAsActiveX_EXEStyle(exe);
        f->Loaded();
        f->WriteUninstallInfo(UninstallKey + product);
    };
    server("Dll", true, false);
    server("Exe", false, true);
    server("Both", true, true);
    EXPECT_EQ(Read(product, "\\ActiveX", "File1"), "C:\\Demo\\Dll.SRV;0");
    EXPECT_EQ(Read(product, "\\ActiveX", "File2"), "C:\\Demo\\Exe.SRV;1");
    EXPECT_EQ(Read(product, "\\ActiveX", "File3"), "C:\\Demo\\Both.SRV;1");
    EXPECT_EQ(Read(product, "\\ActiveX", "Entries"), "3");
    EXPECT_EQ(Read(product, "\\Files", "Entries"), "<none>");
}

TEST_F(UninstallRecordTest, TheUninstallProgramNamesItselfUnquotedAndNeedsAMainInstallObject) {
    ASSERT_NE(FindClass("TUninstallEXE"), nullptr);
    auto* uninstaller = new TUninstallEXE(owner);
    uninstaller->SetName("Uninst");
    uninstaller->SetDestDir("C:\\Demo");
    uninstaller->SetDestName("UNINST.EXE");
    EXPECT_TRUE(uninstaller->IsUninstallProgram());
    EXPECT_EQ(Message([&] { uninstaller->WriteUninstallInfo(UninstallKey + "Demo"); }),
              "Cannot write installation information for Uninst because there is no TInstall");

    Main("Demo");
    uninstaller->WriteUninstallInfo(UninstallKey + "Demo");
    EXPECT_EQ(Read("Demo", "", "DisplayName"), "Demo");
    EXPECT_EQ(Read("Demo", "", "UninstallString"), "C:\\Demo\\UNINST.EXE Demo");
}

}  // namespace
