// The uninstall records below the product's uninstall key (HKEY_LOCAL_MACHINE): the
// entry Windows lists among removable programs, the file log of the files and shortcuts
// an installation put on the machine, and the list of self-registered ActiveX servers,
// for a separate uninstall program.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Appends `fullPath()` as the next "File" entry of the uninstall file log below
// `productKey`: key "Files", or the continuation keys "Files1", "Files2", ... when an
// attempt fails (a count that is not a number, a key that cannot be written, a path
// that cannot be resolved). After MaxUninstallLogKeys failed attempts the last error is
// raised.
constexpr int MaxUninstallLogKeys = 100;
void AppendUninstallFileLog(const std::string& productKey, const std::function<std::string()>& fullPath);

// While one lives, the file log key "Files" of `productKey` stays open and
// AppendUninstallFileLog writes through it: three calls to the registry a file instead
// of a dozen (each a round trip to the registry's server on NT and Wine, a scan of the
// registry file on Windows 95). What cannot be written that way takes the long way, with
// the same result. An installation holds one for its whole run; an inner one adds nothing.
class TUninstallLogSession {
public:
    explicit TUninstallLogSession(const std::string& productKey);
    ~TUninstallLogSession();
    TUninstallLogSession(const TUninstallLogSession&) = delete;
    TUninstallLogSession& operator=(const TUninstallLogSession&) = delete;

private:
    bool owner_ = false;
};

// Appends `fullPath` to the ActiveX list below `productKey` (key "ActiveX"): the next
// "File" entry is the path + ";0" for a server registered in DLL style or ";1" in EXE
// style (pass true when EXE style is set; it wins when both are), then "Entries" is
// raised. No continuation keys: a failure raises EIRCannotWriteValue, and a count that
// is not a number raises the conversion error.
void AppendUninstallActiveXList(const std::string& productKey, const std::string& fullPath, bool exeStyle);

// Writes the entry that names the product among removable programs: "DisplayName" =
// `productName`, "UninstallString" = `uninstallProgram` + " " + `productName` and
// "QuietUninstallString" = the same + " /S", all in `productKey`. The program's path is
// quoted when it holds a blank: unquoted, Windows would try "C:\Program.exe" first and
// the program could not tell where its path ends. A failed write raises
// EIRCannotWriteValue.
void WriteUninstallProgramEntry(const std::string& productKey, const std::string& productName,
                                const std::string& uninstallProgram);

// What Windows' list of programs shows of the product beyond its name.
struct TUninstallDetails {
    std::string displayVersion;
    std::string publisher;
    std::string installLocation;
    std::string displayIcon;
    unsigned long estimatedSizeKB = 0;
};
// Writes "DisplayVersion" and "Publisher" (when not empty), "InstallLocation",
// "DisplayIcon", "EstimatedSize" (DWORD, KB), "NoModify" and "NoRepair" (DWORD 1) into
// `productKey`. A failed write raises EIRCannotWriteValue.
void WriteUninstallDetails(const std::string& productKey, const TUninstallDetails& details);

// The size in KB (rounded up) of the files the file log and ActiveX list below
// `productKey` name, each counted once, plus `extraFiles`; files no longer there count 0.
unsigned long InstalledSizeKB(const std::string& productKey, const std::vector<std::string>& extraFiles);
