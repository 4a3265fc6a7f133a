// A fixture for the file tests: a scratch folder below the temporary folder, the install
// and shell classes registered, a headless backend for message boxes, and helpers that
// make source files, groups and install files.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/paths.h"
#include "framework/ui/headless.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"
#include "shell/cmp_TInstallShellLink.h"
#include "tests/install/fakes.h"
#include "tests/platform/scratch.h"
#include "version_images.h"
#include "tests/support/raised.h"

namespace zarn::test {

// Deterministic bytes that do not compress much.
inline std::string Noise(std::size_t n, std::uint32_t seed = 7) {
    std::string s(n, '\0');
    for (auto& c : s) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return s;
}

// A test image with a version resource.
inline std::string VersionImage(const char* name) { return std::string(kVersionImages) + "\\" + name; }

class FileTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        RegisterInstallClasses();
        RegisterShellClasses();
        ui_ = &ui::UseHeadlessBackend();
        RestartNeeded = false;
        // The shared engine outlives the tests: no stop request or file list of an earlier one.
        if (SharedCompress) {
            SharedCompress->SetAbort(false);
            SharedCompress->FilesToProcess()->Clear();
        }
        static unsigned counter = 0;
        dir_ = platform::GetTempPath() + "zarni" + std::to_string(platform::GetTickCount() % 100000) + "_" +
               std::to_string(++counter);
        ASSERT_TRUE(platform::CreateDirectory(dir_)) << platform::GetLastError();
    }
    void TearDown() override {
        InstallTest::TearDown();
        RemoveTree(dir_);
        ui::SetBackend(nullptr);
    }

    ui::THeadlessBackend& Ui() { return *ui_; }
    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    static void Write(const std::string& path, const std::string& data) {
        ForceDirectories(ExtractFilePath(path));
        platform::FileHandle h(platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways));
        ASSERT_TRUE(h) << path << ": " << platform::GetLastError();
        platform::DWORD done = 0;
        ASSERT_TRUE(platform::WriteFile(h.get(), data.data(), platform::DWORD(data.size()), done));
    }
    static std::string Read(const std::string& path) {
        platform::FileHandle h(platform::CreateFile(path, platform::GenericRead,
                                                    platform::FileShareRead | platform::FileShareWrite,
                                                    platform::OpenExisting));
        if (!h) return "<missing>";
        std::string out;
        char buf[4096];
        platform::DWORD got = 0;
        while (platform::ReadFile(h.get(), buf, sizeof buf, got) && got) out.append(buf, got);
        return out;
    }
    static void CopyImage(const char* image, const std::string& to) {
        ForceDirectories(ExtractFilePath(to));
        ASSERT_TRUE(platform::CopyFile(VersionImage(image), to, false)) << platform::GetLastError();
    }

    // A group with its destination and archive in the scratch folder.
    TInstallFileGroup* Group(const std::string& name, const std::string& archive = "data.zrn",
                             const std::string& dest = "dest") {
        auto* g = new TInstallFileGroup(owner);
        g->SetName(name);
        g->SetArchiveFile(Path(archive));
        g->SetDestDir(Path(dest));
        return g;
    }
    // An install file of `container` whose source (in the scratch folder's "src") holds
    // `data`. It takes its container's destination and archive.
    TInstallFile* File(TInstallContainer* container, const std::string& name, const std::string& fileName,
                       const std::string& data) {
        Write(Path("src\\" + fileName), data);
        return FileFor(container, name, Path("src"), fileName);
    }
    TInstallFile* FileFor(TInstallContainer* container, const std::string& name, const std::string& folder,
                          const std::string& fileName) {
        auto* f = new TInstallFile(owner);
        f->SetName(name);
        f->SetIncludeFromDir(folder);
        f->SetFileName(fileName);
        if (container) f->SetContainer(container);
        return f;
    }

    std::string dir_;

private:
    ui::THeadlessBackend* ui_ = nullptr;
};

}  // namespace zarn::test
