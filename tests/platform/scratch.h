// A scratch folder below the temporary folder, removed with everything in it at the
// end of a test. Used by the platform tests that also run against the real Win32 API.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"

namespace zarn::test {

inline void RemoveTree(const std::string& folder) {
    std::vector<platform::FindData> entries;
    if (platform::FindFiles(folder + "\\*", entries)) {
        for (auto& e : entries) {
            std::string p = folder + "\\" + e.name;
            if (e.attributes & platform::FileAttributeDirectory) {
                RemoveTree(p);
            } else {
                platform::SetFileAttributes(p, platform::FileAttributeNormal);
                platform::DeleteFile(p);
            }
        }
    }
    platform::RemoveDirectory(folder);
}

class ScratchTest : public testing::Test {
protected:
    void SetUp() override {
        static unsigned counter = 0;
        std::string base = platform::GetTempPath();
        ASSERT_FALSE(base.empty());
        dir_ = base + "zarnp" + std::to_string(platform::GetTickCount() % 100000) + "_" +
               std::to_string(++counter);
        ASSERT_TRUE(platform::CreateDirectory(dir_)) << platform::GetLastError();
        savedCurrent_ = platform::GetCurrentDirectory();
    }
    void TearDown() override {
        platform::SetCurrentDirectory(savedCurrent_);
        RemoveTree(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

    // Writes `text` into a new file (replacing an old one).
    static void WriteText(const std::string& path, const std::string& text) {
        platform::FileHandle h(platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways));
        ASSERT_TRUE(h) << platform::GetLastError();
        platform::DWORD done = 0;
        ASSERT_TRUE(platform::WriteFile(h.get(), text.data(), platform::DWORD(text.size()), done));
        ASSERT_EQ(done, text.size());
    }
    static std::string ReadText(const std::string& path) {
        platform::FileHandle h(
            platform::CreateFile(path, platform::GenericRead, platform::FileShareRead, platform::OpenExisting));
        if (!h) return "<missing>";
        std::string out;
        char buf[512];
        platform::DWORD got = 0;
        while (platform::ReadFile(h.get(), buf, sizeof buf, got) && got) out.append(buf, got);
        return out;
    }

    std::string dir_;
    std::string savedCurrent_;
};

}  // namespace zarn::test
