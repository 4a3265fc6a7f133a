// Profile (INI) files with WritePrivateProfileString semantics. The file is read whole,
// changed line by line (comments, blank lines and the order of everything else stay as
// they were) and written back with CRLF line ends.
#include <optional>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/hostenv.h"
#include "platform/profile.h"
#include "platform/system.h"

namespace platform {
namespace {

using namespace platform::host;

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string ProfilePath(const std::string& fileName) {
    if (fileName.find_first_of("\\/:") != std::string::npos) return fileName;
    std::string win = GetWindowsDirectory();
    if (win.empty()) win = "C:\\WINDOWS";
    return win + "\\" + fileName;
}

// Reads the lines of a file; nullopt (with the last error) when it cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
    FileHandle h(CreateFile(path, GenericRead, FileShareRead, OpenExisting));
    if (!h) return std::nullopt;
    std::string text;
    char buf[4096];
    DWORD got;
    while (ReadFile(h.get(), buf, sizeof buf, got) && got) text.append(buf, got);
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t e = text.find('\n', i);
        if (e == std::string::npos) e = text.size();
        std::string l = text.substr(i, e - i);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
        i = e + 1;
    }
    return lines;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (auto& l : lines) text += l + "\r\n";
    FileHandle h(CreateFile(path, GenericWrite, 0, CreateAlways));
    if (!h) return false;
    DWORD done;
    bool ok = WriteFile(h.get(), text.data(), DWORD(text.size()), done);
    h.reset();
    if (ok) SetLastError(0);
    return ok;
}

std::optional<std::string> SectionName(const std::string& line) {
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

std::optional<std::string> KeyName(const std::string& line) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return Trim(t.substr(0, eq));
}

// [begin, end) of a section's lines, header included; begin == npos when missing.
void FindSection(const std::vector<std::string>& lines, const std::string& section,
                 std::size_t& begin, std::size_t& end) {
    begin = std::string::npos;
    end = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto s = SectionName(lines[i]);
        if (!s) continue;
        if (begin != std::string::npos) {
            end = i;
            return;
        }
        if (EqualIgnoreCase(*s, Trim(section))) begin = i;
    }
}

}  // namespace

bool WritePrivateProfileString(const std::string& section, const std::string* key,
                               const std::string* value, const std::string& fileName) {
    std::string path = ProfilePath(fileName);
    std::vector<std::string> lines;
    if (auto l = ReadLines(path)) {
        lines = std::move(*l);
    } else if (GetLastError() != err::FileNotFound) {
        return false;
    }
    std::size_t begin, end;
    FindSection(lines, section, begin, end);
    if (!key) {
        if (begin == std::string::npos) return true;
        // Blank lines after the section go with it.
        lines.erase(lines.begin() + std::ptrdiff_t(begin), lines.begin() + std::ptrdiff_t(end));
        return WriteLines(path, lines);
    }
    if (begin == std::string::npos) {
        if (!value) return true;
        if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(*key + "=" + *value);
        return WriteLines(path, lines);
    }
    std::size_t lastContent = begin;
    for (std::size_t i = begin + 1; i < end; ++i) {
        if (!Trim(lines[i]).empty()) lastContent = i;
        auto k = KeyName(lines[i]);
        if (k && EqualIgnoreCase(*k, Trim(*key))) {
            if (value) lines[i] = *k + "=" + *value;
            else lines.erase(lines.begin() + std::ptrdiff_t(i));
            return WriteLines(path, lines);
        }
    }
    if (!value) return true;
    lines.insert(lines.begin() + std::ptrdiff_t(lastContent + 1), *key + "=" + *value);
    return WriteLines(path, lines);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& fileName) {
    auto lines = ReadLines(ProfilePath(fileName));
    if (!lines) return def;
    std::size_t begin, end;
    FindSection(*lines, section, begin, end);
    if (begin == std::string::npos) return def;
    for (std::size_t i = begin + 1; i < end; ++i) {
        auto k = KeyName((*lines)[i]);
        if (!k || !EqualIgnoreCase(*k, Trim(key))) continue;
        std::string t = Trim((*lines)[i]);
        std::string v = Trim(t.substr(t.find('=') + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.substr(1, v.size() - 2);
        return v;
    }
    return def;
}

std::vector<std::string> GetPrivateProfileSectionKeys(const std::string& section,
                                                      const std::string& fileName) {
    std::vector<std::string> keys;
    auto lines = ReadLines(ProfilePath(fileName));
    if (!lines) return keys;
    std::size_t begin, end;
    FindSection(*lines, section, begin, end);
    if (begin == std::string::npos) return keys;
    for (std::size_t i = begin + 1; i < end; ++i)
        if (auto k = KeyName((*lines)[i])) keys.push_back(*k);
    return keys;
}

}  // namespace platform

namespace platform::host {

std::vector<std::pair<std::string, std::string>> ProfileSectionEntries(const std::string& section,
                                                                       const std::string& fileName) {
    std::vector<std::pair<std::string, std::string>> entries;
    auto lines = ReadLines(ProfilePath(fileName));
    if (!lines) return entries;
    std::size_t begin, end;
    FindSection(*lines, section, begin, end);
    if (begin == std::string::npos) return entries;
    for (std::size_t i = begin + 1; i < end; ++i) {
        auto k = KeyName((*lines)[i]);
        if (!k) continue;
        std::string t = Trim((*lines)[i]);
        entries.emplace_back(*k, Trim(t.substr(t.find('=') + 1)));
    }
    return entries;
}

}  // namespace platform::host
