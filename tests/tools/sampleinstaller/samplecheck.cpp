// Checks what the sample installer left after `runs` runs over the same Windows: every
// installed file byte-identical to its source, the shared-DLL counts, the help file's
// entry, the product's uninstall entry with its file log (and, where Windows libraries
// load, the ActiveX list and the COM class), and the links.
//
//   samplecheck <source folder> <runs>
//
// Prints one line per failed check and ends with 0 when everything holds.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "install/routines_Destinations.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/shelllink.h"
#include "platform/system.h"
#include "platform/testenv.h"
#include "registration/routines_RegistryWriter.h"

namespace {

const std::string Product = "Zarn Sample";
const std::string ProductKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + Product;
const char* const ComClass = "CLSID\\{5A41524E-0010-4C6F-8164-53616D706C65}\\InprocServer32";

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("FAILED: %s\n", what.c_str());
    ++failures;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

void CheckEqual(const std::string& got, const std::string& expected, const std::string& what) {
    Check(got == expected, what + ": " + Quoted(got) + ", expected " + Quoted(expected));
}

std::string ReadFileBytes(const std::string& path, bool& found) {
    platform::FileHandle h(
        platform::CreateFile(path, platform::GenericRead, platform::FileShareRead, platform::OpenExisting));
    found = bool(h);
    std::string out;
    char buf[8192];
    platform::DWORD got = 0;
    while (h && platform::ReadFile(h.get(), buf, sizeof buf, got) && got) out.append(buf, got);
    return out;
}

std::string Value(const std::string& key, const std::string& name) {
    std::string v;
    ReadRegString(4, key, name, v, "<none>");
    return v;
}

// The DWORD under SharedDLLs named by `path`, or -1.
long long SharedCount(const std::string& path) {
    platform::HKEY k = 0;
    if (platform::RegOpenKey(platform::HKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                             platform::KeyRead, k) != 0)
        return -1;
    platform::DWORD n = 0;
    const bool ok = platform::RegGetDword(k, path, n) == 0;
    platform::RegCloseKey(k);
    return ok ? (long long)n : -1;
}

std::string ClassServer() {
    platform::HKEY k = 0;
    if (platform::RegOpenKey(platform::HKeyClassesRoot, ComClass, platform::KeyRead, k) != 0) return "<none>";
    std::string v = "<none>";
    platform::RegGetString(k, "", v);
    platform::RegCloseKey(k);
    return v;
}

void CheckLink(const std::string& path, const std::string& target, const std::string& arguments) {
    std::unique_ptr<platform::ShellLink> link;
    if (platform::hr::Failed(platform::CreateShellLink(link)) || !link ||
        platform::hr::Failed(link->Load(path))) {
        Check(false, "link " + path + " cannot be read");
        return;
    }
    std::string t, a;
    link->GetPath(t);
    link->GetArguments(a);
    Check(SameText(t, target), "link " + path + " points at " + Quoted(t) + ", expected " + Quoted(target));
    CheckEqual(a, arguments, "arguments of " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: samplecheck <source folder> <runs>\n");
        return 2;
    }
    const std::string source = argv[1];
    const int runs = std::atoi(argv[2]);
    platform::CoInitialize();
    // Windows libraries load everywhere but in the host's own Windows: there the COM
    // server is installed without registering itself and joins the file log instead.
    const bool comRegisters = !platform::testenv::Available();

    const std::string dest = GetProgramFilesDir() + "\\Zarn Sample";
    const std::string vendor = GetCommonFilesDir() + "\\System\\ZARNVEND.DLL";
    const std::string server = dest + "\\ZARNCOM.DLL";
    const std::string uninstaller = dest + "\\UNINST.EXE";
    const std::string readme = dest + "\\README.TXT";
    const std::string help = dest + "\\Help\\SAMPLE.HLP";

    // The files.
    for (const auto& [name, installed] : std::vector<std::pair<std::string, std::string>>{
             {"README.TXT", readme},
             {"SAMPLE.HLP", help},
             {"ZARNVEND.DLL", vendor},
             {"ZARNCOM.DLL", server},
             {"UNINST.EXE", uninstaller}}) {
        bool haveSource = false, haveInstalled = false;
        const std::string expected = ReadFileBytes(source + "\\" + name, haveSource);
        const std::string got = ReadFileBytes(installed, haveInstalled);
        Check(haveSource, "no source " + source + "\\" + name);
        Check(haveInstalled, "not installed: " + installed);
        Check(!haveInstalled || got == expected, installed + " differs from its source");
    }

    // The registrations: every run counts the shared libraries once more.
    Check(SharedCount(vendor) == runs, "SharedDLLs count of " + vendor + ": " + std::to_string(SharedCount(vendor)));
    Check(SharedCount(server) == runs, "SharedDLLs count of " + server + ": " + std::to_string(SharedCount(server)));
    CheckEqual(Value("\\SOFTWARE\\Microsoft\\Windows\\Help", "SAMPLE.HLP"), dest + "\\Help", "Help entry");
    if (comRegisters)
        Check(SameText(ClassServer(), server), "COM class registered by " + Quoted(ClassServer()));
    else
        CheckEqual(ClassServer(), "<none>", "COM class");

    // The uninstall entry and the log: each run appends the same entries in processing
    // order (the files of the group, then the links of the two link groups).
    CheckEqual(Value(ProductKey, "DisplayName"), Product, "DisplayName");
    // The program's path holds blanks: it is quoted, or Windows would try C:\Program.exe.
    CheckEqual(Value(ProductKey, "UninstallString"), "\"" + uninstaller + "\" " + Product, "UninstallString");
    CheckEqual(Value(ProductKey, "QuietUninstallString"), "\"" + uninstaller + "\" " + Product + " /S",
               "QuietUninstallString");
    CheckEqual(Value(ProductKey, "InstallLocation"), dest, "InstallLocation");
    const std::string programs = GetProgramsDir() + "\\Zarn Sample";
    const std::string readmeLink = programs + "\\Read me.LNK";
    const std::string uninstallLink = programs + "\\Uninstall Zarn Sample.LNK";
    const std::string desktopLink = GetDesktopDir() + "\\Zarn Sample read-me.LNK";
    std::vector<std::string> perRun = {readme, help, vendor};
    if (!comRegisters) perRun.push_back(server);
    for (const std::string& link : {readmeLink, uninstallLink, desktopLink}) perRun.push_back(link);
    const std::string files = ProductKey + "\\Files";
    CheckEqual(Value(files, "Entries"), std::to_string(runs * perRun.size()), "Files\\Entries");
    for (int r = 0; r < runs; ++r)
        for (std::size_t i = 0; i < perRun.size(); ++i) {
            const std::string name = "File" + std::to_string(r * perRun.size() + i + 1);
            CheckEqual(Value(files, name), perRun[i], "Files\\" + name);
        }
    CheckEqual(Value(files, "File" + std::to_string(runs * perRun.size() + 1)), "<none>", "the entry after the log");
    Check(!platform::RegKeyExists(platform::HKeyLocalMachine, (ProductKey + "\\Files1").substr(1)),
          "a continuation key Files1");
    const std::string activeX = ProductKey + "\\ActiveX";
    if (comRegisters) {
        CheckEqual(Value(activeX, "Entries"), std::to_string(runs), "ActiveX\\Entries");
        for (int r = 1; r <= runs; ++r)
            CheckEqual(Value(activeX, "File" + std::to_string(r)), server + ";0", "ActiveX\\File" + std::to_string(r));
    } else {
        CheckEqual(Value(activeX, "Entries"), "<none>", "ActiveX\\Entries");
    }

    // The links, the one to the uninstall program with the product name as its argument.
    CheckLink(readmeLink, readme, "");
    CheckLink(uninstallLink, uninstaller, Product);
    CheckLink(desktopLink, readme, "");

    if (failures == 0) std::printf("samplecheck: %d run(s) of the sample installer check out\n", runs);
    return failures == 0 ? 0 : 1;
}
