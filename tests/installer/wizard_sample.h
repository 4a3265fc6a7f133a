// A small installation for the wizard's tests and its demonstration program: a main
// install object with two file groups (each with one file, made here with a size of its
// own), a translator and the wizard's settings, read from a description as an installer
// author writes one.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/classes.h"
#include "framework/formreader.h"
#include "framework/streams.h"
#include "install/cmp_TInstallContainer.h"
#include "installer/cmp_TMainInstall.h"
#include "installer/cmp_TSetupWizard.h"

namespace wizardsample {

inline const char* const kDescription = R"(object Setup: TComponent
  object Translator: TTranslator
    lgEnglish.Strings = (
      '1;Game data')
    lgGerman.Strings = (
      '1;Spieldaten')
  end
  object DemoInstall: TMainInstall
    ProductName = 'Zarn Demo'
    ProductVersion = '2.1'
    Publisher = 'Zarn Works'
    DestDir = '\Zarn Demo'
    DestDirType = ddProgramFilesDir
  end
  object GameFiles: TInstallFileGroup
    Container = DemoInstall
    ArchiveFile = '\GAME.ZRN'
    ArchiveFileType = ddLoading
    DestDirType = ddMainInstallDir
    GroupName = 'Game data'
    InstallTypes = [itFull, itCompact]
  end
  object GameFile: TInstallFile
    Container = GameFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDirType = ddContainerDestDir
    FileName = 'GAME.DAT'
    DestName = 'GAME.DAT'
  end
  object LevelFiles: TInstallFileGroup
    Container = DemoInstall
    ArchiveFile = '\LEVELS.ZRN'
    ArchiveFileType = ddLoading
    DestDirType = ddMainInstallDir
    GroupName = 'Extra levels'
    InstallTypes = [itFull]
  end
  object LevelFile: TInstallFile
    Container = LevelFiles
    ArchiveFileType = ddContainerArchiveFile
    DestDirType = ddContainerDestDir
    FileName = 'LEVELS.DAT'
    DestName = 'LEVELS.DAT'
  end
  object Wizard: TSetupWizard
    LicenceText.Strings = (
      'ZARN DEMO LICENCE'
      ''
      'You may play this demo as often as you like.')
    FinishProgram = '%i\GAME.DAT'
    FinishProgramCaption = 'Start the &game'
  end
end
)";

constexpr int kGameSize = 1536 * 1024;
constexpr int kLevelsSize = 640 * 1024;

// A file of `size` bytes that compresses a little but not to nothing.
inline void WriteFile(const std::string& path, int size) {
    TFileStream f(path, fmCreate);
    std::string block(64 * 1024, '\0');
    unsigned state = 12345;
    for (int done = 0; done < size; done += int(block.size())) {
        for (char& c : block) {
            state = state * 1103515245u + 12345u;
            c = char((state >> 16) % 48 + 32);
        }
        f.Write(block.data(), std::int32_t(std::min(size - done, int(block.size()))));
    }
}

// The installation read from the description, its source files made in `source`, which
// is also its loading folder.
struct TSample {
    std::unique_ptr<TComponent> root;
    TMainInstall* install = nullptr;
    TSetupWizard* wizard = nullptr;
    TInstallFileGroup* game = nullptr;
    TInstallFileGroup* levels = nullptr;
};

inline TSample Load(const std::string& source) {
    WriteFile(source + "\\GAME.DAT", kGameSize);
    WriteFile(source + "\\LEVELS.DAT", kLevelsSize);
    TSample s;
    s.root = std::make_unique<TComponent>(nullptr);
    ReadComponentFromText(s.root.get(), kDescription, "demo.zis");
    s.install = dynamic_cast<TMainInstall*>(s.root->FindComponent("DemoInstall"));
    s.wizard = dynamic_cast<TSetupWizard*>(s.root->FindComponent("Wizard"));
    s.game = dynamic_cast<TInstallFileGroup*>(s.root->FindComponent("GameFiles"));
    s.levels = dynamic_cast<TInstallFileGroup*>(s.root->FindComponent("LevelFiles"));
    s.install->SetLoadingFolder(source);
    for (const char* name : {"GameFile", "LevelFile"})
        dynamic_cast<TInstallFile*>(s.root->FindComponent(name))->SetIncludeFromDir(source);
    // The sizes the wizard shows (a runtime reads them from its archive instead).
    s.game->ReadSourceInfo();
    s.levels->ReadSourceInfo();
    return s;
}

// The installation as a runtime runs it: each group's archive built, then the install
// object processed.
inline void Install(TSample& s) {
    s.game->CompressFiles(false);
    s.levels->CompressFiles(false);
    s.install->Process();
}

}  // namespace wizardsample
