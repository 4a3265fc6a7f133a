// The shipped setup.exe carries its own resources: the version resource that our reader
// (the host's PE reader, or Windows' API under Wine) reads back, and under Wine the
// manifest and the icon from the image's resource table.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "registration/cmp_TVersion.h"
#include "setup_image.h"

#if defined(ZARN_WIN32)
#include <windows.h>
#endif

namespace {

bool ShippedSetupThere() {
#if defined(ZARN_HOST)
    // The host reads the image that the win32 build made, when there is one.
    return platform::FileExists(kShippedSetup);
#else
    return true;
#endif
}

TEST(SetupImage, VersionResourceNamesTheProgram) {
    if (!ShippedSetupThere()) GTEST_SKIP() << "no win32 build at " << kShippedSetup;
    TVersionResource reader(nullptr);
    reader.SetFileName(kShippedSetup);
    TVersionInfo* v = reader.VersionInfo();
    EXPECT_EQ(v->CompanyName(), "Halvard Interactive");
    EXPECT_EQ(v->ProductName(), "Skyreach: The Embers of Orrin (demo version)");
    EXPECT_EQ(v->FileDescription(), "Skyreach: The Embers of Orrin (demo version) Setup");
    EXPECT_EQ(v->FileVersion(), "1.0.0.0");
    EXPECT_EQ(v->ProductVersion(), "1.0.0.0");
    EXPECT_EQ(v->OriginalFileName(), "setup.exe");
    EXPECT_EQ(v->InternalName(), "setup");
    EXPECT_EQ(v->FileOS(), "32 bit Windows");
    EXPECT_EQ(v->FileType(), "Application");
}

#if defined(ZARN_WIN32)
TEST(SetupImage, ManifestAndIconAreInTheResourceTable) {
    HMODULE image = LoadLibraryExA(kShippedSetup, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr) << kShippedSetup;
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(image, found);
    std::string manifest(static_cast<const char*>(LockResource(loaded)), SizeofResource(image, found));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos) << manifest;
    for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(os), std::string::npos) << os;
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);

    EXPECT_NE(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON
    FreeLibrary(image);
}
#endif

}  // namespace
