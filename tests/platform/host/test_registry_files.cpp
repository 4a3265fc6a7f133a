// What a save of the host registry leaves on disk: the hive file's mode, and no
// temporary files of killed saves once the hive is loaded again.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>

#include "platform/registry.h"
#include "platform/testenv.h"

namespace fs = std::filesystem;
using namespace platform;
namespace te = platform::testenv;

namespace {

std::string MachineFile() { return te::Root() + "/zarn-machine.reg"; }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

void SetOne(const char* value) {
    HKEY k;
    ASSERT_EQ(RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Zarn Test", k), 0);
    ASSERT_EQ(RegSetString(k, "Value", value), 0);
    RegCloseKey(k);
}

TEST(RegistryFiles, TheHiveKeepsItsModeAcrossSaves) {
    SetOne("first");
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(MachineFile()), 0666 & ~mask);  // as any new file

    ASSERT_EQ(::chmod(MachineFile().c_str(), 0640), 0);
    SetOne("second");
    EXPECT_EQ(ModeOf(MachineFile()), mode_t(0640));
    ASSERT_EQ(::chmod(MachineFile().c_str(), 0604), 0);
    SetOne("third");
    EXPECT_EQ(ModeOf(MachineFile()), mode_t(0604));
}

TEST(RegistryFiles, TemporariesOfKilledSavesGoWhenTheHiveLoads) {
    SetOne("saved");
    const std::string stale1 = MachineFile() + ".tmp-AbC123", stale2 = MachineFile() + ".tmp-zzzzzz";
    const std::string fresh = MachineFile() + ".tmp-Fresh1";  // a save going on right now
    const std::string other = MachineFile() + ".tmp-toolong";  // not a name a save makes
    const std::string user = te::Root() + "/notes.reg.tmp-AbC123";
    for (const auto& p : {stale1, stale2, fresh, other, user}) std::ofstream(p) << "REGEDIT4\n";
    utimbuf old{1000000000, 1000000000};
    for (const auto& p : {stale1, stale2, other, user}) ASSERT_EQ(::utime(p.c_str(), &old), 0);

    ASSERT_TRUE(te::ReloadRegistry());
    EXPECT_FALSE(fs::exists(stale1));
    EXPECT_FALSE(fs::exists(stale2));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::exists(user));
    // The hive itself is untouched.
    HKEY k;
    ASSERT_EQ(RegOpenKey(HKeyLocalMachine, "SOFTWARE\\Zarn Test", KeyRead, k), 0);
    std::string v;
    EXPECT_EQ(RegGetString(k, "Value", v), 0);
    EXPECT_EQ(v, "saved");
    RegCloseKey(k);
}

}  // namespace
