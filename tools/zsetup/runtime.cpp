#include <cstdio>
#include <memory>

#include "archive/routines_Lzma.h"
#include "framework/dialogs.h"
#include "framework/forms.h"
#include "framework/paths.h"
#include "framework/startup.h"
#include "framework/streams.h"
#include "install/cmp_TInstallContainer.h"
#include "install/routines_Destinations.h"
#include "installer/cmp_TMainInstall.h"
#include "installer/cmp_TSetupDescription.h"
#include "installer/cmp_TSetupWizard.h"
#include "installer/routines_Package.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "shell/startup.h"
#include "tools/zsetup/zsetup.h"

namespace zsetup {

namespace {

using PS = TPathSpecifiers;

constexpr const char* RestartProgramName = "ZRESTART.EXE";

// The runtime's own texts: they are needed before the package's translator can be
// trusted.
const char* const EnglishTexts[] = {
    "1;The installer is damaged or incomplete.",
    "2;This installer needs a newer version of the setup program.",
    "3;The installer's description cannot be read: %s",
    "4;There is not enough free space in %s to unpack the installer: it needs %s MB.",
    "7;The installation failed: %s",
    "8;The setup program holds no installer.",
    "9;This Windows cannot load Windows programs: their servers were installed without registering.",
};
const char* const GermanTexts[] = {
    "1;Das Installationsprogramm ist besch\xe4" "digt oder unvollst\xe4" "ndig.",
    "2;Dieses Installationsprogramm braucht eine neuere Version des Setup-Programms.",
    "3;Die Beschreibung des Installationsprogramms kann nicht gelesen werden: %s",
    "4;In %s ist nicht genug Platz frei, um das Installationsprogramm zu entpacken: es braucht %s MB.",
    "7;Die Installation ist fehlgeschlagen: %s",
    "8;Das Setup-Programm enth\xe4" "lt kein Installationsprogramm.",
    "9;Dieses Windows kann keine Windows-Programme laden: ihre Server wurden installiert, ohne sich zu registrieren.",
};

void LoadTexts(TTranslator* t) {
    t->lgEnglish()->SetLines(EnglishTexts);
    t->lgGerman()->SetLines(GermanTexts);
}

class Runtime {
public:
    Runtime(const std::string& image, const Switches& s) : image_(image), switches_(s) {}

    ~Runtime() {
        root_.reset();
        if (SharedCompress) SharedCompress->SetSourceStream(nullptr);
        solid_.reset();
        if (!restartCopy_.empty()) platform::DeleteFile(restartCopy_);
        if (!unpacked_.empty()) platform::DeleteFile(unpacked_);
    }

