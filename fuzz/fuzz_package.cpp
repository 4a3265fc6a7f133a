// Fuzz target for what a setup program reads out of itself. The first byte chooses:
// even, the rest is a whole setup program whose package is located and checked (it is
// found, or refused as missing, damaged or unsupported; never read out of bounds); odd,
// the rest is an installer description read with every class a description may name,
// and its folders expanded (it reads, or fails with EDescriptionError, and the root
// keeps nothing of a failed read).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "framework/streams.h"
#include "installer/cmp_TMainInstall.h"
#include "installer/cmp_TSetupDescription.h"
#include "installer/cmp_TSetupWizard.h"
#include "installer/routines_Package.h"
#include "platform/testenv.h"
#include "shell/startup.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string root = (std::filesystem::temp_directory_path() / "zarn-fuzz-package-XXXXXX").string();
    if (!mkdtemp(root.data()) || !platform::testenv::UseRoot(root)) std::abort();
    InitialiseInstallLibrary();
    RegisterInstallerClasses();
    RegisterSetupDescriptionClasses();
    RegisterSetupWizardClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1) == 0) {
        TMemoryStream s;
        if (!rest.empty()) s.WriteBuffer(rest.data(), std::int32_t(rest.size()));
        package::TPackage p;
        if (package::ReadPackage(&s, p) == package::TPackageState::Ok) {
            if (std::uint64_t(p.archiveOffset) + p.archiveSize > rest.size()) std::abort();
            if (p.description.size() > rest.size()) std::abort();
        }
        return 0;
    }
    TSetupDescription root(nullptr);
    try {
        ReadSetupDescription(&root, rest, "fuzz");
        // Expanding makes an install file per listed file: keep it small.
        ExpandInstallFolders(&root);
    } catch (const EDescriptionError& e) {
        if (root.ComponentCount() != 0) std::abort();
    } catch (const Exception&) {
        // A setter refusing a value after reading (a component's own rule).
    }
    return 0;
}
