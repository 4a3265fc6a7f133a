// Object repository entries: where the catalogue of each environment is found, the
// sections an entry writes and erases, the failure rule, and copying entries.
#include <gtest/gtest.h>

#include "framework/msgtranslation.h"
#include "framework/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "registration/cmp_TRepository.h"
#include "registration/routines_RegistryWriter.h"
#include "tests/platform/scratch.h"
#include "tests/support/raised.h"

using namespace zarn::test;

namespace {

// An install file as the entries see it.
class TFakeRepositoryFile : public TComponent, public IRepositoryFile {
public:
    TFakeRepositoryFile(TComponent* owner, std::string dir, std::string name)
        : TComponent(owner), dir_(std::move(dir)), name_(std::move(name)) {}
    std::string RepositoryDestDir() override { return dir_; }
    std::string RepositoryDestName() const override { return name_; }

private:
    std::string dir_, name_;
};

class RepositoryTest : public ScratchTest {
protected:
    void TearDown() override {
        // Leave no repository settings behind in a real registry.
        for (const char* key : {"Software\\Borland\\Delphi\\3.0\\repository", "Software\\Borland\\Delphi\\3.0",
                                "Software\\Borland\\Delphi\\2.0", "Software\\Borland\\C++Builder\\1.0",
                                "Software\\Borland\\C++Builder", "Software\\Borland\\Delphi", "Software\\Borland"})
            for (platform::HKEY root : {platform::HKeyCurrentUser, platform::HKeyLocalMachine})
                platform::RegDeleteKey(root, key);
        ScratchTest::TearDown();
    }
    void SetRootDir(const std::string& versionPart, const std::string& dir) {
        WriteRegString(4, "\\Software\\Borland" + versionPart, "RootDir", dir);
    }
    void SetBaseDir(const std::string& versionPart, const std::string& dir) {
        WriteRegString(2, "\\Software\\Borland" + versionPart + "\\repository", "BaseDir", dir);
    }
    std::string Sections(const std::string& file) {
        TStringList names;
        ReadSectionNames(file, &names);
        std::string all;
        for (int i = 0; i < names.Count(); ++i) all.append("[").append(names[i]).append("]");
        return all;
    }
};

TEST_F(RepositoryTest, TheCatalogueIsFoundThroughBaseDirElseRootDir) {
    EXPECT_EQ(Message([] { LocateRepositoryFile(RepositoryDelphi3); }),
              "Could find the object repository because the HKEY_LOCAL_MACHINE\\Software\\Borland\\Delphi\\3.0 | "
              "RootDir entry was blank in the registry");
    SetRootDir("\\Delphi\\3.0", dir_);
    EXPECT_EQ(Message([] { LocateRepositoryFile(RepositoryDelphi3); }),
              "Could not find the Object Repository file " + dir_ + "\\Bin\\DELPHI32.DRO");
    platform::CreateDirectory(Path("Bin"));
    WriteText(Path("Bin\\DELPHI32.DRO"), "");
    EXPECT_EQ(LocateRepositoryFile(RepositoryDelphi3), dir_ + "\\Bin\\DELPHI32.DRO");
    // The user's own repository folder comes first.
    SetBaseDir("\\Delphi\\3.0", dir_ + "\\");
    EXPECT_EQ(Message([] { LocateRepositoryFile(RepositoryDelphi3); }),
              "Could not find the Object Repository file " + dir_ + "\\DELPHI32.DRO");
    // Each kind has its own keys and file.
    SetRootDir("\\C++Builder\\1.0", dir_);
    WriteText(Path("Bin\\BCB.DRO"), "");
    EXPECT_EQ(LocateRepositoryFile(RepositoryCBuilder), dir_ + "\\Bin\\BCB.DRO");
    EXPECT_THROW(LocateRepositoryFile(RepositoryDelphi2), Exception);
}

TEST_F(RepositoryTest, RegisteringWritesThePageAndTheEntrysSectionAfterErasingSameNamedOnes) {
    const std::string file = Path("DELPHI32.DRO");
    WriteText(file,
              "[Repository Pages]\r\nForms=\r\n\r\n"
              "[C:\\Old\\MyForm]\r\nName=Old\r\n\r\n"
              "[C:\\Old\\MyFormEx]\r\nName=Other entry\r\n\r\n"
              "[C:\\Keep\\About]\r\nName=About box\r\n");
    SetBaseDir("\\Delphi\\3.0", dir_);
    TFakeRepositoryFile form(nullptr, "C:\\App\\Forms", "MyForm.pas");
    TFakeRepositoryFile icon(nullptr, "C:\\App", "myform.ico");
    TFakeRepositoryFile ancestor(nullptr, "C:\\App\\", "Base.pas");
    TRepository repository(&form);
    TObjectRepositoryEntry* e = repository.Delphi3();
    e->SetRegisterIt(true);
    e->SetEntryName("My form");
    e->SetPage("Dialogs");
    e->SetEntryType("FormTemplate");
    e->SetDescription("A form");
    e->SetAuthor("Halvard");
    e->SetIconFile(&icon);
    e->SetAncestor(&ancestor);
    repository.Register();
    EXPECT_EQ(Sections(file), "[Repository Pages][C:\\Keep\\About][C:\\App\\Forms\\MyForm]");
    EXPECT_EQ(platform::GetPrivateProfileSectionKeys("Repository Pages", file), (std::vector<std::string>{"Forms", "Dialogs"}));
    EXPECT_EQ(platform::GetPrivateProfileSectionKeys("C:\\App\\Forms\\MyForm", file),
              (std::vector<std::string>{"Name", "Page", "Type", "Description", "Author", "Icon", "Ancestor"}));
    auto value = [&](const char* key) { return platform::GetPrivateProfileString("C:\\App\\Forms\\MyForm", key, "?", file); };
    EXPECT_EQ(value("Icon"), "C:\\App\\myform.ico");
    EXPECT_EQ(value("Ancestor"), "C:\\App\\Base.pas");

    // Again with other values: one section, the latest values.
    e->SetEntryName("My form 2");
    repository.Register();
    EXPECT_EQ(Sections(file), "[Repository Pages][C:\\Keep\\About][C:\\App\\Forms\\MyForm]");
    EXPECT_EQ(value("Name"), "My form 2");

    // A catalogue with a single section keeps it, whatever its name.
    WriteText(file, "[C:\\Old\\MyForm]\r\nName=Old\r\n");
    e->SetIconFile(nullptr);
    e->SetAncestor(nullptr);
    repository.Register();
    EXPECT_EQ(Sections(file), "[C:\\Old\\MyForm][Repository Pages][C:\\App\\Forms\\MyForm]");
    EXPECT_EQ(value("Icon"), "?");
}

TEST_F(RepositoryTest, AFileWithoutANameErasesNothing) {
    const std::string file = Path("DELPHI32.DRO");
    WriteText(file, "[A]\r\nName=a\r\n\r\n[B]\r\nName=b\r\n");
    EraseMatchingSections(file, "");
    EXPECT_EQ(Sections(file), "[A][B]");
    EraseMatchingSections(file, "B");
    EXPECT_EQ(Sections(file), "[A]");
}

TEST_F(RepositoryTest, FailuresAreIgnoredUnlessAskedForAndNothingHappensUnlessRegistered) {
    TFakeRepositoryFile form(nullptr, "C:\\App", "MyForm.pas");
    TRepository repository(&form);
    TObjectRepositoryEntry* e = repository.CBuilder();
    // Not registered: no registry, no file, whatever the failure rule says.
    e->SetRaiseExceptionOnFailure(true);
    EXPECT_NO_THROW(repository.Register());
    e->SetRegisterIt(true);
    EXPECT_EQ(Message([&] { repository.Register(); }),
              "Could find the object repository because the HKEY_LOCAL_MACHINE\\Software\\Borland\\C++Builder\\1.0 | "
              "RootDir entry was blank in the registry");
    e->SetRaiseExceptionOnFailure(false);
    EXPECT_NO_THROW(repository.Register());
}

TEST_F(RepositoryTest, EntriesCopyTheirPublishedPropertiesAndAcceptOnlyInstallFiles) {
    TFakeRepositoryFile a(nullptr, "C:\\A", "a.pas");
    TFakeRepositoryFile b(nullptr, "C:\\B", "b.pas");
    TRepository from(&a), to(&b);
    from.Delphi2()->SetAuthor("Halvard");
    from.Delphi2()->SetIconFile(&a);
    from.Delphi2()->SetOverwriteSameFileName(false);
    from.Delphi2()->SetRegisterIt(true);
    to.Assign(&from);
    EXPECT_EQ(to.Delphi2()->Author(), "Halvard");
    EXPECT_EQ(to.Delphi2()->IconFile(), &a);
    EXPECT_FALSE(to.Delphi2()->OverwriteSameFileName());
    EXPECT_TRUE(to.Delphi2()->RegisterIt());
    EXPECT_EQ(to.Delphi2()->InstallFile(), static_cast<IRepositoryFile*>(&b));
    EXPECT_EQ(to.Delphi2()->Kind(), RepositoryDelphi2);
    to.Delphi2()->ForgetComponent(&a);
    EXPECT_EQ(to.Delphi2()->IconFile(), nullptr);
    to.SetDelphi3(from.Delphi2());
    EXPECT_EQ(to.Delphi3()->Author(), "Halvard");
    EXPECT_EQ(to.Delphi3()->Kind(), RepositoryDelphi3);

    TStringList notAnEntry;
    EXPECT_EQ(Message([&] { to.Delphi2()->Assign(&notAnEntry); }),
              "Cannot assign a TStringList to a TObjectRepositoryEntry");
    TComponent plain(nullptr);
    EXPECT_THROW(to.Delphi2()->SetAncestor(&plain), EConvertError);
    EXPECT_EQ(to.Delphi2()->Ancestor(), nullptr);
}

TEST_F(RepositoryTest, AnEntryNeedsItsFileAndTranslatesItsMessages) {
    EXPECT_EQ(Message([] { TObjectRepositoryEntry e(RepositoryDelphi3, nullptr); }),
              "Cannot create the TObjectRepositoryEntry because the file component passed to the contructor was NIL");
    SetMessageTranslator([](const std::string& m) { return "[" + m + "]"; });
    std::string m = Message([] { TObjectRepositoryEntry e(RepositoryDelphi3, nullptr); });
    SetMessageTranslator(nullptr);
    EXPECT_EQ(m, "[Cannot create the TObjectRepositoryEntry because the file component passed to the contructor was NIL]");
}

}  // namespace
