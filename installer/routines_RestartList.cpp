#include "installer/routines_RestartList.h"

#include <algorithm>
#include <vector>

#include "framework/objects.h"
#include "framework/paths.h"
#include "install/routines_SystemRegistration.h"
#include "localisation/cmp_TTranslator.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "shell/cmp_TProgramManager.h"

namespace {

using platform::KeyHandle;

std::string ListKey(const std::string& product) {
    // A backslash would make a subkey of the name.
    std::string name = product;
    for (char& c : name)
        if (c == '\\') c = '_';
    return std::string(RestartListKey) + "\\" + name;
}

[[noreturn]] void RaiseRegistry(long code) {
    throw EInOutError(Format("I/O error %d", {(long long)code}), platform::DWORD(code));
}

bool WriteList(platform::HKEY root, const std::string& product, const std::string& program,
               const std::vector<TRestartItem>& items, long& code) {
    // The list is written whole: an old one is removed first.
    platform::RegDeleteKey(root, ListKey(product));
    KeyHandle key;
    code = platform::RegCreateKey(root, ListKey(product), key.receive());
    if (code != 0) return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        code = platform::RegSetString(key.get(), "Item" + IntToStr((long long)i + 1), FormatRestartItem(items[i]));
        if (code != 0) return false;
    }
    KeyHandle runOnce;
    code = platform::RegCreateKey(root, RunOnceKey, runOnce.receive());
    if (code != 0) return false;
    code = platform::RegSetString(runOnce.get(), RestartRunOnceName(product), "\"" + program + "\" \"" + product + "\"");
    return code == 0;
}

// The exchange a fallback batch file describes: its "erase TARGET" and "move TEMP
// TARGET" lines.
struct TBatchExchange {
    std::string target;
    std::string temp;
};

bool ReadBatch(const std::string& path, TBatchExchange& out) {
    platform::FileHandle h(platform::CreateFile(path, platform::GenericRead, platform::FileShareRead,
                                                platform::OpenExisting));
    if (!h) return false;
    std::string text;
    char buffer[4096];
    platform::DWORD done = 0;
    while (platform::ReadFile(h.get(), buffer, sizeof buffer, done) && done > 0 && text.size() < 65536)
        text.append(buffer, done);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(at, end - at));
        at = end + 1;
        if (line.size() > 5 && SameText(line.substr(0, 5), "move ")) {
            const std::string rest = Trim(line.substr(5));
            const std::size_t blank = rest.find(' ');
            if (blank == std::string::npos) continue;
            out.temp = rest.substr(0, blank);
            out.target = Trim(rest.substr(blank + 1));
        }
    }
    return !out.temp.empty() && !out.target.empty();
}

// The long form of an existing path given in short (8.3) names, component by component
// (what GetLongPathName does, which the Windows 95 family lacks); the path itself where
// a component is not found.
std::string LongPathOf(const std::string& path) {
    const std::size_t root = path.size() > 2 && path[1] == ':' ? 3 : 0;
    if (root == 0 || path.size() <= root) return path;
    std::string result = path.substr(0, root);
    std::size_t at = root;
    while (at < path.size()) {
        std::size_t end = path.find('\\', at);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(at, end - at);
        std::vector<platform::FindData> found;
        if (part.empty() || part.find_first_of("*?") != std::string::npos ||
            !platform::FindFiles(result + part, found) || found.size() != 1)
            return path;
        result += found[0].name;
        if (end < path.size()) result += "\\";
        at = end + 1;
    }
    return result;
}

// Carries out the batch's exchange unless it has been done. False while the target is
// still in use. The batch names the files by their short names: after its "erase" the
// short name of the target no longer exists, and its "move" would give the new file
// that short name as its only one; the exchange here keeps the long name.
bool DoBatchExchange(const std::string& batch) {
    TBatchExchange x;
    if (!ReadBatch(batch, x)) return true;  // nothing left that we can do
    if (!platform::FileExists(x.temp)) return true;  // the batch has run
    const std::string target = platform::FileExists(x.target) ? LongPathOf(x.target) : x.target;
    if (platform::FileExists(target) && !platform::DeleteFile(target)) return false;
    return platform::MoveFileEx(x.temp, target, platform::MoveFileReplaceExisting);
}

bool IsBatchFile(const std::string& path) {
    const std::string name = ExtractFileName(path);
    return name.size() > 4 && SameText(name.substr(name.size() - 4), ".bat");
}

void DeleteIfThere(const std::string& path) {
    if (platform::FileExists(path)) platform::DeleteFile(path);
}

}  // namespace

std::string RestartRunOnceName(const std::string& product) { return "Zarn restart: " + product; }

std::string FormatRestartItem(const TRestartItem& item) {
    std::string s = IntToStr(item.kind) + "|" + item.text;
    if (item.kind == 0) s += "|" + item.path + "|" + (item.exeStyle ? "1" : "0");
    return s;
}

