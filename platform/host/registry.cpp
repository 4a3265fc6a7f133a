// The host registry: one in-memory tree per root key, each loaded from and saved to its
// own REGEDIT4 file in the root folder. Every change is saved at once through a
// temporary file renamed over the old one. A file that does not parse is reported and
// left alone: its hive refuses access with ERROR_BADDB until the file is mended.
//
// Handles name a key by its path below a root, so a handle whose key was deleted
// answers ERROR_KEY_DELETED instead of pointing at freed memory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace platform::host {
namespace {

struct Hive {
    HKEY root;
    const char* name;  // HKEY_LOCAL_MACHINE
    const char* file;  // zarn-machine.reg
    RegKey tree;
    std::string loadError;
    bool readOnly = false;
};

std::vector<Hive>& Hives() {
    static std::vector<Hive> h = {
        {HKeyLocalMachine, "HKEY_LOCAL_MACHINE", "zarn-machine.reg", {}, {}, false},
        {HKeyCurrentUser, "HKEY_CURRENT_USER", "zarn-user.reg", {}, {}, false},
        {HKeyUsers, "HKEY_USERS", "zarn-users.reg", {}, {}, false},
        {HKeyClassesRoot, "HKEY_CLASSES_ROOT", "zarn-classes.reg", {}, {}, false},
        {HKeyCurrentConfig, "HKEY_CURRENT_CONFIG", "zarn-config.reg", {}, {}, false},
        {HKeyDynData, "HKEY_DYN_DATA", "zarn-dyndata.reg", {}, {}, false},
    };
    return h;
}

Hive* HiveOf(HKEY root) {
    for (auto& h : Hives())
        if (h.root == root) return &h;
    return nullptr;
}

std::function<bool(int)>& SaveHook() {
    static std::function<bool(int)> hook;
    return hook;
}

struct OpenKey {
    HKEY root;
    std::vector<std::string> path;
    bool canWrite;
};
std::map<HKEY, OpenKey>& Keys() {
    static std::map<HKEY, OpenKey> k;
    return k;
}
HKEY nextKey = 0x1000;

bool ReadWhole(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
    return true;
}

// A save writes "<file>.tmp-XXXXXX" and renames it over the file; one that was killed
// leaves it behind. Those untouched for a minute are left over (a save takes far less)
// and go when the hive loads; younger ones may belong to a save running elsewhere.
constexpr std::time_t StaleAfterSeconds = 60;

void RemoveStaleTemporaries(const std::string& file) {
    std::size_t slash = file.rfind('/');
    std::string dir = slash == std::string::npos ? "." : file.substr(0, slash);
    std::string prefix = file.substr(slash == std::string::npos ? 0 : slash + 1) + ".tmp-";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::time_t now = std::time(nullptr);
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string path = dir + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= StaleAfterSeconds)
            ::unlink(path.c_str());
    }
    ::closedir(d);
}

bool LoadHive(Hive& h) {
    h.tree = RegKey{};
    h.tree.name = h.name;
    h.loadError.clear();
    std::string file = HiveFile(h.root);
    if (!file.empty()) RemoveStaleTemporaries(file);
    std::string text;
    if (file.empty() || !ReadWhole(file, text)) return false;  // no file yet: an empty hive
    if (!ParseRegFile(text, h.name, file, h.tree, h.loadError)) {
        std::fprintf(stderr, "zarn: the registry file %s does not parse and is left as it is\n",
                     h.loadError.c_str());
    }
    return true;
}

