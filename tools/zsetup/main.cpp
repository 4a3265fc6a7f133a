// The setup runtime's program. On Windows it installs the package inside its own image:
//
//   setup.exe [/S] [/D=FOLDER]
//
// The host build's program installs the package inside a built setup program into the
// host's Windows:
//
//   zsetup PATH/setup.exe [/S] [/D=FOLDER]
//
// Exit codes: 0 installed, 1 cancelled, 2 failed or damaged, 3010 installed, and a
// restart completes it.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/system.h"
#include "platform/testenv.h"
#include "tools/zsetup/zsetup.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string image;
    if (platform::testenv::Available()) {
        if (args.empty()) {
            std::fprintf(stderr, "usage: zsetup PATH/setup.exe [/S] [/D=FOLDER]\n");
            return zsetup::ExitFailed;
        }
        image = args.front();
        args.erase(args.begin());
        if (!image.empty() && image[0] == '/')
            if (auto windows = platform::testenv::WindowsPath(image)) image = *windows;
    } else {
        image = platform::GetModuleFileName();
    }
    return zsetup::Run(image, zsetup::ParseSwitches(args));
}
