// The host's Program Manager: groups as folders below Programs, items as shortcut files.
#include "platform/host/progman.h"

#include <algorithm>
#include <cstdlib>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/registry.h"
#include "platform/shelllink.h"

namespace platform::host {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

}  // namespace

bool ParseProgmanCommands(const std::string& text, std::vector<ProgmanCommand>& commands,
                          std::string& error) {
    commands.clear();
    std::size_t i = 0, n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i])) ++i;
    };
    while (true) {
        skipBlanks();
        if (i >= n || text[i] == '\0') break;
        if (text[i] != '[') {
            error = "a command must start with '['";
            return false;
        }
        ++i;
        ProgmanCommand cmd;
        skipBlanks();
        while (i < n && text[i] != '(' && text[i] != ']' && !IsBlank(text[i])) cmd.name += text[i++];
        if (cmd.name.empty()) {
            error = "a command without a name";
            return false;
        }
        skipBlanks();
        if (i < n && text[i] == '(') {
            ++i;
            while (true) {
                skipBlanks();
                // A parameter runs to the next comma or ')' outside double quotes;
                // the quotes delimit and are not part of the value.
                std::string param, raw;
                bool quoted = false;
                while (i < n && (quoted || (text[i] != ',' && text[i] != ')'))) {
                    if (text[i] == '"') {
                        quoted = !quoted;
                    } else if (!quoted && (text[i] == '[' || text[i] == ']' || text[i] == '(')) {
                        break;
                    } else {
                        param += text[i];
                    }
                    raw += text[i++];
                }
                if (quoted) {
                    error = "a quoted parameter is not closed";
                    return false;
                }
                param = Trim(param);
                raw = Trim(raw);
                cmd.params.push_back(param);
                cmd.raw.push_back(raw);
                if (i < n && text[i] == ',') {
                    ++i;
                    continue;
                }
                if (i < n && text[i] == ')') {
                    ++i;
                    break;
                }
                error = "a parameter list must end with ')'";
                return false;
            }
            // "Cmd()" has no parameters rather than one empty one.
            if (cmd.params.size() == 1 && cmd.raw[0].empty()) {
                cmd.params.clear();
                cmd.raw.clear();
            }
            skipBlanks();
        }
        if (i >= n || text[i] != ']') {
            error = "a command must end with ']'";
            return false;
        }
        ++i;
        commands.push_back(std::move(cmd));
    }
    if (commands.empty()) {
        error = "no command";
        return false;
    }
    return true;
}