// The mode a new hive file gets: what creating a file gives under the process's umask.
mode_t NewFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Flushes a folder, so that a rename in it is on the disk too. Some file systems cannot;
// the rename itself has happened either way.
void SyncFolderOf(const std::string& file) {
    std::size_t slash = file.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writes the hive to a temporary file beside its file (with the file's mode), flushes
// it, renames it over the old one and flushes the folder.
LONG SaveHive(Hive& h) {
    if (!h.loadError.empty()) return LONG(err::BadDb);  // never replace a file we could not read
    std::string file = HiveFile(h.root);
    if (file.empty()) return LONG(err::AccessDenied);  // no usable root folder
    std::string text = FormatRegFile(h.tree, h.name);
    std::string tmpl = file + ".tmp-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return LONG(err::AccessDenied);
    // mkstemp makes the file for its owner alone. A file system without modes refuses
    // fchmod; that is no reason to fail the save.
    struct stat old;
    (void)::fchmod(fd, ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode());
    bool ok = true;
    std::size_t off = 0;
    while (ok && off < text.size()) {
        ssize_t n = ::write(fd, text.data() + off, text.size() - off);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else off += std::size_t(n);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    ::close(fd);
    if (ok && SaveHook() && !SaveHook()(0)) ok = false;
    if (ok && SaveHook() && !SaveHook()(1)) ok = false;
    if (ok && ::rename(tmpl.c_str(), file.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(tmpl.c_str());
        return LONG(err::WriteFault);
    }
    SyncFolderOf(file);
    return 0;
}

// Saves after a change; when the save fails the hive is reloaded from the file, which
// still holds the state before the change.
bool batching = false;  // while laying out defaults, save once at the end

LONG Commit(Hive& h) {
    if (batching) return 0;
    LONG rc = SaveHive(h);
    if (rc != 0) LoadHive(h);
    return rc;
}

std::vector<std::string> SplitKey(const std::string& sub) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < sub.size()) {
        std::size_t j = sub.find('\\', i);
        if (j == std::string::npos) j = sub.size();
        if (j > i) parts.push_back(sub.substr(i, j - i));
        i = j + 1;
    }
    return parts;
}

// Resolves a handle to its hive and path; KeyDeleted when its key no longer exists.
LONG Resolve(HKEY key, Hive*& hive, std::vector<std::string>& path, bool& canWrite) {
    EnsureRoot();
    if (Hive* h = HiveOf(key)) {
        hive = h;
        path.clear();
        canWrite = true;
    } else {
        auto it = Keys().find(key);
        if (it == Keys().end()) return LONG(err::InvalidHandle);
        hive = HiveOf(it->second.root);
        path = it->second.path;
        canWrite = it->second.canWrite;
    }
    if (!hive->loadError.empty()) return LONG(err::BadDb);
    return 0;
}

RegKey* Walk(RegKey& root, const std::vector<std::string>& path) {
    RegKey* k = &root;
    for (auto& p : path) {
        k = k->FindSub(p);
        if (!k) return nullptr;
    }
    return k;
}

LONG Target(HKEY key, Hive*& hive, RegKey*& k, bool needWrite) {
    std::vector<std::string> path;
    bool canWrite;
    if (LONG rc = Resolve(key, hive, path, canWrite)) return rc;
    k = Walk(hive->tree, path);
    if (!k) return LONG(err::KeyDeleted);
    if (needWrite && (!canWrite || hive->readOnly)) return LONG(err::AccessDenied);
    return 0;
}

HKEY NewHandle(HKEY root, std::vector<std::string> path, bool canWrite) {
    HKEY h = nextKey;
    nextKey += 4;
    Keys()[h] = OpenKey{root, std::move(path), canWrite};
    return h;
}

bool WriteAccess(DWORD access) { return access & 0x0006; }  // KEY_SET_VALUE | KEY_CREATE_SUB_KEY

void SetDefaults(bool machine, bool user) {
    batching = true;
    const std::string profile = "C:\\users\\" + UserName();
    if (KeyHandle k; user && RegCreateKey(HKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", k.receive()) == 0) {
        RegSetString(k.get(), "Start Menu", profile + "\\Start Menu");
        RegSetString(k.get(), "Programs", profile + "\\Start Menu\\Programs");
        RegSetString(k.get(), "Startup", profile + "\\Start Menu\\Programs\\Startup");
        RegSetString(k.get(), "Desktop", profile + "\\Desktop");
        RegSetString(k.get(), "Personal", profile + "\\My Documents");
        RegSetString(k.get(), "Fonts", "C:\\WINDOWS\\Fonts");
    }
    if (KeyHandle k; machine && RegCreateKey(HKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", k.receive()) == 0) {
        RegSetString(k.get(), "ProgramFilesDir", "C:\\Program Files");
        RegSetString(k.get(), "CommonFilesDir", "C:\\Program Files\\Common Files");
    }
    if (machine) {
        KeyHandle k;  // the key only has to exist
        RegCreateKey(HKeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", k.receive());
    }
    batching = false;
    if (machine) SaveHive(*HiveOf(HKeyLocalMachine));
    if (user) SaveHive(*HiveOf(HKeyCurrentUser));
}

}  // namespace

std::string HiveFile(HKEY root) {
    Hive* h = HiveOf(root);
    const std::string& folder = RootFolder();
    return h && !folder.empty() ? folder + "/" + h->file : std::string();
}

std::string RegistryLoadError(HKEY root) {
    EnsureRoot();
    Hive* h = HiveOf(root);
    return h ? h->loadError : std::string();
}

void SetRegistrySaveHook(std::function<bool(int)> hook) { SaveHook() = std::move(hook); }

void ResetRegistryControls() {
    for (auto& h : Hives()) h.readOnly = false;
}

void LoadRegistry(bool initialiseDefaults) {
    if (initialiseDefaults) Keys().clear();  // a new root: old handles mean nothing
    bool machineExisted = true, userExisted = true;
    for (auto& h : Hives()) {
        bool existed = LoadHive(h);
        if (h.root == HKeyLocalMachine) machineExisted = existed;
        if (h.root == HKeyCurrentUser) userExisted = existed;
    }
    if (initialiseDefaults && (!machineExisted || !userExisted)) SetDefaults(!machineExisted, !userExisted);
}

}  // namespace platform::host

namespace platform {

using namespace platform::host;

LONG RegOpenKey(HKEY parent, const std::string& subKey, DWORD access, HKEY& result) {
    result = 0;
    Hive* hive;
    std::vector<std::string> path;
    bool canWrite;
    if (LONG rc = Resolve(parent, hive, path, canWrite)) return rc;
    if (!subKey.empty() && subKey[0] == '\\') return LONG(err::BadPathname);
    if (!Walk(hive->tree, path)) return LONG(err::KeyDeleted);
    for (auto& p : SplitKey(subKey)) path.push_back(p);
    RegKey* k = Walk(hive->tree, path);
    if (!k) return LONG(err::FileNotFound);
    if (WriteAccess(access) && hive->readOnly) return LONG(err::AccessDenied);
    // Keep the stored case of each name on the handle.
    RegKey* cur = &hive->tree;
    for (auto& p : path) {
        cur = cur->FindSub(p);
        p = cur->name;
    }
    result = NewHandle(hive->root, std::move(path), WriteAccess(access));
    return 0;
}

LONG RegCreateKey(HKEY parent, const std::string& subKey, HKEY& result, bool* created) {
    result = 0;
    if (created) *created = false;
    Hive* hive;
    std::vector<std::string> path;
    bool canWrite;
    if (LONG rc = Resolve(parent, hive, path, canWrite)) return rc;
    if (!subKey.empty() && subKey[0] == '\\') return LONG(err::BadPathname);
    RegKey* k = Walk(hive->tree, path);
    if (!k) return LONG(err::KeyDeleted);
    if (hive->readOnly) return LONG(err::AccessDenied);
    bool added = false;
    for (auto& p : SplitKey(subKey)) {
        if (p.size() > 255) return LONG(err::InvalidParameter);
        RegKey* sub = k->FindSub(p);
        if (!sub) {
            if (!canWrite) return LONG(err::AccessDenied);
            k->subKeys.push_back(RegKey{p, {}, {}});
            sub = &k->subKeys.back();
            added = true;
        }
        path.push_back(sub->name);
        k = sub;
    }
    if (added) {
        if (LONG rc = Commit(*hive)) return rc;
    }
    if (created) *created = added;
    result = NewHandle(hive->root, std::move(path), true);
    return 0;
}

LONG RegCloseKey(HKEY key) {
    if (HiveOf(key)) return 0;
    if (!Keys().erase(key)) return LONG(err::InvalidHandle);
    return 0;
}

LONG RegDeleteKey(HKEY parent, const std::string& subKey) {
    Hive* hive;
    RegKey* k;
    if (LONG rc = Target(parent, hive, k, false)) return rc;
    auto parts = SplitKey(subKey);
    if (parts.empty()) return LONG(err::AccessDenied);
    std::string last = parts.back();
    parts.pop_back();
    RegKey* p = Walk(*k, parts);
    RegKey* victim = p ? p->FindSub(last) : nullptr;
    if (!victim) return LONG(err::FileNotFound);
    if (hive->readOnly) return LONG(err::AccessDenied);
    if (!victim->subKeys.empty()) return LONG(err::AccessDenied);
    for (auto it = p->subKeys.begin(); it != p->subKeys.end(); ++it) {
        if (&*it == victim) {
            p->subKeys.erase(it);
            break;
        }
    }
    return Commit(*hive);
}

LONG RegDeleteValue(HKEY key, const std::string& name) {
    Hive* hive;
    RegKey* k;
    if (LONG rc = Target(key, hive, k, true)) return rc;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (EqualIgnoreCase(it->name, name)) {
            k->values.erase(it);
            return Commit(*hive);
        }
    }
    return LONG(err::FileNotFound);
}

LONG RegQueryValue(HKEY key, const std::string& name, DWORD& type, std::vector<BYTE>& data) {
    Hive* hive;
    RegKey* k;
    if (LONG rc = Target(key, hive, k, false)) return rc;
    RegValue* v = k->FindValue(name);
    if (!v) return LONG(err::FileNotFound);
    type = v->type;
    data = v->data;
    return 0;
}

LONG RegSetValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    Hive* hive;
    RegKey* k;
    if (LONG rc = Target(key, hive, k, true)) return rc;
    if (size && !data) return LONG(err::InvalidParameter);
    auto* p = static_cast<const BYTE*>(data);
    std::vector<BYTE> bytes(p, p + size);
    if (RegValue* v = k->FindValue(name)) {
        v->type = type;
        v->data = std::move(bytes);
    } else {
        k->values.push_back(RegValue{name, type, std::move(bytes)});
    }
    return Commit(*hive);
}

LONG RegEnumKey(HKEY key, DWORD index, std::string& name) {
    Hive* hive;
    RegKey* k;
    if (LONG rc = Target(key, hive, k, false)) return rc;
    if (index >= k->subKeys.size()) return LONG(err::NoMoreItems);
    name = k->subKeys[index].name;
    return 0;
}

LONG RegEnumValue(HKEY key, DWORD index, std::string& name) {
    Hive* hive;
    RegKey* k;
    if (LONG rc = Target(key, hive, k, false)) return rc;
    if (index >= k->values.size()) return LONG(err::NoMoreItems);
    name = k->values[index].name;
    return 0;
}

LONG RegSetString(HKEY key, const std::string& name, const std::string& value) {
    return RegSetValue(key, name, RegSz, value.c_str(), DWORD(value.size() + 1));
}

LONG RegSetDword(HKEY key, const std::string& name, DWORD value) {
    BYTE b[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    return RegSetValue(key, name, RegDword, b, 4);
}

LONG RegSetMultiString(HKEY key, const std::string& name, const std::vector<std::string>& value) {
    std::vector<BYTE> d;
    for (auto& s : value) {
        d.insert(d.end(), s.begin(), s.end());
        d.push_back(0);
    }
    d.push_back(0);
    return RegSetValue(key, name, RegMultiSz, d.data(), DWORD(d.size()));
}

LONG RegGetString(HKEY key, const std::string& name, std::string& value) {
    DWORD type;
    std::vector<BYTE> d;
    if (LONG rc = RegQueryValue(key, name, type, d)) return rc;
    if (type != RegSz && type != RegExpandSz) return LONG(err::DatatypeMismatch);
    std::string s(d.begin(), d.end());
    auto nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    value = s;
    return 0;
}

LONG RegGetDword(HKEY key, const std::string& name, DWORD& value) {
    DWORD type;
    std::vector<BYTE> d;
    if (LONG rc = RegQueryValue(key, name, type, d)) return rc;
    if (type != RegDword || d.size() != 4) return LONG(err::DatatypeMismatch);
    value = d[0] | (d[1] << 8) | (d[2] << 16) | (DWORD(d[3]) << 24);
    return 0;
}

LONG RegGetMultiString(HKEY key, const std::string& name, std::vector<std::string>& value) {
    DWORD type;
    std::vector<BYTE> d;
    if (LONG rc = RegQueryValue(key, name, type, d)) return rc;
    if (type != RegMultiSz) return LONG(err::DatatypeMismatch);
    value.clear();
    std::string cur;
    for (std::size_t i = 0; i < d.size(); ++i) {
        if (d[i] == 0) {
            if (cur.empty()) break;  // the terminating empty string
            value.push_back(cur);
            cur.clear();
        } else {
            cur += char(d[i]);
        }
    }
    if (!cur.empty()) value.push_back(cur);
    return 0;
}

bool RegKeyExists(HKEY root, const std::string& subKey) {
    KeyHandle k;
    return RegOpenKey(root, subKey, KeyRead, k.receive()) == 0;
}

bool RegValueExists(HKEY key, const std::string& name) {
    DWORD type;
    std::vector<BYTE> d;
    return RegQueryValue(key, name, type, d) == 0;
}

}  // namespace platform

namespace platform::testenv {

bool SetRegistryReadOnly(HKEY root, bool readOnly) {
    platform::host::EnsureRoot();
    auto* h = platform::host::HiveOf(root);
    if (!h) return false;
    h->readOnly = readOnly;
    return true;
}

bool ReloadRegistry() {
    platform::host::EnsureRoot();
    platform::host::LoadRegistry(false);
    return true;
}

}  // namespace platform::testenv
