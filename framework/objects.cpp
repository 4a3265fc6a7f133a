#include "framework/objects.h"

#include <cctype>
#include <cstdint>
#include <map>

#include "platform/casefold.h"
#include "platform/types.h"

// ---------------------------------------------------------------------------------------
// Exceptions and formatting

void Abort() { throw EAbort(); }

namespace {

std::string ArgAsString(const FormatArg& a) {
    if (auto s = std::get_if<std::string>(&a)) return *s;
    return std::to_string(std::get<long long>(a));
}

long long ArgAsInt(const FormatArg& a, const std::string& fmt) {
    if (auto i = std::get_if<long long>(&a)) return *i;
    throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}

}  // namespace

std::string Format(const std::string& fmt, std::initializer_list<FormatArg> args) {
    return Format(fmt, std::vector<FormatArg>(args));
}

std::string Format(const std::string& fmt, const std::vector<FormatArg>& args) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool left = false;
        if (j < fmt.size() && fmt[j] == '-') {
            left = true;
            ++j;
        }
        std::size_t width = 0;
        while (j < fmt.size() && std::isdigit((unsigned char)fmt[j])) width = width * 10 + std::size_t(fmt[j++] - '0');
        if (j >= fmt.size()) throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
        char conv = char(std::tolower((unsigned char)fmt[j]));
        if (next >= args.size()) throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
        const FormatArg& a = args[next++];
        std::string piece;
        switch (conv) {
            case 's': piece = ArgAsString(a); break;
            case 'd': piece = std::to_string(ArgAsInt(a, fmt)); break;
            case 'u': piece = std::to_string((unsigned long long)(std::uint32_t)ArgAsInt(a, fmt)); break;
            case 'x': {
                static const char* digits = "0123456789ABCDEF";
                long long n = ArgAsInt(a, fmt);
                // A negative 32-bit value prints as its 32-bit pattern, as %u does.
                unsigned long long v = (n < 0 && n >= INT32_MIN) ? (unsigned long long)(std::uint32_t)n
                                                                : (unsigned long long)n;
                do {
                    piece.insert(piece.begin(), digits[v & 15]);
                    v >>= 4;
                } while (v);
                break;
            }
            default: throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
        }
        if (piece.size() < width) {
            std::string pad(width - piece.size(), (conv == 's' || left) ? ' ' : ' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
        i = j;
    }
    return out;
}

std::string IntToStr(long long v) { return std::to_string(v); }

bool TryStrToInt(const std::string& s, long long& value) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        neg = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return false;
    unsigned long long v = 0;
    for (; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        unsigned d;
        if (std::isdigit(c))
            d = c - '0';
        else if (hex && std::isxdigit(c))
            d = unsigned(std::tolower(c) - 'a' + 10);
        else
            return false;
        v = v * (hex ? 16 : 10) + d;
        if (hex ? v > 0xFFFFFFFFull : v > 0x80000000ull) return false;
    }
    long long r = hex ? (long long)(std::int32_t)(std::uint32_t)v : (long long)v;
    if (!hex && !neg && v > 0x7FFFFFFFull) return false;
    value = neg ? -r : r;
    return true;
}

long long StrToInt(const std::string& s) {
    long long v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') ++b;
    while (e > b && (unsigned char)s[e - 1] <= ' ') --e;
    return s.substr(b, e - b);
}

void RaiseLastInOutError() {
    const platform::DWORD code = platform::GetLastError();
    throw EInOutError(Format("I/O error %d", {(long long)code}), code);
}

std::string UpperCase(const std::string& s) { return platform::fold::AsciiUpperCase(s); }

std::string LowerCase(const std::string& s) { return platform::fold::AsciiLowerCase(s); }

bool SameText(const std::string& a, const std::string& b) { return platform::fold::EqualAscii(a, b); }

// ---------------------------------------------------------------------------------------
// Class metadata

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c; c = c->parent)
        if (c == other) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(const std::string& propName) const {
    for (const TClassInfo* c = this; c; c = c->parent)
        for (const TPropInfo& p : c->props)
            if (SameText(p.name, propName)) return &p;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const std::string& methodName) const {
    for (const TClassInfo* c = this; c; c = c->parent)
        for (const TMethodInfo& m : c->methods)
            if (SameText(m.name, methodName)) return &m;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const std::string& fieldName) const {
    for (const TClassInfo* c = this; c; c = c->parent)
        for (const TFieldInfo& f : c->fields)
            if (SameText(f.name, fieldName)) return &f;
    return nullptr;
}

TPropInfo& TClassInfo::AddProperty(const char* propName, TPropKind kind) {
    TPropInfo& p = props.emplace_back();
    p.name = propName;
    p.kind = kind;
    return p;
}

TPropInfo& TClassInfo::AddProperty(const char* propName, TPropKind kind, std::initializer_list<const char*> names) {
    TPropInfo& p = AddProperty(propName, kind);
    p.enumNames.assign(names.begin(), names.end());
    return p;
}

TPropInfo& TClassInfo::AddProperty(const char* propName, TPropKind kind, const std::vector<std::string>& names) {
    TPropInfo& p = AddProperty(propName, kind);
    p.enumNames = names;
    return p;
}

TMethodInfo& TClassInfo::AddMethod(const char* methodName, std::type_index signature) {
    TMethodInfo& m = methods.emplace_back();
    m.name = methodName;
    m.signature = signature;
    return m;
}

TFieldInfo& TClassInfo::AddField(const char* fieldName) {
    TFieldInfo& f = fields.emplace_back();
    f.name = fieldName;
    return f;
}

namespace {
std::map<std::string, const TClassInfo*>& ClassRegistry() {
    static std::map<std::string, const TClassInfo*> registry;
    return registry;
}
}  // namespace

void RegisterClass(const TClassInfo* info) { ClassRegistry()[UpperCase(info->name)] = info; }

void RegisterClasses(std::initializer_list<const TClassInfo*> infos) {
    for (auto* i : infos) RegisterClass(i);
}

const TClassInfo* FindClass(const std::string& name) {
    auto it = ClassRegistry().find(UpperCase(name));
    return it == ClassRegistry().end() ? nullptr : it->second;
}

std::vector<const TClassInfo*> RegisteredClasses() {
    std::vector<const TClassInfo*> all;
    for (const auto& [key, info] : ClassRegistry()) all.push_back(info);
    return all;
}

const TClassInfo& TObject::StaticClass() {
    static const TClassInfo info = [] {
        TClassInfo i;
        i.name = "TObject";
        return i;
    }();
    return info;
}
