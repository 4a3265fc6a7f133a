#include "registration/routines_UninstallLog.h"

#include "framework/classes.h"
#include "registration/routines_RegistryWriter.h"

void AppendUninstallFileLog(const std::string& productKey, const std::function<std::string()>& fullPath) {
    std::string logKey;
    long long n = 0;
    for (int k = 0;; ++k) {
        logKey = productKey + "\\Files" + (k > 0 ? IntToStr(k) : std::string());
        try {
            std::string entries;
            ReadRegString(RootLocalMachine, logKey, "Entries", entries, "0");
            n = StrToInt(entries) + 1;
            WriteRegString(RootLocalMachine, logKey, "File" + IntToStr(n), fullPath());
            break;
        } catch (const Exception&) {
            // Each failure moves on to the next continuation key, up to a limit: a log
            // that cannot be written anywhere ends with the last error.
            if (k + 1 >= MaxUninstallLogKeys) throw;
        }
    }
    WriteRegString(RootLocalMachine, logKey, "Entries", IntToStr(n));
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
    WriteRegString(RootLocalMachine, productKey, "UninstallString", uninstallProgram + " " + productName);
}
