// The uninstall of a product from its records alone: the product key below
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall, its file log
// ("Files", "Files1", ...), its ActiveX list, and the SharedDLLs and Help values of the
// files they name.
//
// ReadUninstallRecords reads and checks everything first and raises EUninstall when there
// is nothing to go by; only then does Uninstall undo, in this order: servers unregistered,
// files and links deleted (reverse log order, each path once, shared files counted down),
// help entries, emptied folders, and last the product key. A file in use is deleted at
// the next restart. The running program itself is left to RemoveSelf.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/objects.h"

class EUninstall : public Exception {
public:
    using Exception::Exception;
};

// Why something was left behind.
enum class TLeftReason : std::uint8_t {
    lrInUse,            // in use: deleted at the next restart
    lrHoldsOtherFiles,  // a folder that still holds files the installation did not put there
    lrBadEntry,         // a record that names no full local path
    lrNotRemoved,       // deleting it failed (detail: the system's error)
    lrNotUnregistered,  // its server could not unregister itself (detail: why)
    lrStillShared       // a shared file other installations still count on
};

struct TLeftItem {
    std::string path;
    TLeftReason reason = TLeftReason::lrNotRemoved;
    std::string detail;
};

struct TUninstallServer {
    std::string path;
    bool exeStyle = false;
};

struct TUninstallRecords {
    std::string product;
    std::string productKey;       // below HKEY_LOCAL_MACHINE, without leading backslash
    std::string program;          // the uninstall program "UninstallString" names; may be empty
    std::string installLocation;  // may be empty
    std::vector<std::string> files;         // in log order, duplicates kept
    std::vector<TUninstallServer> servers;  // in list order, duplicates kept
    std::vector<TLeftItem> badEntries;      // records skipped, with the value that held them
};

// The product key of `product`.
std::string UninstallProductKey(const std::string& product);

// Whether `path` is a full local path: drive letter, colon, backslash, then names that
// are neither empty, "." nor "..", nor device names, without wildcards or characters a
// file name cannot hold, shorter than MAX_PATH.
bool IsFullLocalPath(const std::string& path);

// Reads and checks every record of `product`. Raises EUninstall (translated) when the
// product key is missing or holds neither a file log nor an ActiveX list.
TUninstallRecords ReadUninstallRecords(const std::string& product);

struct TUninstallOptions {
    // The running program: never deleted here (RemoveSelf does it once it has ended).
    std::string self;
    // Before each step: the file or folder at work and the percentage done.
    std::function<void(const std::string& path, int percent)> progress;
};

struct TUninstallResult {
    std::vector<TLeftItem> left;
    // Folders that hold nothing but the running program (and such folders), deepest first.
    std::vector<std::string> selfFolders;
    bool restartNeeded = false;
    bool failed = false;
    // 0 removed, 3010 a restart finishes it, 1 something could not be removed.
    int ExitCode() const;
};

TUninstallResult Uninstall(const TUninstallRecords& records, const TUninstallOptions& options);

// Deletes `path` (a file, or an empty folder on NT) at the next restart: MoveFileEx with
// no target on NT, a "NUL=" line in the [Rename] section of WININIT.INI on the Windows 95
// family (written as text: the profile functions keep one NUL key only).
bool DeleteAtRestart(const std::string& path);
// Adds one "NUL=<path>" line for each path to WININIT.INI's [Rename] section, after the
// lines already there.
bool AddWininitDeletes(const std::vector<std::string>& paths);

// Removes the running program `self` and then `folders` (deepest first, each only when
// empty): a copy of the program in the temporary folder is started with
// "/X "self" "folder"..." and does it once this process has ended (SelfRemovalWorker).
// When no copy can be started, both are deleted at the next restart; returns false then
// (a restart is needed).
bool RemoveSelf(const std::string& self, const std::vector<std::string>& folders);
// The copy's part: waits up to `waitMs` for `self` to become deletable, deletes it and
// the folders, then schedules its own file for deletion at the restart when it lies in
// the temporary folder.
void SelfRemovalWorker(const std::string& self, const std::vector<std::string>& folders, unsigned waitMs);

// Splits arguments as a Windows program does: blanks separate, quotes group.
std::vector<std::string> SplitArguments(const std::string& line);

// The uninstall program's command line: the program's path (quoted or not), a blank, the
// product name; "/S" before or after it asks for a silent run; "/X" starts the
// self-removal worker with its paths.
struct TUninstallCommand {
    std::string product;
    bool silent = false;
    bool worker = false;
    std::vector<std::string> workerPaths;
};
// `self` is the running program's path, used to find where an unquoted path ends.
TUninstallCommand ParseUninstallCommandLine(const std::string& line, const std::string& self);

// The closing message's list: one line for each item left, with its reason (translated).
std::string DescribeLeftItems(const std::vector<TLeftItem>& left);
