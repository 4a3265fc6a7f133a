// REGEDIT4 text: the format regedit imports and exports.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Example]
//   @="default value"
//   "Text"="with \"quotes\" and \\ backslashes"
//   "Number"=dword:0000002a
//   "Bytes"=hex:01,02,ff
//   "List"=hex(7):61,00,62,00,00,00
//   "Path"=hex(2):25,77,69,6e,25,00
//
// Long hex lists continue on the next line after a trailing backslash. Every key is
// written, also those without values, so that empty keys survive a round trip.
#include <cstdio>
#include <cstring>

#include "platform/host/hostenv.h"

namespace platform::host {

RegKey* RegKey::FindSub(const std::string& n) {
    for (auto& k : subKeys)
        if (EqualIgnoreCase(k.name, n)) return &k;
    return nullptr;
}

RegValue* RegKey::FindValue(const std::string& n) {
    for (auto& v : values)
        if (EqualIgnoreCase(v.name, n)) return &v;
    return nullptr;
}

namespace {

struct Parser {
    const std::string& text;
    const std::string& rootName;
    const std::string& fileName;
    std::string& error;
    std::size_t pos = 0;
    int line = 0;

    bool Fail(int at, const std::string& what) {
        error = fileName + ", line " + std::to_string(at) + ": " + what;
        return false;
    }

    bool NextLine(std::string& out) {
        if (pos >= text.size()) return false;
        std::size_t e = text.find('\n', pos);
        if (e == std::string::npos) e = text.size();
        out = text.substr(pos, e - pos);
        if (!out.empty() && out.back() == '\r') out.pop_back();
        pos = e + 1;
        ++line;
        return true;
    }

    // Reads a quoted string starting at s[i] == '"'; i ends after the closing quote.
    bool Quoted(const std::string& s, std::size_t& i, std::string& out, int at) {
        out.clear();
        ++i;
        while (i < s.size()) {
            char c = s[i++];
            if (c == '"') return true;
            if (c == '\\') {
                if (i >= s.size()) break;
                char n = s[i++];
                if (n == '\\' || n == '"') out += n;
                else return Fail(at, std::string("unknown escape \\") + n + " in a string");
            } else {
                out += c;
            }
        }
        return Fail(at, "string without closing quote");
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // Parses "xx,xx,..." possibly continued over lines ending with a backslash.
    bool HexList(std::string s, std::vector<BYTE>& out, int at) {
        while (true) {
            std::size_t end = s.find_last_not_of(" \t");
            bool cont = end != std::string::npos && s[end] == '\\';
            if (cont) s = s.substr(0, end);
            std::size_t i = 0;
            while (i < s.size()) {
                while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ',')) ++i;
                if (i >= s.size()) break;
                int h = HexDigit(s[i]);
                int l = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
                if (h < 0) return Fail(line, "bad hex byte");
                if (l < 0) {  // a single digit
                    out.push_back(BYTE(h));
                    i += 1;
                } else {
                    out.push_back(BYTE(h * 16 + l));
                    i += 2;
                }
                if (i < s.size() && s[i] != ',' && s[i] != ' ' && s[i] != '\t')
                    return Fail(line, "bad hex byte");
            }
            if (!cont) return true;
            if (!NextLine(s)) return Fail(line, "hex list continues past the end of the file");
        }
    }

