#include "registration/routines_UninstallLog.h"

#include <algorithm>

#include "framework/classes.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "registration/routines_RegistryWriter.h"

namespace {

// The open log of the session that lives, if any.
struct OpenLog {
    std::string productKey;
    platform::KeyHandle key;
};
OpenLog* g_openLog = nullptr;

// The session's open "Files" key of `productKey` (opened at its first use), or 0.
platform::HKEY OpenLogKey(const std::string& productKey) {
    OpenLog* log = g_openLog;
    if (!log || !SameText(log->productKey, productKey)) return 0;
    if (!log->key.get())
        platform::RegCreateKey(RegistryRootFromIndex(RootLocalMachine), SubKeyOf(productKey + "\\Files"),
                               log->key.receive());
    return log->key.get();
}

// A write through the open key; one that fails (a key deleted meanwhile) is made the
// long way, which raises the error if it fails too, and the key is opened afresh next time.
void WriteThrough(platform::HKEY& key, const std::string& logKey, const std::string& name, const std::string& value) {
    if (key && platform::RegSetString(key, name, value) == 0) return;
    if (key && g_openLog) g_openLog->key.reset();
    key = 0;
    WriteRegString(RootLocalMachine, logKey, name, value);
}

}  // namespace

TUninstallLogSession::TUninstallLogSession(const std::string& productKey) {
    if (g_openLog) return;  // the outer one serves
    g_openLog = new OpenLog{productKey, {}};
    owner_ = true;
}

TUninstallLogSession::~TUninstallLogSession() {
    if (!owner_) return;
    delete g_openLog;
    g_openLog = nullptr;
}

void AppendUninstallFileLog(const std::string& productKey, const std::function<std::string()>& fullPath) {
    std::string logKey;
    long long n = 0;
    platform::HKEY open = 0;
    for (int k = 0;; ++k) {
        logKey = productKey + "\\Files" + (k > 0 ? IntToStr(k) : std::string());
        // The first key goes through the session's open key when there is one.
        open = k == 0 ? OpenLogKey(productKey) : 0;
        try {
            std::string entries = "0";
            if (open) {
                std::string read;
                if (platform::RegValueExists(open, "Entries") && platform::RegGetString(open, "Entries", read) == 0)
                    entries = read;
            } else {
                ReadRegString(RootLocalMachine, logKey, "Entries", entries, "0");
            }
            n = StrToInt(entries) + 1;
            WriteThrough(open, logKey, "File" + IntToStr(n), fullPath());
            break;
        } catch (const Exception&) {
            // Each failure moves on to the next continuation key, up to a limit: a log
            // that cannot be written anywhere ends with the last error.
            if (k + 1 >= MaxUninstallLogKeys) throw;
        }
    }
    WriteThrough(open, logKey, "Entries", IntToStr(n));
}

void AppendUninstallActiveXList(const std::string& productKey, const std::string& fullPath, bool exeStyle) {
    const std::string listKey = productKey + "\\ActiveX";
    std::string entries;
    ReadRegString(RootLocalMachine, listKey, "Entries", entries, "0");
    const long long n = StrToInt(entries) + 1;
    WriteRegString(RootLocalMachine, listKey, "File" + IntToStr(n), fullPath + (exeStyle ? ";1" : ";0"));
    WriteRegString(RootLocalMachine, listKey, "Entries", IntToStr(n));
}

void WriteUninstallProgramEntry(const std::string& productKey, const std::string& productName,
                                const std::string& uninstallProgram) {
    WriteRegString(RootLocalMachine, productKey, "DisplayName", productName);
    const std::string program =
        uninstallProgram.find(' ') != std::string::npos ? "\"" + uninstallProgram + "\"" : uninstallProgram;
    WriteRegString(RootLocalMachine, productKey, "UninstallString", program + " " + productName);
    WriteRegString(RootLocalMachine, productKey, "QuietUninstallString", program + " " + productName + " /S");
}

namespace {

void WriteRegDword(const std::string& key, const std::string& name, platform::DWORD value) {
    platform::KeyHandle k;
    const std::string sub = !key.empty() && key[0] == '\\' ? key.substr(1) : key;
    if (platform::RegCreateKey(platform::HKeyLocalMachine, sub, k.receive()) != 0 ||
        platform::RegSetDword(k.get(), name, value) != 0)
        throw EIRCannotWriteValue("Cannot install into registry. Key: " + key + " Ident: " + name + " Value " +
                                  IntToStr(value));
}

}  // namespace

void WriteUninstallDetails(const std::string& productKey, const TUninstallDetails& d) {
    if (!d.displayVersion.empty()) WriteRegString(RootLocalMachine, productKey, "DisplayVersion", d.displayVersion);
    if (!d.publisher.empty()) WriteRegString(RootLocalMachine, productKey, "Publisher", d.publisher);
    WriteRegString(RootLocalMachine, productKey, "InstallLocation", d.installLocation);
    WriteRegString(RootLocalMachine, productKey, "DisplayIcon", d.displayIcon);
    WriteRegDword(productKey, "EstimatedSize", platform::DWORD(d.estimatedSizeKB));
    WriteRegDword(productKey, "NoModify", 1);
    WriteRegDword(productKey, "NoRepair", 1);
}

unsigned long InstalledSizeKB(const std::string& productKey, const std::vector<std::string>& extraFiles) {
    std::vector<std::string> files = extraFiles;
    const std::string sub = !productKey.empty() && productKey[0] == '\\' ? productKey.substr(1) : productKey;
    platform::KeyHandle product;
    if (platform::RegOpenKey(platform::HKeyLocalMachine, sub, platform::KeyRead, product.receive()) == 0) {
        std::string keyName;
        for (platform::DWORD i = 0; platform::RegEnumKey(product.get(), i, keyName) == 0; ++i) {
            const bool activeX = SameText(keyName, "ActiveX");
            if (!activeX && !(keyName.size() >= 5 && SameText(keyName.substr(0, 5), "Files"))) continue;
            platform::KeyHandle list;
            if (platform::RegOpenKey(product.get(), keyName, platform::KeyRead, list.receive()) != 0) continue;
            std::string name, data;
            for (platform::DWORD j = 0; platform::RegEnumValue(list.get(), j, name) == 0; ++j) {
                if (SameText(name, "Entries") || platform::RegGetString(list.get(), name, data) != 0) continue;
                if (activeX && data.rfind(';') != std::string::npos) data.resize(data.rfind(';'));
                files.push_back(data);
            }
        }
    }
    std::vector<std::string> seen;
    unsigned long long bytes = 0;
    for (const std::string& f : files) {
        const std::string upper = platform::AnsiUpperCase(f);
        if (std::find(seen.begin(), seen.end(), upper) != seen.end()) continue;
        seen.push_back(upper);
        std::vector<platform::FindData> found;
        if (f.find_first_of("*?") == std::string::npos && platform::FindFiles(f, found) && found.size() == 1 &&
            !(found[0].attributes & platform::FileAttributeDirectory))
            bytes += found[0].size;
    }
    return static_cast<unsigned long>((bytes + 1023) / 1024);
}
