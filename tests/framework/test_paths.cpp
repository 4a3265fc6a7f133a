// Path texts and making folders with their parents.
#include <gtest/gtest.h>

#include "framework/classes.h"
#include "framework/paths.h"
#include "tests/platform/scratch.h"

using namespace zarn::test;

namespace {

TEST(Paths, TextHelpers) {
    EXPECT_EQ(RemoveTrailingBackslash("C:\\a\\\\"), "C:\\a\\");
    EXPECT_EQ(RemoveTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(AddTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(ChangeFileExt("Readme.txt.lnk", ".LNK"), "Readme.txt.LNK");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\skyr", ".LNK"), "C:\\a.b\\skyr.LNK");
    EXPECT_EQ(ExtractFileName("C:\\x\\readme.txt"), "readme.txt");
    EXPECT_EQ(ExtractFilePath("C:\\x\\readme.txt"), "C:\\x\\");
}

class ForceDirectoriesTest : public ScratchTest {};

TEST_F(ForceDirectoriesTest, MakesEveryMissingParentAndRaisesWhereAFolderCannotBeMade) {
    ForceDirectories(Path("a\\b\\c\\"));
    EXPECT_TRUE(platform::DirectoryExists(Path("a\\b\\c")));
    ForceDirectories(Path("a\\b"));  // existing: nothing to do
    ForceDirectories("");
    WriteText(Path("file"), "x");
    try {
        ForceDirectories(Path("file\\sub"));
        FAIL() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_NE(e.ErrorCode, 0u);
        EXPECT_EQ(e.Message(), "I/O error " + IntToStr(e.ErrorCode));
    }
}

}  // namespace