    int Run() {
        InitialiseInstallLibrary();
        RegisterInstallerClasses();
        RegisterSetupDescriptionClasses();
        RegisterSetupWizardClasses();
        InitApplication();
        {
            // Checked before anything else happens.
            TTranslator texts(nullptr);
            LoadTexts(&texts);
            package::TPackageState state = package::TPackageState::Damaged;
            try {
                TFileStream f(image_, fmOpenRead | fmShareDenyNone);
                state = package::ReadPackage(&f, package_);
            } catch (const Exception&) {
            }
            switch (state) {
                case package::TPackageState::Ok: break;
                case package::TPackageState::NoPayload:
                    Report(TranslateText("The setup program holds no installer."), true);
                    return ExitFailed;
                case package::TPackageState::Unsupported:
                    Report(TranslateText("This installer needs a newer version of the setup program."), true);
                    return ExitFailed;
                case package::TPackageState::Damaged:
                    Report(TranslateText("The installer is damaged or incomplete."), true);
                    return ExitFailed;
            }
            archive_ = image_;
            archiveOffset_ = package_.archiveOffset;
            if (package_.compression == package::CompressionSolid)
                if (const int code = Unpack(); code != ExitInstalled) return code;
            try {
                root_ = std::make_unique<TSetupDescription>(nullptr);
                ReadSetupDescription(root_.get(), package_.description, "setup");
                ExpandInstallFolders(root_.get());
            } catch (const Exception& e) {
                root_.reset();
                Report(Format(TranslateText("The installer's description cannot be read: %s"), {e.Message()}), true);
                return ExitFailed;
            }
        }
        // From here on the package's own translator (if any) speaks.
        install_ = dynamic_cast<TMainInstall*>(MainInstall);
        if (!install_) {
            Report(Format(TranslateText("The installer's description cannot be read: %s"), {"no TMainInstall"}), true);
            return ExitFailed;
        }
        PointAtPayload();
        if (switches_.hasFolder) {
            install_->SetDestDirType(PS::ddAbsolute);
            install_->SetDestDir(RemoveTrailingBackslash(Trim(switches_.folder)));
        }
        return switches_.silent ? Silent() : Interactive();
    }

private:
    // A solid payload is unpacked into an archive in the temporary folder by a worker
    // thread while the installation reads it (what is not there yet is waited for); the
    // destructor removes it, however the run ends.
    int Unpack() {
        const std::string folder = platform::GetTempPath();
        std::string temp;
        try {
            TFileStream image(image_, fmOpenRead | fmShareDenyNone);
            const std::uint64_t size = package::SolidArchiveSize(&image, package_);
            std::uint64_t free = 0, total = 0;
            // Some room beside it for the restart program and the file system's own.
            if (folder.empty() || !platform::GetDiskFreeSpace(folder, free, total) || free < size + (1u << 20)) {
                Report(Format(TranslateText("There is not enough free space in %s to unpack the installer: it needs %s MB."),
                              {RemoveTrailingBackslash(folder), IntToStr(std::int64_t((size >> 20) + 2))}),
                       true);
                return ExitFailed;
            }
            if (platform::GetTempFileName(folder, "zsp", 0, temp) == 0 || temp.empty())
                throw Exception("no temporary file");
            unpacked_ = temp;
            solid_ = std::make_unique<package::TSolidArchiveStream>(image_, package_, temp);
        } catch (const EFCreateError& e) {
            Report(Format(TranslateText("The installation failed: %s"), {e.Message()}), true);
            return ExitFailed;
        } catch (const Exception&) {
            Report(TranslateText("The installer is damaged or incomplete."), true);
            return ExitFailed;
        }
        archive_ = unpacked_;
        archiveOffset_ = 0;
        SharedCompress->SetCompressedFile(archive_);
        SharedCompress->SetOffset(0);
        SharedCompress->SetSourceStream(solid_.get());
        return ExitInstalled;
    }

