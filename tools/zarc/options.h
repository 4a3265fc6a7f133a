// The command line of zarc: commands, their options and their help texts.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/cmp_TZarnCompress.h"

namespace zarc {

struct SourceArg {
    std::string path;
    // The folder name the source stands for in the archive (--as); none: its own path.
    std::optional<std::string> as;
};

struct Options {
    std::string command;  // create, add, list, test, extract, help
    std::string archive;
    std::vector<SourceArg> sources;  // create, add
    std::vector<std::string> names;  // extract: stored names (all when empty)
    TCompressionLevel level = TCompressionLevel::colMax;
    int jobs = 0;                // 0: one per processor core
    std::int64_t diskSize = 0;   // create: 0 writes one archive file
    std::string diskSizeText;
    std::string folder;          // extract: -d (the current folder when empty)
    TOverwriteType overwrite = TOverwriteType::owAlways;
    bool flat = false;
    bool json = false;
    bool quiet = false;
    bool help = false;           // --help: the command's help, nothing else
    std::string helpTopic;       // zarc help COMMAND
};

// Parses the arguments after the program name. False with a message for bad usage.
bool ParseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error);

// The help of one command, or the overview for an empty or unknown name.
std::string HelpText(const std::string& command);

// A disk size: bytes, or a number (decimals allowed) with K, M or G (1024-based); the
// floppy sizes 360K, 720K, 1.2M, 1.44M and 2.88M mean what a formatted disk of that
// kind holds in files. False when the text is none of these or below 1024 bytes.
bool ParseDiskSize(const std::string& text, std::int64_t& bytes);

}  // namespace zarc
