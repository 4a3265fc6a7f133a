// The binary shortcut (.lnk) format as the shell writes it: header, link information
// with the local base path, and the string data (description, relative path, working
// folder, arguments, icon location) in UTF-16 (platform/host/cp1252.h). Host-internal; used by the host shell
// link object and by host-only tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/host/cp1252.h"
#include "platform/types.h"

namespace platform::host {

struct LinkData {
    std::string path;         // target (local base path of the link information)
    std::string arguments;
    std::string workingDir;
    std::string description;
    std::string relativePath;  // target relative to the link's own folder
    std::string iconPath;
    int iconIndex = 0;
    WORD hotKey = 0;
    int showCommand = 1;
    // What the header records of the target when the link was saved.
    DWORD fileAttributes = 0;
    FileTime creationTime, accessTime, writeTime;
    DWORD fileSize = 0;
};

// Serialises `link` byte for byte, little-endian.
std::vector<BYTE> FormatLink(const LinkData& link);
// Parses a shortcut file. Fails with a message naming the fault (truncated data, bad
// header size or class, offsets outside the structure) and leaves `link` unspecified.
bool ParseLink(const std::vector<BYTE>& bytes, LinkData& link, std::string& error);

// The target relative to the folder holding the link (".\x", "..\a\x"); empty when
// they lie on different drives or either path is not absolute.
std::string RelativeLinkPath(const std::string& linkFolder, const std::string& target);

}  // namespace platform::host