    void Report(const std::string& text, bool error) {
        if (switches_.silent) {
            std::fprintf(error ? stderr : stdout, "%s\n", text.c_str());
            std::fflush(error ? stderr : stdout);
        } else {
            MessageDlg(text, error ? TMsgDlgType::mtError : TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        }
    }

    // Every file group reads the archive inside this program.
    void PointAtPayload() {
        for (int i = 0; i < root_->ComponentCount(); ++i) {
            TComponent* c = root_->Components(i);
            if (auto* g = dynamic_cast<TFileContainer*>(c)) {
                g->SetArchiveFileType(PS::ddAbsolute);
                g->SetArchiveFile(archive_);
            } else if (auto* f = dynamic_cast<TInstallFile*>(c)) {
                f->SetArchiveFileType(PS::ddContainerArchiveFile);
            }
        }
        install_->SetLoadingFolder(RemoveTrailingBackslash(ExtractFilePath(image_)));
    }

    // The restart program, out of the archive into the temporary folder, for the main
    // install object to take when work waits for the restart.
    void PrepareRestartProgram() {
        if (!restartCopy_.empty()) return;
        const std::string folder = platform::GetTempPath();
        std::string temp;
        if (folder.empty() || platform::GetTempFileName(folder, "zsr", 0, temp) == 0 || temp.empty()) return;
        platform::DeleteFile(temp);
        const std::string copy = ChangeFileExt(temp, ".exe");
        SharedCompress->SetCompressedFile(archive_);
        SharedCompress->SetOffset(std::int32_t(archiveOffset_));
        SharedCompress->SetExtractDirectory(ExtractFilePath(copy));
        SharedCompress->DestName = ExtractFileName(copy);
        SharedCompress->SetOverwrite(TOverwriteType::owAlways);
        SharedCompress->OnStatus = nullptr;
        SharedCompress->FilesToProcess()->Clear();
        SharedCompress->FilesToProcess()->Add(RestartProgramName);
        SharedCompress->Extract();
        restartCopy_ = copy;
        install_->SetRestartProgram(copy);
    }

    // The host's own Windows loads no Windows images: servers are installed there
    // without registering themselves (said in the final message), as nothing could.
    void SkipRegistrationWithoutWindowsImages() {
        if (!platform::testenv::Available() || restartCopy_.empty()) return;
        if (platform::Module m = platform::LoadLibrary(restartCopy_)) {
            platform::FreeLibrary(m);
            return;
        }
        for (int i = 0; i < root_->ComponentCount(); ++i)
            if (auto* f = dynamic_cast<TInstallFile*>(root_->Components(i));
                f && (f->RegisterAsActiveX_DLLStyle() || f->RegisterAsActiveX_EXEStyle())) {
                f->SetRegisterAsActiveX_DLLStyle(false);
                f->SetRegisterAsActiveX_EXEStyle(false);
                unregistered_ = true;
            }
    }

    // The installation itself: what the wizard runs after its questions.
    void RunInstallation() {
        PrepareRestartProgram();
        SkipRegistrationWithoutWindowsImages();
        SharedCompress->SetCompressedFile(archive_);
        SharedCompress->SetOffset(std::int32_t(archiveOffset_));
        install_->Process();
        // Every block of a solid payload checked, even those no file was read from.
        if (solid_) solid_->Finish();
    }

    int Outcome() const { return install_->RestartNeeded() ? ExitCodeRestartNeeded : ExitInstalled; }

    int Silent() {
        try {
            RunInstallation();
        } catch (const EAIUserAbort& e) {
            Report(e.Message(), true);
            return ExitCancelled;
        } catch (const EAbort&) {
            return ExitCancelled;
        } catch (const EZlibError&) {
            // The package's CRC matched, yet the data does not unpack (a damaged LZMA
            // block, a file whose own check fails): made so, not damaged on the way.
            Report(TranslateText("The installer is damaged or incomplete."), true);
            return ExitFailed;
        } catch (const Exception& e) {
            Report(Format(TranslateText("The installation failed: %s"), {e.Message()}), true);
            return ExitFailed;
        }
        if (unregistered_)
            Report(TranslateText("This Windows cannot load Windows programs: their servers were installed without "
                                 "registering."),
                   false);
        return Outcome();
    }

    // The wizard, with the description's settings when it has any.
    int Interactive() {
        TSetupWizard* settings = nullptr;
        for (int i = 0; i < root_->ComponentCount() && !settings; ++i)
            settings = dynamic_cast<TSetupWizard*>(root_->Components(i));
        return RunSetupWizard(install_, settings, [this] { RunInstallation(); });
    }

    std::string image_;
    Switches switches_;
    package::TPackage package_;
    std::unique_ptr<TSetupDescription> root_;
    TMainInstall* install_ = nullptr;
    std::string restartCopy_;
    // The archive the engine reads: this program at the archive's offset, or the
    // unpacked solid payload.
    std::string archive_, unpacked_;
    std::unique_ptr<package::TSolidArchiveStream> solid_;
    std::uint32_t archiveOffset_ = 0;
    bool unregistered_ = false;
};

}  // namespace

Switches ParseSwitches(const std::vector<std::string>& args) {
    Switches s;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (SameText(a, "/S")) {
            s.silent = true;
        } else if (a.size() >= 3 && SameText(a.substr(0, 3), "/D=")) {
            s.hasFolder = true;
            s.folder = a.substr(3);
            for (std::size_t j = i + 1; j < args.size(); ++j) s.folder += " " + args[j];
            break;
        }
    }
    return s;
}

int Run(const std::string& image, const Switches& switches) {
    try {
        Runtime r(image, switches);
        return r.Run();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        return ExitFailed;
    }
}

}  // namespace zsetup
