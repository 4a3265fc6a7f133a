#include "tools/zarc/options.h"

#include <cmath>
#include <cstdlib>

#include "framework/classes.h"

namespace zarc {

namespace {

const char* const kOverview =
    "zarc: creates, lists, tests and extracts archives of the install library.\n"
    "\n"
    "usage: zarc COMMAND [options] ARGUMENTS\n"
    "\n"
    "commands:\n"
    "  create ARCHIVE SOURCE...       a new archive of files and folders\n"
    "  add ARCHIVE SOURCE...          files and folders added to an archive\n"
    "  list ARCHIVE                   what an archive holds\n"
    "  test ARCHIVE                   checks every file of an archive\n"
    "  extract ARCHIVE [NAME...]      files out of an archive\n"
    "  help [COMMAND]                 this text, or the help of one command\n"
    "\n"
    "'zarc COMMAND --help' shows the options of a command. Exit codes: 0 done, 1 failed\n"
    "(or damage found, or stopped with Ctrl+C), 2 wrong command line.\n";

const char* const kCreate =
    "usage: zarc create ARCHIVE [--as FOLDER] SOURCE... [options]\n"
    "\n"
    "Writes a new archive of the SOURCE files and folders (folders with everything in\n"
    "them, in name order, files before subfolders). Each file is stored under a name that\n"
    "install files look up: a folder's path plus the file's name. By default that is the\n"
    "file's own full path; --as FOLDER stores the SOURCEs after it as if they were FOLDER\n"
    "(a folder's contents go straight below FOLDER, a file goes into FOLDER), for example\n"
    "    zarc create game.arc --as C:\\SKYRCD dist\n"
    "stores dist\\readme.txt as C:\\SKYRCD\\readme.txt. Stored names are at most 100\n"
    "characters and hold no ';': longer ones are refused, with their names, and so are\n"
    "two files with the same stored name.\n"
    "\n"
    "The archive is written to a temporary file beside it and takes the old archive's\n"
    "place only at the end: a failed or stopped run leaves the old archive as it was.\n"
    "\n"
    "options:\n"
    "  --as FOLDER         the stored folder of the SOURCEs that follow\n"
    "  --level LEVEL       none, fastest, default or max (default: max)\n"
    "  --jobs N            threads that compress (default: one per processor core);\n"
    "                      1 compresses exactly as the library does\n"
    "  --disk-size SIZE    writes a multi-disk set: ARCHIVE's name with the extension\n"
    "                      .1, .2, ... for each disk, none larger than SIZE. SIZE is in\n"
    "                      bytes or has K, M or G (1024-based), such as 100M; 360K, 720K,\n"
    "                      1.2M, 1.44M and 2.88M are what such a floppy disk holds\n"
    "  -q, --quiet         no progress, only errors\n";

const char* const kAdd =
    "usage: zarc add ARCHIVE [--as FOLDER] SOURCE... [options]\n"
    "\n"
    "Adds the SOURCE files and folders at the end of ARCHIVE (made when it does not\n"
    "exist); the files already in it stay as they are. Stored names as for create; a name\n"
    "that the archive holds already is refused. The new archive takes the old one's place\n"
    "only at the end, so a failed or stopped run leaves it as it was. Multi-disk sets\n"
    "cannot be added to.\n"
    "\n"
    "options:\n"
    "  --as FOLDER         the stored folder of the SOURCEs that follow\n"
    "  --level LEVEL       none, fastest, default or max (default: max)\n"
    "  --jobs N            threads that compress (default: one per processor core)\n"
    "  -q, --quiet         no progress, only errors\n";

const char* const kList =
    "usage: zarc list ARCHIVE [--json]\n"
    "\n"
    "One line for each file: its size, compressed size, ratio (compressed size as a\n"
    "percentage of the size), date, file version and stored name, then the totals. For a\n"
    "multi-disk set name the set (ARCHIVE) or its first disk (ARCHIVE.1).\n"
    "\n"
    "options:\n"
    "  --json              the same as one JSON object, for scripts\n";

const char* const kTest =
    "usage: zarc test ARCHIVE [--quiet]\n"
    "\n"
    "Decompresses every file without writing it and checks its size and check value.\n"
    "Each damaged file is named; the exit code is 1 when any is.\n"
    "\n"
    "options:\n"
    "  -q, --quiet         only the damaged files and errors\n";

const char* const kExtract =
    "usage: zarc extract ARCHIVE [NAME...] [-d FOLDER] [options]\n"
    "\n"
    "Extracts the files with the given stored names (all when none is given) into FOLDER\n"
    "(default: the current folder). The folders below the one that all stored names share\n"
    "are made below FOLDER; --flat puts every file straight into FOLDER. When a disk of a\n"
    "multi-disk set is not where it is looked for, zarc asks for the folder that holds it.\n"
    "\n"
    "options:\n"
    "  -d, --directory FOLDER   where the files go\n"
    "  --overwrite POLICY       what happens to a file that exists already:\n"
    "                           always (default), never, version (replace an older\n"
    "                           version), date (replace an older file), version-date\n"
    "                           (by version, by date when the versions are equal)\n"
    "  --flat                   no subfolders\n"
    "  -q, --quiet              no progress, only errors\n";

bool Takes(const std::string& command, const std::string& option) {
    if (option == "--quiet") return command != "list" && command != "help";
    if (option == "--level" || option == "--jobs" || option == "--as") return command == "create" || command == "add";
    if (option == "--disk-size") return command == "create";
    if (option == "--json") return command == "list";
    if (option == "-d" || option == "--directory" || option == "--overwrite" || option == "--flat")
        return command == "extract";
    return false;
}

bool HasValue(const std::string& option) {
    return option == "--level" || option == "--jobs" || option == "--as" || option == "--disk-size" ||
           option == "-d" || option == "--directory" || option == "--overwrite";
}

}  // namespace

std::string HelpText(const std::string& command) {
    if (command == "create") return kCreate;
    if (command == "add") return kAdd;
    if (command == "list") return kList;
    if (command == "test") return kTest;
    if (command == "extract") return kExtract;
    return kOverview;
}

bool ParseDiskSize(const std::string& text, std::int64_t& bytes) {
    // What a FAT12 floppy of each kind holds in files once formatted.
    static const std::pair<const char*, std::int64_t> floppies[] = {
        {"360K", 362496}, {"720K", 730112}, {"1.2M", 1213952}, {"1.44M", 1457664}, {"2.88M", 2931712}};
    for (auto& [name, size] : floppies)
        if (SameText(text, name)) return bytes = size, true;
    if (text.empty()) return false;
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    std::string unit = UpperCase(end);
    if (end == text.c_str() || !std::isfinite(number) || number <= 0 || text[0] == '+' || text[0] == ' ') return false;
    if (unit.size() == 2 && unit[1] == 'B') unit.pop_back();  // "100MB"
    double scale = unit.empty() ? 1 : unit == "K" ? 1024.0 : unit == "M" ? 1048576.0 : unit == "G" ? 1073741824.0 : 0;
    if (scale == 0) return false;
    const double value = std::floor(number * scale);
    // Offsets in an archive are signed 32-bit.
    if (value < 1024 || value > 2147483647.0) return false;
    bytes = std::int64_t(value);
    return true;
}

bool ParseCommandLine(const std::vector<std::string>& args, Options& o, std::string& error) {
    o = Options{};
    if (args.empty()) {
        error = "no command";
        return false;
    }
    o.command = args[0];
    if (o.command == "--help" || o.command == "-h" || o.command == "help") {
        o.command = "help";
        if (args.size() > 1) o.helpTopic = args[1];
        return true;
    }
    static const char* const commands[] = {"create", "add", "list", "test", "extract"};
    bool known = false;
    for (const char* c : commands) known = known || o.command == c;
    if (!known) {
        error = "unknown command '" + o.command + "'";
        return false;
    }

    std::vector<std::string> positional;
    std::optional<std::string> as;
    bool asFollowed = true;  // every --as has a SOURCE after it
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            if (positional.empty() && (o.command == "create" || o.command == "add")) {
                o.archive = a;  // the archive comes first; --as applies to sources only
            } else if (o.command == "create" || o.command == "add") {
                o.sources.push_back({a, as});
                asFollowed = true;
            }
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            o.help = true;
            return true;
        }
        std::string name = a == "-q" ? "--quiet" : a, value;
        bool hasValue = false;
        const std::size_t eq = a.find('=');
        if (a.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            hasValue = true;
        }
        if (!Takes(o.command, name)) {
            error = "unknown option " + name;
            return false;
        }
        if (HasValue(name) && !hasValue) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
        } else if (!HasValue(name) && hasValue) {
            error = "option " + name + " takes no value";
            return false;
        }
        if (name == "--quiet") {
            o.quiet = true;
        } else if (name == "--json") {
            o.json = true;
        } else if (name == "--flat") {
            o.flat = true;
        } else if (name == "--as") {
            as = value;
            asFollowed = false;
        } else if (name == "--level") {
            static const std::pair<const char*, TCompressionLevel> levels[] = {
                {"none", TCompressionLevel::colNone},
                {"fastest", TCompressionLevel::colFastest},
                {"default", TCompressionLevel::colDefault},
                {"max", TCompressionLevel::colMax}};
            bool found = false;
            for (auto& [text, level] : levels)
                if (value == text) o.level = level, found = true;
            if (!found) {
                error = "--level must be none, fastest, default or max, not '" + value + "'";
                return false;
            }
        } else if (name == "--jobs") {
            long long n = 0;
            if (!TryStrToInt(value, n) || n < 1 || n > TZarnCompress::MaxJobs) {
                error = "--jobs must be a number from 1 to " + std::to_string(TZarnCompress::MaxJobs) + ", not '" +
                        value + "'";
                return false;
            }
            o.jobs = int(n);
        } else if (name == "--disk-size") {
            if (!ParseDiskSize(value, o.diskSize)) {
                error = "--disk-size must be a size such as 1.44M, 100M or 65536 (at least 1K, below 2G), not '" +
                        value + "'";
                return false;
            }
            o.diskSizeText = value;
        } else if (name == "-d" || name == "--directory") {
            if (value.empty()) {
                error = name + " needs a folder";
                return false;
            }
            o.folder = value;
        } else if (name == "--overwrite") {
            static const std::pair<const char*, TOverwriteType> policies[] = {
                {"always", TOverwriteType::owAlways},
                {"never", TOverwriteType::owNever},
                {"version", TOverwriteType::owVersion},
                {"date", TOverwriteType::owDate},
                {"version-date", TOverwriteType::owVersionDate}};
            bool found = false;
            for (auto& [text, policy] : policies)
                if (value == text) o.overwrite = policy, found = true;
            if (!found) {
                error = "--overwrite must be always, never, version, date or version-date, not '" + value + "'";
                return false;
            }
        }
    }

    if (positional.empty()) {
        error = "no archive named";
        return false;
    }
    o.archive = positional[0];
    if (!asFollowed) {
        error = "option --as must be followed by a SOURCE it applies to";
        return false;
    }
    if ((o.command == "create" || o.command == "add") && o.sources.empty()) {
        error = "nothing to " + std::string(o.command == "create" ? "put into the archive" : "add");
        return false;
    }
    if ((o.command == "list" || o.command == "test") && positional.size() > 1) {
        error = "'" + positional[1] + "': " + o.command + " takes one archive";
        return false;
    }
    if (o.command == "extract") o.names.assign(positional.begin() + 1, positional.end());
    if (o.archive.empty()) {
        error = "the archive name is empty";
        return false;
    }
    return true;
}

}  // namespace zarc
