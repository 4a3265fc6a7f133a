// Deterministic sample files for the setup program's demo environment and tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sample {

struct Layout {
    std::string quakeDir = "C:\\QUAKE";    // holds quake.exe and id1
    std::string sourceDir = "C:\\SKYRCD";  // the setup's source folder (as a CD would be)
};

// Contents for a file of the given relative name. "pak0.pak" becomes a pack file of
// about `pakMegabytes` MB; bitmaps, sounds and texts are well-formed files of their kind.
std::vector<std::uint8_t> FileContents(const std::string& relativeName, int pakMegabytes);

// A Quake pack file ("PACK" header, lumps, directory) of about `megabytes` MB.
std::vector<std::uint8_t> QuakePack(int megabytes, std::uint32_t seed = 0x51AE);

// The GLQuake model caches that the setup removes, and files beside them that stay.
std::vector<std::string> GlQuakeCaches();
std::vector<std::string> GlQuakeKeptFiles();

// Writes the sample Quake installation and the source folder with `files` (relative
// paths) into the current Windows (host root). Returns an error text, empty on success.
std::string CreateEnvironment(const Layout& layout, const std::vector<std::string>& files, int pakMegabytes);

}  // namespace sample