    bool Run(RegKey& root) {
        root = RegKey{};
        std::string l;
        // Header.
        bool header = false;
        while (NextLine(l)) {
            if (line == 1 && l.size() >= 3 && (unsigned char)l[0] == 0xEF &&
                (unsigned char)l[1] == 0xBB && (unsigned char)l[2] == 0xBF)
                l = l.substr(3);
            std::size_t b = l.find_first_not_of(" \t");
            if (b == std::string::npos) continue;
            if (l.substr(b) != "REGEDIT4")
                return Fail(line, "expected the header \"REGEDIT4\"");
            header = true;
            break;
        }
        if (!header) return Fail(line ? line : 1, "expected the header \"REGEDIT4\"");
        RegKey* current = nullptr;
        while (NextLine(l)) {
            std::size_t b = l.find_first_not_of(" \t");
            if (b == std::string::npos) continue;
            l = l.substr(b);
            if (l[0] == ';') continue;
            if (l[0] == '[') {
                std::size_t close = l.find_last_of(']');
                if (close == std::string::npos) return Fail(line, "key name without closing ]");
                if (l.find_first_not_of(" \t", close + 1) != std::string::npos)
                    return Fail(line, "text after the key name");
                std::string name = l.substr(1, close - 1);
                std::string head = name.substr(0, name.find('\\'));
                if (!EqualIgnoreCase(head, rootName))
                    return Fail(line, "key outside " + rootName + ": " + name);
                current = &root;
                if (name.size() > head.size()) {
                    std::string rest = name.substr(head.size() + 1);
                    std::size_t i = 0;
                    while (i <= rest.size()) {
                        std::size_t j = rest.find('\\', i);
                        if (j == std::string::npos) j = rest.size();
                        std::string part = rest.substr(i, j - i);
                        i = j + 1;
                        if (part.empty()) return Fail(line, "empty key name in " + name);
                        RegKey* sub = current->FindSub(part);
                        if (!sub) {
                            current->subKeys.push_back(RegKey{part, {}, {}});
                            sub = &current->subKeys.back();
                        }
                        current = sub;
                    }
                }
                continue;
            }
            if (!current) return Fail(line, "value before the first key");
            RegValue v;
            std::size_t i = 0;
            if (l[0] == '@') {
                i = 1;
            } else if (l[0] == '"') {
                if (!Quoted(l, i, v.name, line)) return false;
            } else {
                return Fail(line, "expected a key in brackets or a value name");
            }
            while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
            if (i >= l.size() || l[i] != '=') return Fail(line, "expected = after the value name");
            ++i;
            while (i < l.size() && (l[i] == ' ' || l[i] == '\t')) ++i;
            std::string data = l.substr(i);
            if (!data.empty() && data[0] == '"') {
                std::string s;
                std::size_t k = 0;
                if (!Quoted(data, k, s, line)) return false;
                if (data.find_first_not_of(" \t", k) != std::string::npos)
                    return Fail(line, "text after the string value");
                v.type = 1;
                v.data.assign(s.begin(), s.end());
                v.data.push_back(0);
            } else if (data.rfind("dword:", 0) == 0) {
                std::string h = data.substr(6);
                while (!h.empty() && (h.back() == ' ' || h.back() == '\t')) h.pop_back();
                if (h.empty() || h.size() > 8) return Fail(line, "bad dword value");
                std::uint32_t n = 0;
                for (char c : h) {
                    int d = HexDigit(c);
                    if (d < 0) return Fail(line, "bad dword value");
                    n = n * 16 + unsigned(d);
                }
                v.type = 4;
                for (int k = 0; k < 4; ++k) v.data.push_back(BYTE(n >> (8 * k)));
            } else if (data.rfind("hex", 0) == 0) {
                std::size_t k = 3;
                v.type = 3;
                if (k < data.size() && data[k] == '(') {
                    std::size_t close = data.find(')', k);
                    if (close == std::string::npos || close == k + 1) return Fail(line, "bad hex type");
                    std::uint32_t t = 0;
                    for (std::size_t q = k + 1; q < close; ++q) {
                        int d = HexDigit(data[q]);
                        if (d < 0 || close - k > 9) return Fail(line, "bad hex type");
                        t = t * 16 + unsigned(d);
                    }
                    v.type = t;
                    k = close + 1;
                }
                if (k >= data.size() || data[k] != ':') return Fail(line, "expected : after hex");
                if (!HexList(data.substr(k + 1), v.data, line)) return false;
            } else {
                return Fail(line, "unknown value data");
            }
            if (RegValue* old = current->FindValue(v.name)) *old = std::move(v);
            else current->values.push_back(std::move(v));
        }
        return true;
    }
};

void Escaped(std::string& out, const std::string& s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

bool PrintableString(const std::vector<BYTE>& d) {
    if (d.empty() || d.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < d.size(); ++i)
        if (d[i] < 0x20) return false;  // NULs, line ends and other controls go as hex
    return true;
}

void HexData(std::string& out, std::size_t prefixLen, const std::vector<BYTE>& d) {
    std::size_t col = prefixLen;
    char buf[4];
    for (std::size_t i = 0; i < d.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", d[i]);
        out += buf;
        col += 2;
        if (i + 1 < d.size()) {
            out += ',';
            ++col;
            if (col > 76) {
                out += "\\\r\n  ";
                col = 2;
            }
        }
    }
}

void WriteKey(std::string& out, const RegKey& k, const std::string& path) {
    out += "[" + path + "]\r\n";
    for (auto& v : k.values) {
        std::size_t start = out.size();
        if (v.name.empty()) out += "@";
        else Escaped(out, v.name);
        out += "=";
        if (v.type == 1 && PrintableString(v.data)) {
            Escaped(out, std::string(v.data.begin(), v.data.end() - 1));
        } else if (v.type == 4 && v.data.size() == 4) {
            char buf[16];
            std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (std::uint32_t(v.data[3]) << 24);
            std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(n));
            out += buf;
        } else {
            if (v.type == 3) out += "hex:";
            else {
                char buf[24];
                std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(v.type));
                out += buf;
            }
            HexData(out, out.size() - start, v.data);
        }
        out += "\r\n";
    }
    out += "\r\n";
    for (auto& s : k.subKeys) WriteKey(out, s, path + "\\" + s.name);
}

}  // namespace

bool ParseRegFile(const std::string& text, const std::string& rootName, const std::string& fileName,
                  RegKey& root, std::string& error) {
    Parser p{text, rootName, fileName, error};
    if (text.find('\0') != std::string::npos) {
        std::size_t at = text.find('\0');
        int line = 1;
        for (std::size_t i = 0; i < at; ++i) line += text[i] == '\n';
        error = fileName + ", line " + std::to_string(line) + ": a NUL byte (not a REGEDIT4 text file)";
        return false;
    }
    bool ok = p.Run(root);
    if (!ok) root = RegKey{};
    root.name = rootName;
    return ok;
}

std::string FormatRegFile(const RegKey& root, const std::string& rootName) {
    std::string out = "REGEDIT4\r\n\r\n";
    WriteKey(out, root, rootName);
    return out;
}

}  // namespace platform::host