namespace {

constexpr const char* ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ProgramsFolder() {
    KeyHandle key;
    std::string value;
    if (RegOpenKey(HKeyCurrentUser, ShellFoldersKey, KeyRead, key.receive()) != 0 ||
        RegGetString(key.get(), "Programs", value) != 0)
        return {};
    while (value.size() > 3 && value.back() == '\\') value.pop_back();
    return value;
}

// A group or item name must be a plain file name.
bool ValidName(const std::string& name) {
    if (Trim(name).empty() || name == "." || name == "..") return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

std::string ToDecimal(long v) { return std::to_string(v); }

bool ParseInt(const std::string& s, long& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtol(s.c_str(), &end, 10);
    return end && *end == '\0';
}

// Splits a command line into the program and its arguments.
void SplitCommandLine(const std::string& line, std::string& program, std::string& args) {
    std::string s = Trim(line);
    std::size_t rest;
    if (!s.empty() && s[0] == '"') {
        std::size_t close = s.find('"', 1);
        if (close == std::string::npos) {
            program = s.substr(1);
            rest = s.size();
        } else {
            program = s.substr(1, close - 1);
            rest = close + 1;
        }
    } else {
        rest = s.find(' ');
        if (rest == std::string::npos) rest = s.size();
        program = s.substr(0, rest);
    }
    args = rest < s.size() ? Trim(s.substr(rest)) : std::string();
}

std::string FileTitle(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

class ProgramManager : public dde::ServerHandler {
public:
    bool AcceptTopic(const std::string& topic) override {
        return EqualIgnoreCase(topic, "PROGMAN");
    }

    bool Execute(const std::string& topic, const std::string& text) override {
        std::vector<ProgmanCommand> commands;
        std::string error;
        if (!ParseProgmanCommands(text, commands, error)) return false;
        for (const ProgmanCommand& c : commands)
            if (!Run(c)) return false;
        return true;
    }

    std::optional<std::string> Request(const std::string& topic, const std::string& item) override {
        std::string programs = ProgramsFolder();
        if (programs.empty()) return std::nullopt;
        if (EqualIgnoreCase(item, "GROUPS") || EqualIgnoreCase(item, "PROGMAN")) {
            std::string text;
            for (const std::string& g : Groups(programs)) text += g + "\r\n";
            return text;
        }
        if (!ValidName(item)) return std::nullopt;
        std::string folder = programs + "\\" + item;
        if (!DirectoryExists(folder)) return std::nullopt;
        std::vector<std::string> items = Items(folder);
        std::string text = "\"" + item + "\"," + folder + "," + ToDecimal(long(items.size())) + "\r\n";
        for (std::size_t i = 0; i < items.size(); ++i) text += ItemLine(folder, items[i], i);
        return text;
    }

private:
    std::string active_;  // the active group's name

    bool Run(const ProgmanCommand& c) {
        const auto& p = c.params;
        std::string programs = ProgramsFolder();
        if (programs.empty()) return false;
        if (EqualIgnoreCase(c.name, "CreateGroup")) {
            if (p.empty() || !ValidName(p[0])) return false;
            std::string folder = programs + "\\" + p[0];
            if (!DirectoryExists(folder) && !CreateDirectory(folder)) return false;
            active_ = p[0];
            return true;
        }
        if (EqualIgnoreCase(c.name, "ShowGroup")) {
            if (p.empty() || !ValidName(p[0]) || !DirectoryExists(programs + "\\" + p[0]))
                return false;
            active_ = p[0];
            return true;
        }
        if (EqualIgnoreCase(c.name, "DeleteGroup")) {
            if (p.empty() || !ValidName(p[0])) return false;
            std::string folder = programs + "\\" + p[0];
            if (!DirectoryExists(folder)) return false;
            for (const std::string& item : Items(folder)) DeleteFile(folder + "\\" + item + ".lnk");
            if (!RemoveDirectory(folder)) return false;
            if (EqualIgnoreCase(active_, p[0])) active_.clear();
            return true;
        }
        if (EqualIgnoreCase(c.name, "AddItem")) return AddItem(programs, c);
        if (EqualIgnoreCase(c.name, "ReplaceItem") || EqualIgnoreCase(c.name, "DeleteItem")) {
            if (p.empty() || !ValidName(p[0]) || !ActiveExists(programs)) return false;
            return DeleteFile(programs + "\\" + active_ + "\\" + p[0] + ".lnk");
        }
        if (EqualIgnoreCase(c.name, "Reload") || EqualIgnoreCase(c.name, "ExitProgman")) return true;
        return false;
    }

    bool ActiveExists(const std::string& programs) const {
        return !active_.empty() && DirectoryExists(programs + "\\" + active_);
    }

    bool AddItem(const std::string& programs, const ProgmanCommand& c) {
        const auto& p = c.params;
        if (p.empty() || p[0].empty() || !ActiveExists(programs)) return false;
        std::string program, args;
        SplitCommandLine(c.raw[0], program, args);
        std::string name = p.size() > 1 && !p[1].empty() ? p[1] : FileTitle(program);
        if (!ValidName(name)) return false;
        std::unique_ptr<ShellLink> link;
        if (hr::Failed(CreateShellLink(link))) return false;
        link->SetPath(program);
        link->SetArguments(args);
        long index = 0, hotKey = 0, minimise = 0;
        if (p.size() > 2 && !p[2].empty()) {
            if (p.size() > 3 && !p[3].empty() && !ParseInt(p[3], index)) return false;
            link->SetIconLocation(p[2], int(index));
        }
        if (p.size() > 6) link->SetWorkingDirectory(p[6]);
        if (p.size() > 7 && !p[7].empty()) {
            if (!ParseInt(p[7], hotKey) || hotKey < 0 || hotKey > 0xFFFF) return false;
            link->SetHotkey(WORD(hotKey));
        }
        if (p.size() > 8 && !p[8].empty()) {
            if (!ParseInt(p[8], minimise)) return false;
            if (minimise) link->SetShowCmd(LinkShowMinNoActive);
        }
        std::string path = programs + "\\" + active_ + "\\" + name + ".lnk";
        if (path.size() >= MaxPath) return false;
        return !hr::Failed(link->Save(path, true));
    }

    static std::vector<std::string> Groups(const std::string& programs) {
        std::vector<FindData> found;
        std::vector<std::string> names;
        if (FindFiles(programs + "\\*", found))
            for (const FindData& f : found)
                if (f.attributes & FileAttributeDirectory) names.push_back(f.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Item titles of a group folder, in name order.
    static std::vector<std::string> Items(const std::string& folder) {
        std::vector<FindData> found;
        std::vector<std::string> titles;
        if (FindFiles(folder + "\\*.lnk", found))
            for (const FindData& f : found)
                if (!(f.attributes & FileAttributeDirectory) && f.name.size() > 4)
                    titles.push_back(f.name.substr(0, f.name.size() - 4));
        std::sort(titles.begin(), titles.end());
        return titles;
    }

    // "title","command line",default dir,icon path,x,y,icon index,hot key,minimised
    static std::string ItemLine(const std::string& folder, const std::string& title, std::size_t i) {
        std::string path, args, dir, icon;
        int iconIndex = 0, show = LinkShowNormal;
        WORD hotKey = 0;
        std::unique_ptr<ShellLink> link;
        if (!hr::Failed(CreateShellLink(link)) &&
            !hr::Failed(link->Load(folder + "\\" + title + ".lnk"))) {
            link->GetPath(path);
            link->GetArguments(args);
            link->GetWorkingDirectory(dir);
            link->GetIconLocation(icon, iconIndex);
            link->GetHotkey(hotKey);
            link->GetShowCmd(show);
        }
        std::string command = path.find(' ') != std::string::npos ? "\"" + path + "\"" : path;
        if (!args.empty()) command += " " + args;
        if (icon.empty()) icon = path;
        long x = 16 + long(i % 4) * 75, y = 16 + long(i / 4) * 60;
        return "\"" + title + "\",\"" + command + "\"," + dir + "," + icon + "," + ToDecimal(x) +
               "," + ToDecimal(y) + "," + ToDecimal(iconIndex) + "," + ToDecimal(hotKey) + "," +
               (show == LinkShowMinNoActive ? "1" : "0") + "\r\n";
    }
};

}  // namespace

dde::ServerHandler& ProgramManagerService() {
    static ProgramManager service;
    return service;
}

}  // namespace platform::host