bool ParseRestartItem(const std::string& text, TRestartItem& item) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (;;) {
        const std::size_t bar = text.find('|', at);
        parts.push_back(text.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
        if (bar == std::string::npos) break;
        at = bar + 1;
    }
    if (parts.size() < 2 || parts[0].size() != 1 || parts[0][0] < '0' || parts[0][0] > '2') return false;
    item = TRestartItem{};
    item.kind = parts[0][0] - '0';
    item.text = parts[1];
    if (item.kind == 0) {
        if (parts.size() != 4 || parts[2].empty() || (parts[3] != "0" && parts[3] != "1")) return false;
        item.path = parts[2];
        item.exeStyle = parts[3] == "1";
    } else if (parts.size() != 2 || item.text.empty()) {
        return false;
    }
    return true;
}

void SaveRestartList(TRestartListStore& store, const std::string& program, const std::vector<TRestartItem>& items) {
    long code = 0;
    if (store.Assigned()) {
        if (!WriteList(store.root, store.product, program, items, code)) RaiseRegistry(code);
        return;
    }
    for (platform::HKEY root : {platform::HKeyLocalMachine, platform::HKeyCurrentUser}) {
        if (WriteList(root, store.product, program, items, code)) {
            store.root = root;
            return;
        }
        // What was written of it goes again.
        platform::RegDeleteKey(root, ListKey(store.product));
    }
    RaiseRegistry(code);
}

std::vector<TRestartItem> LoadRestartList(const std::string& product, TRestartListStore& store) {
    std::vector<TRestartItem> items;
    store = TRestartListStore{};
    store.product = product;
    for (platform::HKEY root : {platform::HKeyLocalMachine, platform::HKeyCurrentUser}) {
        KeyHandle key;
        if (platform::RegOpenKey(root, ListKey(product), platform::KeyRead, key.receive()) != 0) continue;
        store.root = root;
        KeyHandle runOnce;
        std::string command;
        if (platform::RegOpenKey(root, RunOnceKey, platform::KeyRead, runOnce.receive()) == 0 &&
            platform::RegGetString(runOnce.get(), RestartRunOnceName(product), command) == 0 && command.size() > 2 &&
            command[0] == '"') {
            const std::size_t close = command.find('"', 1);
            if (close != std::string::npos) store.program = command.substr(1, close - 1);
        }
        // Items are numbered from 1; a gap ends nothing, the values are enumerated.
        std::vector<std::pair<long long, TRestartItem>> numbered;
        std::string name;
        for (platform::DWORD i = 0; platform::RegEnumValue(key.get(), i, name) == 0; ++i) {
            long long n = 0;
            if (name.size() < 5 || !SameText(name.substr(0, 4), "Item") || !TryStrToInt(name.substr(4), n)) continue;
            std::string text;
            TRestartItem item;
            if (platform::RegGetString(key.get(), name, text) == 0 && ParseRestartItem(text, item))
                numbered.push_back({n, item});
        }
        std::sort(numbered.begin(), numbered.end(), [](auto& a, auto& b) { return a.first < b.first; });
        for (auto& [n, item] : numbered) items.push_back(item);
        break;
    }
    return items;
}

void DeleteRestartList(const TRestartListStore& store) {
    if (!store.Assigned()) return;
    platform::RegDeleteKey(store.root, ListKey(store.product));
    KeyHandle runOnce;
    if (platform::RegOpenKey(store.root, RunOnceKey, platform::KeyAllAccess, runOnce.receive()) == 0)
        platform::RegDeleteValue(runOnce.get(), RestartRunOnceName(store.product));
}

std::vector<TRestartOutcome> WorkOffRestartList(const std::vector<TRestartItem>& items) {
    std::vector<TRestartOutcome> out;
    // First the exchanges of the fallback batch files: their files, shortcuts and Program
    // Manager items go only when every exchange is done.
    bool exchangesDone = true;
    for (const TRestartItem& item : items)
        if (item.kind == 1 && IsBatchFile(item.text) && !DoBatchExchange(item.text)) exchangesDone = false;

    for (const TRestartItem& item : items) {
        TRestartOutcome o;
        o.item = item;
        try {
            switch (item.kind) {
            case 0:
                if (!platform::FileExists(item.path)) {
                    o.done = true;  // the file has gone: nothing to register
                    break;
                }
                if (item.exeStyle)
                    RegisterActiveXEXE(item.path, item.text);
                else
                    RegisterActiveXDLL(item.path, item.text);
                o.done = true;
                break;
            case 1:
                if (!exchangesDone) {
                    o.retry = true;
                    break;
                }
                DeleteIfThere(item.text);
                // The temporary name the batch file was made from.
                if (IsBatchFile(item.text)) DeleteIfThere(ChangeFileExt(item.text, ".tmp"));
                o.done = true;
                break;
            case 2:
                if (!exchangesDone) {
                    o.retry = true;
                    break;
                }
                if (ProgramManager) {
                    ProgramManager->SelectGroup("Startup");
                    if (ProgramManager->IndexOfItem(item.text) >= 0) ProgramManager->DeleteItem(item.text);
                }
                o.done = true;
                break;
            default:
                o.done = true;
                break;
            }
        } catch (const Exception& e) {
            o.done = false;
            o.message = e.Message();
        }
        out.push_back(o);
    }
    return out;
}
