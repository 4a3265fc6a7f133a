// The shortcut file format, written and read byte for byte (little-endian).
#include "platform/host/lnkformat.h"

#include <cctype>
#include <cstring>

#include "platform/byteorder.h"
#include "platform/casefold.h"

namespace platform::host {

namespace {

// LinkFlags bits.
constexpr DWORD HasLinkTargetIDList = 0x1;
constexpr DWORD HasLinkInfo = 0x2;
constexpr DWORD HasName = 0x4;
constexpr DWORD HasRelativePath = 0x8;
constexpr DWORD HasWorkingDir = 0x10;
constexpr DWORD HasArguments = 0x20;
constexpr DWORD HasIconLocation = 0x40;
constexpr DWORD IsUnicode = 0x80;

constexpr DWORD HeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046} as stored.
constexpr BYTE LinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr DWORD DriveFixed = 3;
constexpr DWORD VolumeIDAndLocalBasePath = 0x1;

class Writer {
public:
    std::vector<BYTE> bytes;
    void U8(BYTE v) { bytes.push_back(v); }
    void U16(WORD v) { le::Append16(bytes, v); }
    void U32(DWORD v) { le::Append32(bytes, v); }
    void Raw(const void* p, std::size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    void Ansi(const std::string& s) {
        Raw(s.data(), s.size());
        U8(0);
    }
    void StringData(const std::string& s) {
        std::u16string w = AnsiToUtf16(s);
        U16(WORD(w.size()));
        for (char16_t c : w) U16(WORD(c));
    }
    void Patch32(std::size_t at, DWORD v) { le::Put32(&bytes[at], v); }
};

class Reader {
public:
    Reader(const std::vector<BYTE>& b, std::string& error) : b_(b), error_(error) {}
    std::size_t pos = 0;
    bool Need(std::size_t at, std::size_t n, const char* what) {
        if (at > b_.size() || n > b_.size() - at) {
            error_ = std::string("truncated ") + what;
            return false;
        }
        return true;
    }
    DWORD U32At(std::size_t at) const { return le::Get32(&b_[at]); }
    WORD U16At(std::size_t at) const { return le::Get16(&b_[at]); }
    // A zero-terminated ANSI string at `at` that must end before `limit`.
    bool AnsiAt(std::size_t at, std::size_t limit, std::string& out, const char* what) {
        if (at >= limit) {
            error_ = std::string(what) + " outside the link information";
            return false;
        }
        std::size_t end = at;
        while (end < limit && b_[end] != 0) ++end;
        if (end == limit) {
            error_ = std::string(what) + " is not terminated";
            return false;
        }
        out.assign(reinterpret_cast<const char*>(&b_[at]), end - at);
        return true;
    }
    bool WideAt(std::size_t at, std::size_t limit, std::string& out, const char* what) {
        std::u16string w;
        for (std::size_t p = at;; p += 2) {
            if (p + 2 > limit) {
                error_ = std::string(what) + " is not terminated";
                return false;
            }
            char16_t c = char16_t(U16At(p));
            if (c == 0) break;
            w.push_back(c);
        }
        out = Utf16ToAnsi(w);
        return true;
    }
    bool StringData(bool unicode, std::string& out, const char* what) {
        if (!Need(pos, 2, what)) return false;
        std::size_t count = U16At(pos);
        pos += 2;
        std::size_t size = unicode ? count * 2 : count;
        if (!Need(pos, size, what)) return false;
        if (unicode) {
            std::u16string w;
            for (std::size_t i = 0; i < count; ++i) w.push_back(char16_t(U16At(pos + 2 * i)));
            out = Utf16ToAnsi(w);
        } else {
            out.assign(reinterpret_cast<const char*>(&b_[pos]), count);
        }
        pos += size;
        return true;
    }
    const std::vector<BYTE>& b_;
    std::string& error_;
};

void PutTime(Writer& w, const FileTime& t) {
    w.U32(t.low);
    w.U32(t.high);
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

bool IsDriveAbsolute(const std::string& p) {
    return p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
           (p[2] == '\\' || p[2] == '/');
}

}  // namespace

std::string RelativeLinkPath(const std::string& linkFolder, const std::string& target) {
    if (!IsDriveAbsolute(linkFolder) || !IsDriveAbsolute(target)) return {};
    // Path components compare as the host's file names do.
    if (!fold::EqualCp1252(linkFolder.substr(0, 2), target.substr(0, 2))) return {};
    std::vector<std::string> from = Components(linkFolder.substr(2));
    std::vector<std::string> to = Components(target.substr(2));
    if (to.empty()) return {};
    std::size_t common = 0;
    while (common < from.size() && common + 1 < to.size() &&
           fold::EqualCp1252(from[common], to[common]))
        ++common;
    std::string rel;
    if (common == from.size()) rel = ".\\";
    for (std::size_t i = common; i < from.size(); ++i) rel += "..\\";
    for (std::size_t i = common; i < to.size(); ++i) {
        rel += to[i];
        if (i + 1 < to.size()) rel += '\\';
    }
    return rel;
}

std::vector<BYTE> FormatLink(const LinkData& link) {
    DWORD flags = IsUnicode;
    if (!link.path.empty()) flags |= HasLinkInfo;
    if (!link.description.empty()) flags |= HasName;
    if (!link.relativePath.empty()) flags |= HasRelativePath;
    if (!link.workingDir.empty()) flags |= HasWorkingDir;
    if (!link.arguments.empty()) flags |= HasArguments;
    if (!link.iconPath.empty()) flags |= HasIconLocation;

    Writer w;
    w.U32(HeaderSize);
    w.Raw(LinkClsid, sizeof LinkClsid);
    w.U32(flags);
    w.U32(link.fileAttributes);
    PutTime(w, link.creationTime);
    PutTime(w, link.accessTime);
    PutTime(w, link.writeTime);
    w.U32(link.fileSize);
    w.U32(DWORD(link.iconIndex));
    w.U32(DWORD(link.showCommand));
    w.U16(link.hotKey);
    w.U16(0);
    w.U32(0);
    w.U32(0);

    if (flags & HasLinkInfo) {
        std::size_t start = w.bytes.size();
        constexpr DWORD infoHeader = 0x1C;
        constexpr DWORD volumeSize = 0x10 + 1;  // fixed part plus an empty label
        DWORD baseOffset = infoHeader + volumeSize;
        DWORD suffixOffset = baseOffset + DWORD(link.path.size()) + 1;
        DWORD total = suffixOffset + 1;
        w.U32(total);
        w.U32(infoHeader);
        w.U32(VolumeIDAndLocalBasePath);
        w.U32(infoHeader);  // VolumeID follows the header
        w.U32(baseOffset);
        w.U32(0);  // no network location
        w.U32(suffixOffset);
        // VolumeID
        w.U32(volumeSize);
        w.U32(DriveFixed);
        w.U32(0);     // serial number
        w.U32(0x10);  // label offset
        w.U8(0);      // empty label
        w.Ansi(link.path);
        w.U8(0);  // empty common path suffix
        if (w.bytes.size() - start != total) w.Patch32(start, DWORD(w.bytes.size() - start));
    }
    if (flags & HasName) w.StringData(link.description);
    if (flags & HasRelativePath) w.StringData(link.relativePath);
    if (flags & HasWorkingDir) w.StringData(link.workingDir);
    if (flags & HasArguments) w.StringData(link.arguments);
    if (flags & HasIconLocation) w.StringData(link.iconPath);
    w.U32(0);  // terminal block of the extra data
    return std::move(w.bytes);
}

bool ParseLink(const std::vector<BYTE>& bytes, LinkData& link, std::string& error) {
    link = LinkData{};
    Reader r(bytes, error);
    if (!r.Need(0, HeaderSize, "header")) return false;
    if (r.U32At(0) != HeaderSize) {
        error = "bad header size";
        return false;
    }
    if (std::memcmp(&bytes[4], LinkClsid, sizeof LinkClsid) != 0) {
        error = "not a shell link (class identifier)";
        return false;
    }
    DWORD flags = r.U32At(20);
    link.fileAttributes = r.U32At(24);
    link.creationTime = FileTime{r.U32At(28), r.U32At(32)};
    link.accessTime = FileTime{r.U32At(36), r.U32At(40)};
    link.writeTime = FileTime{r.U32At(44), r.U32At(48)};
    link.fileSize = r.U32At(52);
    link.iconIndex = int(LONG(r.U32At(56)));
    link.showCommand = int(r.U32At(60));
    link.hotKey = r.U16At(64);
    r.pos = HeaderSize;

    if (flags & HasLinkTargetIDList) {
        if (!r.Need(r.pos, 2, "item id list")) return false;
        std::size_t size = r.U16At(r.pos);
        r.pos += 2;
        if (!r.Need(r.pos, size, "item id list")) return false;
        r.pos += size;
    }
    if (flags & HasLinkInfo) {
        std::size_t start = r.pos;
        if (!r.Need(start, 0x1C, "link information")) return false;
        std::size_t size = r.U32At(start);
        std::size_t header = r.U32At(start + 4);
        if (size < 0x1C || header < 0x1C || header > size) {
            error = "bad link information size";
            return false;
        }
        if (!r.Need(start, size, "link information")) return false;
        std::size_t limit = start + size;
        DWORD infoFlags = r.U32At(start + 8);
        if (infoFlags & VolumeIDAndLocalBasePath) {
            std::string base, suffix;
            std::size_t baseOffset = r.U32At(start + 16);
            std::size_t suffixOffset = r.U32At(start + 24);
            bool wide = false;
            if (header >= 0x24) {
                std::size_t wideBase = r.U32At(start + 28);
                std::size_t wideSuffix = r.U32At(start + 32);
                if (wideBase != 0) {
                    if (!r.WideAt(start + wideBase, limit, base, "local base path")) return false;
                    if (wideSuffix != 0 &&
                        !r.WideAt(start + wideSuffix, limit, suffix, "common path suffix"))
                        return false;
                    wide = true;
                }
            }
            if (!wide) {
                if (!r.AnsiAt(start + baseOffset, limit, base, "local base path")) return false;
                if (suffixOffset != 0 &&
                    !r.AnsiAt(start + suffixOffset, limit, suffix, "common path suffix"))
                    return false;
            }
            link.path = base + suffix;
        }
        r.pos = limit;
    }
    bool unicode = flags & IsUnicode;
    if ((flags & HasName) && !r.StringData(unicode, link.description, "description"))
        return false;
    if ((flags & HasRelativePath) && !r.StringData(unicode, link.relativePath, "relative path"))
        return false;
    if ((flags & HasWorkingDir) && !r.StringData(unicode, link.workingDir, "working folder"))
        return false;
    if ((flags & HasArguments) && !r.StringData(unicode, link.arguments, "arguments"))
        return false;
    if ((flags & HasIconLocation) && !r.StringData(unicode, link.iconPath, "icon location"))
        return false;
    return true;
}

}  // namespace platform::host
