#include "framework/formreader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <vector>

#include "framework/resources.h"

// ---------------------------------------------------------------------------------------
// Hooks and identifier tables

namespace {

TChildAddedHook childAddedHook = nullptr;

std::map<std::string, long long>& IntegerIdents() {
    static std::map<std::string, long long> idents = [] {
        std::map<std::string, long long> m;
        const std::pair<const char*, long long> colours[] = {
            {"clBlack", 0x000000},       {"clMaroon", 0x000080},    {"clGreen", 0x008000},
            {"clOlive", 0x008080},       {"clNavy", 0x800000},      {"clPurple", 0x800080},
            {"clTeal", 0x808000},        {"clGray", 0x808080},      {"clSilver", 0xC0C0C0},
            {"clRed", 0x0000FF},         {"clLime", 0x00FF00},      {"clYellow", 0x00FFFF},
            {"clBlue", 0xFF0000},        {"clFuchsia", 0xFF00FF},   {"clAqua", 0xFFFF00},
            {"clWhite", 0xFFFFFF},       {"clNone", 0x1FFFFFFF},    {"clDefault", 0x20000000},
        };
        for (auto& c : colours) m[UpperCase(c.first)] = c.second;
        // System colours: 0x80000000 or'ed with the system colour index.
        const char* system[] = {"clScrollBar",        "clBackground",      "clActiveCaption",
                                "clInactiveCaption",  "clMenu",            "clWindow",
                                "clWindowFrame",      "clMenuText",        "clWindowText",
                                "clCaptionText",      "clActiveBorder",    "clInactiveBorder",
                                "clAppWorkSpace",     "clHighlight",       "clHighlightText",
                                "clBtnFace",          "clBtnShadow",       "clGrayText",
                                "clBtnText",          "clInactiveCaptionText", "clBtnHighlight",
                                "cl3DDkShadow",       "cl3DLight",         "clInfoText",
                                "clInfoBk"};
        const std::pair<const char*, long long> charsets[] = {
            {"ANSI_CHARSET", 0},        {"DEFAULT_CHARSET", 1},   {"SYMBOL_CHARSET", 2},
            {"MAC_CHARSET", 77},        {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
            {"JOHAB_CHARSET", 130},     {"GB2312_CHARSET", 134},  {"CHINESEBIG5_CHARSET", 136},
            {"GREEK_CHARSET", 161},     {"TURKISH_CHARSET", 162}, {"VIETNAMESE_CHARSET", 163},
            {"HEBREW_CHARSET", 177},    {"ARABIC_CHARSET", 178},  {"BALTIC_CHARSET", 186},
            {"RUSSIAN_CHARSET", 204},   {"THAI_CHARSET", 222},    {"EASTEUROPE_CHARSET", 238},
            {"OEM_CHARSET", 255},
        };
        for (auto& c : charsets) m[UpperCase(c.first)] = c.second;
        for (std::size_t i = 0; i < std::size(system); ++i)
            m[UpperCase(system[i])] = (long long)(std::int32_t)(0x80000000u | std::uint32_t(i));
        return m;
    }();
    return idents;
}

}  // namespace

void SetChildAddedHook(TChildAddedHook hook) { childAddedHook = hook; }
TChildAddedHook GetChildAddedHook() { return childAddedHook; }

void RegisterIntegerIdent(const std::string& ident, long long value) { IntegerIdents()[UpperCase(ident)] = value; }

bool IdentToInt(const std::string& ident, long long& value) {
    auto it = IntegerIdents().find(UpperCase(ident));
    if (it == IntegerIdents().end()) return false;
    value = it->second;
    return true;
}

// ---------------------------------------------------------------------------------------
// Lexer

namespace {

constexpr int kMaxNesting = 200;

enum class Tok : std::uint8_t { End, Ident, String, Integer, Float, Binary, Symbol };

struct Token {
    Tok kind = Tok::End;
    int line = 1;
    std::string text;  // identifier, decoded string
    long long integer = 0;
    double real = 0;
    char symbol = 0;
    std::vector<std::uint8_t> bytes;
};

std::string Describe(const Token& t) {
    switch (t.kind) {
        case Tok::End: return "end of text";
        case Tok::Ident: return "'" + t.text + "'";
        case Tok::String: return "a string";
        case Tok::Integer: return "an integer";
        case Tok::Float: return "a number";
        case Tok::Binary: return "binary data";
        case Tok::Symbol: return std::string("'") + t.symbol + "'";
    }
    return "?";
}

class Lexer {
public:
    Lexer(const std::string& text, std::string sourceName) : s_(text), source_(std::move(sourceName)) {
        if (s_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
    }

    [[noreturn]] void Fail(int line, const std::string& msg) const {
        std::string where = source_.empty() ? std::string() : source_ + " ";
        throw EParserError(where + "line " + std::to_string(line) + ": " + msg, source_, line);
    }

    const Token& Peek() {
        if (!havePeek_) {
            peek_ = Scan();
            havePeek_ = true;
        }
        return peek_;
    }
    Token Next() {
        Peek();
        havePeek_ = false;
        return std::move(peek_);
    }

private:
    static bool IdentStart(char c) { return std::isalpha((unsigned char)c) || c == '_'; }
    static bool IdentChar(char c) { return std::isalnum((unsigned char)c) || c == '_'; }
    char At(std::size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    void SkipBlanks() {
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else {
                break;
            }
        }
    }

    Token Scan() {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= s_.size()) return t;
        char c = s_[pos_];
        if (IdentStart(c)) {
            t.kind = Tok::Ident;
            ScanIdent(t.text);
            // Dotted names: Font.Name, Form1.Button1.
            while (At(pos_) == '.' && IdentStart(At(pos_ + 1))) {
                ++pos_;
                t.text += '.';
                ScanIdent(t.text);
            }
            return t;
        }
        if (c == '\'' || c == '#') {
            t.kind = Tok::String;
            ScanString(t.text);
            return t;
        }
        if (std::isdigit((unsigned char)c) || c == '$' ||
            (c == '-' && (std::isdigit((unsigned char)At(pos_ + 1)) || At(pos_ + 1) == '$'))) {
            ScanNumber(t);
            return t;
        }
        if (c == '{') {
            t.kind = Tok::Binary;
            ScanBinary(t.bytes);
            return t;
        }
        if (std::string_view("=:[](),+<>").find(c) != std::string_view::npos) {
            t.kind = Tok::Symbol;
            t.symbol = c;
            ++pos_;
            return t;
        }
        unsigned char u = (unsigned char)c;
        Fail(line_, u >= 32 && u < 127 ? std::string("unexpected character '") + c + "'"
                                      : "unexpected character #" + std::to_string(u));
    }

    void ScanIdent(std::string& out) {
        std::size_t b = pos_;
        while (pos_ < s_.size() && IdentChar(s_[pos_])) ++pos_;
        out.append(s_, b, pos_ - b);
        if (out.size() > 255) Fail(line_, "identifier too long");
    }

    // 'quoted' pieces ('' is a quote) and #code characters, written next to each other.
    void ScanString(std::string& out) {
        for (;;) {
            char c = At(pos_);
            if (c == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r')
                        Fail(line_, "unterminated string; closing ' expected");
                    char d = s_[pos_++];
                    if (d == '\'') {
                        if (At(pos_) == '\'') {
                            out += '\'';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    out += d;
                }
            } else if (c == '#') {
                ++pos_;
                long long code = 0;
                bool hex = At(pos_) == '$';
                if (hex) ++pos_;
                std::size_t b = pos_;
                while (pos_ < s_.size() && (hex ? std::isxdigit((unsigned char)s_[pos_]) : std::isdigit((unsigned char)s_[pos_]))) {
                    int d = std::isdigit((unsigned char)s_[pos_]) ? s_[pos_] - '0'
                                                                  : std::tolower((unsigned char)s_[pos_]) - 'a' + 10;
                    code = code * (hex ? 16 : 10) + d;
                    if (code > 0xFFFF) Fail(line_, "character code too large");
                    ++pos_;
                }
                if (pos_ == b) Fail(line_, "character code expected after '#'");
                if (code > 255) Fail(line_, "character code " + std::to_string(code) + " is not an ANSI character");
                out += char(code);
            } else {
                return;
            }
        }
    }

    void ScanNumber(Token& t) {
        std::size_t start = pos_;
        bool neg = false;
        if (s_[pos_] == '-') {
            neg = true;
            ++pos_;
        }
        if (At(pos_) == '$') {
            ++pos_;
            std::size_t b = pos_;
            unsigned long long v = 0;
            while (pos_ < s_.size() && std::isxdigit((unsigned char)s_[pos_])) {
                unsigned char c = (unsigned char)s_[pos_++];
                v = v * 16 + unsigned(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
                if (pos_ - b > 16) Fail(line_, "hexadecimal number too long");
            }
            if (pos_ == b) Fail(line_, "hexadecimal digits expected after '$'");
            if (IdentChar(At(pos_))) Fail(line_, "invalid number");
            // Up to eight digits are a 32-bit pattern ($FFFFFFFF is -1), as written by
            // 32-bit tools.
            long long r = pos_ - b <= 8 ? (long long)(std::int32_t)(std::uint32_t)v : (long long)v;
            t.kind = Tok::Integer;
            t.integer = neg ? -r : r;
            return;
        }
        while (std::isdigit((unsigned char)At(pos_))) ++pos_;
        bool real = false;
        if (At(pos_) == '.' && std::isdigit((unsigned char)At(pos_ + 1))) {
            real = true;
            ++pos_;
            while (std::isdigit((unsigned char)At(pos_))) ++pos_;
        }
        if ((At(pos_) == 'e' || At(pos_) == 'E') &&
            (std::isdigit((unsigned char)At(pos_ + 1)) ||
             ((At(pos_ + 1) == '+' || At(pos_ + 1) == '-') && std::isdigit((unsigned char)At(pos_ + 2))))) {
            real = true;
            pos_ += 2;
            while (std::isdigit((unsigned char)At(pos_))) ++pos_;
        }
        if (IdentChar(At(pos_))) Fail(line_, "invalid number");
        std::string text = s_.substr(start, pos_ - start);
        if (real) {
            t.kind = Tok::Float;
            t.real = std::strtod(text.c_str(), nullptr);
            return;
        }
        errno = 0;
        long long v = std::strtoll(text.c_str(), nullptr, 10);
        if (errno == ERANGE) Fail(line_, "integer " + text + " out of range");
        t.kind = Tok::Integer;
        t.integer = v;
    }

    // { hex digits }, possibly over several lines.
    void ScanBinary(std::vector<std::uint8_t>& out) {
        int openLine = line_;
        ++pos_;
        int half = -1;
        for (;;) {
            if (pos_ >= s_.size()) Fail(openLine, "binary data not closed; '}' expected");
            char c = s_[pos_++];
            if (c == '}') break;
            if (c == '\n') {
                ++line_;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r') continue;
            if (!std::isxdigit((unsigned char)c)) Fail(line_, "hexadecimal digit expected in binary data");
            int d = std::isdigit((unsigned char)c) ? c - '0' : std::tolower((unsigned char)c) - 'a' + 10;
            if (half < 0) {
                half = d;
            } else {
                out.push_back(std::uint8_t(half * 16 + d));
                half = -1;
            }
        }
        if (half >= 0) Fail(line_, "binary data has an odd number of hexadecimal digits");
    }

    const std::string& s_;
    std::string source_;
    std::size_t pos_ = 0;
    int line_ = 1;
    Token peek_;
    bool havePeek_ = false;
};

// ---------------------------------------------------------------------------------------
// Values

struct Value {
    enum class Kind : std::uint8_t { Integer, Float, String, Ident, Set, List, Binary };
    Kind kind = Kind::Integer;
    int line = 0;
    long long integer = 0;
    double real = 0;
    std::string text;                 // String, Ident
    std::vector<std::string> idents;  // Set
    std::vector<Value> items;         // List
    std::vector<std::uint8_t> bytes;  // Binary
};

const char* KindName(Value::Kind k) {
    switch (k) {
        case Value::Kind::Integer: return "an integer";
        case Value::Kind::Float: return "a number";
        case Value::Kind::String: return "a string";
        case Value::Kind::Ident: return "an identifier";
        case Value::Kind::Set: return "a set";
        case Value::Kind::List: return "a list";
        case Value::Kind::Binary: return "binary data";
    }
    return "?";
}

const char* ExpectedFor(TPropKind k) {
    switch (k) {
        case TPropKind::Integer: return "an integer";
        case TPropKind::Boolean: return "True or False";
        case TPropKind::Enum: return "an enumeration identifier";
        case TPropKind::Set: return "a set [a, b]";
        case TPropKind::String: return "a string";
        case TPropKind::Float: return "a number";
        case TPropKind::Object: return "sub-properties";
        case TPropKind::Component: return "a component name";
        case TPropKind::Event: return "a method name";
        case TPropKind::Binary: return "binary data { ... }";
    }
    return "?";
}

std::string Joined(const std::vector<std::string>& names) {
    std::string r;
    for (const auto& n : names) r += (r.empty() ? "" : ", ") + n;
    return r;
}

// ---------------------------------------------------------------------------------------
// Reader

class Reader {
public:
    Reader(TComponent* root, const std::string& text, const std::string& sourceName)
        : root_(root), lex_(text, sourceName) {}

    void Run() {
        try {
            root_->BeginLoading();
            loading_.push_back(root_);
            Token t = lex_.Next();
            if (!IsObjectKeyword(t)) Expected(t, "'object'");
            ReadObject(root_, nullptr, t, 0);
            Token rest = lex_.Next();
            if (rest.kind != Tok::End) Expected(rest, "end of text after the root object's 'end'");
            ResolveAndBind();
            // Every component learns once that reading is over, in creation order.
            for (std::size_t i = 0; i < loading_.size(); ++i) {
                TComponent* c = loading_[i];
                c->Loaded();
                if (c->IsLoading()) c->TComponent::Loaded();
            }
        } catch (...) {
            Undo();
            throw;
        }
    }

private:
    struct PendingRef {
        TObject* obj;
        const TPropInfo* prop;
        std::string target;
        std::string where;
        int line;
        TComponent* resolved = nullptr;
    };
    struct PendingEvent {
        TObject* obj;
        const TPropInfo* prop;
        std::string method;
        std::string where;
        int line;
        std::any handler;
    };

    [[noreturn]] void Fail(int line, const std::string& msg) { lex_.Fail(line, msg); }
    [[noreturn]] void Expected(const Token& t, const std::string& what) {
        Fail(t.line, what + " expected but " + Describe(t) + " found");
    }

    static bool IsKeyword(const Token& t, const char* word) { return t.kind == Tok::Ident && SameText(t.text, word); }
    static bool IsObjectKeyword(const Token& t) {
        return IsKeyword(t, "object") || IsKeyword(t, "inherited") || IsKeyword(t, "inline");
    }
    static bool IsPlainIdent(const Token& t) { return t.kind == Tok::Ident && t.text.find('.') == std::string::npos; }

    // `keyword` has been read. `target` is the root for the outermost object, else null.
    void ReadObject(TComponent* target, TComponent* parent, const Token& keyword, int depth) {
        if (depth > kMaxNesting) Fail(keyword.line, "objects nested too deeply");
        Token first = lex_.Next();
        if (!IsPlainIdent(first)) Expected(first, "object name or class name");
        std::string name, className = first.text;
        if (lex_.Peek().kind == Tok::Symbol && lex_.Peek().symbol == ':') {
            lex_.Next();
            Token cls = lex_.Next();
            if (!IsPlainIdent(cls)) Expected(cls, "class name");
            name = first.text;
            className = cls.text;
        }
        // An optional creation index ([2]) written for reordered inherited objects.
        if (lex_.Peek().kind == Tok::Symbol && lex_.Peek().symbol == '[') {
            lex_.Next();
            Token idx = lex_.Next();
            if (idx.kind != Tok::Integer) Expected(idx, "creation index");
            Token close = lex_.Next();
            if (close.kind != Tok::Symbol || close.symbol != ']') Expected(close, "']'");
        }

        TComponent* obj = target;
        if (obj) {
            CheckRootClass(className, keyword.line);
            if (!name.empty() && name != root_->Name()) Guard(keyword.line, "setting the name " + name, [&] { root_->SetName(name); });
        } else {
            obj = CreateChild(name, className, parent, keyword);
        }
        std::string label = obj->Name().empty() ? obj->ClassName() : obj->Name();

        for (;;) {
            Token t = lex_.Next();
            if (t.kind == Tok::End)
                Fail(t.line, "'end' expected for object " + label + " (opened on line " +
                                 std::to_string(keyword.line) + ") but end of text found");
            if (IsKeyword(t, "end")) return;
            if (IsObjectKeyword(t)) {
                ReadObject(nullptr, obj, t, depth + 1);
                continue;
            }
            if (t.kind != Tok::Ident) Expected(t, "property name, 'object' or 'end'");
            Token eq = lex_.Next();
            if (eq.kind != Tok::Symbol || eq.symbol != '=') Expected(eq, "'=' after " + t.text);
            Value v = ReadValue(0);
            Assign(obj, label, t.text, v, t.line);
        }
    }

    void CheckRootClass(const std::string& className, int line) {
        for (const TClassInfo* c = &root_->ClassType(); c; c = c->parent)
            if (SameText(c->name, className)) return;
        Fail(line, "the root object is a " + root_->ClassName() + ", not a " + className);
    }

    TComponent* CreateChild(const std::string& name, const std::string& className, TComponent* parent,
                            const Token& keyword) {
        int line = keyword.line;
        // `inherited` objects may already exist (made by the root's own constructor or
        // an ancestor's description): read into them.
        if (!name.empty() && !IsKeyword(keyword, "object")) {
            if (TComponent* existing = root_->FindComponent(name)) {
                const TClassInfo* ci = FindClass(className);
                if (ci && !existing->ClassType().InheritsFrom(ci))
                    Fail(line, "component " + name + " is a " + existing->ClassName() + ", not a " + className);
                if (!existing->IsLoading()) {
                    existing->BeginLoading();
                    loading_.push_back(existing);
                }
                return existing;
            }
        }
        const TClassInfo* ci = FindClass(className);
        if (!ci) Fail(line, "class " + className + " not found");
        if (!ci->create) Fail(line, "class " + className + " cannot be created from a form description");
        TComponent* c = nullptr;
        Guard(line, "creating a " + className, [&] { c = ci->create(root_); });
        if (!c) Fail(line, "class " + className + " could not be created");
        created_.push_back(c);
        c->BeginLoading();
        loading_.push_back(c);
        if (!name.empty()) {
            if (!IsValidIdent(name)) Fail(line, "'" + name + "' is not a valid component name");
            if (SameText(name, root_->Name())) Fail(line, "a component named " + name + " already exists");
            Guard(line, "naming the " + className, [&] { c->SetName(name); });
            if (const TFieldInfo* f = root_->ClassType().FindField(name)) {
                if (!f->set(root_, c))
                    Fail(line, "field " + name + " of " + root_->ClassName() + " cannot hold a " + className);
                boundFields_.push_back(f);
            }
        }
        if (childAddedHook) Guard(line, "adding " + (name.empty() ? className : name), [&] { childAddedHook(parent ? parent : root_, c); });
        return c;
    }

    Value ReadValue(int depth) {
        if (depth > kMaxNesting) Fail(lex_.Peek().line, "values nested too deeply");
        Token t = lex_.Next();
        Value v;
        v.line = t.line;
        switch (t.kind) {
            case Tok::Integer:
                v.kind = Value::Kind::Integer;
                v.integer = t.integer;
                return v;
            case Tok::Float:
                v.kind = Value::Kind::Float;
                v.real = t.real;
                return v;
            case Tok::Ident:
                v.kind = Value::Kind::Ident;
                v.text = t.text;
                return v;
            case Tok::Binary:
                v.kind = Value::Kind::Binary;
                v.bytes = std::move(t.bytes);
                return v;
            case Tok::String:
                v.kind = Value::Kind::String;
                v.text = std::move(t.text);
                // 'a' + 'b', also over several lines.
                while (lex_.Peek().kind == Tok::Symbol && lex_.Peek().symbol == '+') {
                    lex_.Next();
                    Token more = lex_.Next();
                    if (more.kind != Tok::String) Expected(more, "string after '+'");
                    v.text += more.text;
                }
                return v;
            case Tok::Symbol:
                if (t.symbol == '[') return ReadSet(v);
                if (t.symbol == '(') {
                    v.kind = Value::Kind::List;
                    for (;;) {
                        const Token& p = lex_.Peek();
                        if (p.kind == Tok::Symbol && p.symbol == ')') {
                            lex_.Next();
                            return v;
                        }
                        if (p.kind == Tok::End) Expected(p, "')' closing the list opened on line " + std::to_string(v.line) + ",");
                        v.items.push_back(ReadValue(depth + 1));
                    }
                }
                if (t.symbol == '<')
                    Fail(t.line, "item collections (< ... >) are not supported in form descriptions");
                break;
            case Tok::End: break;
        }
        Expected(t, "property value");
    }

    Value ReadSet(Value& v) {
        v.kind = Value::Kind::Set;
        Token t = lex_.Next();
        if (t.kind == Tok::Symbol && t.symbol == ']') return v;
        for (;;) {
            if (!IsPlainIdent(t)) Expected(t, "set element");
            v.idents.push_back(t.text);
            Token sep = lex_.Next();
            if (sep.kind == Tok::Symbol && sep.symbol == ']') return v;
            if (sep.kind != Tok::Symbol || sep.symbol != ',') Expected(sep, "',' or ']'");
            t = lex_.Next();
        }
    }

    // Runs a setter or other outside code, turning its failure into a reader error.
    template <typename F>
    void Guard(int line, const std::string& what, F&& f) {
        try {
            f();
        } catch (const EParserError&) {
            throw;
        } catch (const std::exception& e) {
            Fail(line, "error " + what + ": " + e.what());
        }
    }

    [[noreturn]] void WrongKind(const std::string& where, const TPropInfo& p, const Value& v) {
        Fail(v.line, "wrong kind of value for " + where + ": " + ExpectedFor(p.kind) + " expected but " +
                         KindName(v.kind) + " found");
    }

    void FillStrings(TStrings* strings, const std::string& where, const Value& v) {
        if (v.kind != Value::Kind::List) Fail(v.line, "wrong kind of value for " + where + ": a list ( 'a' 'b' ) expected but " + KindName(v.kind) + " found");
        for (const Value& item : v.items)
            if (item.kind != Value::Kind::String)
                Fail(item.line, "wrong kind of value in " + where + ": a string expected but " + KindName(item.kind) + " found");
        Guard(v.line, "setting " + where, [&] {
            strings->BeginUpdate();
            try {
                strings->Clear();
                for (const Value& item : v.items) strings->Add(item.text);
            } catch (...) {
                strings->EndUpdate();
                throw;
            }
            strings->EndUpdate();
        });
    }

    void Assign(TObject* obj, const std::string& label, const std::string& path, const Value& v, int line) {
        std::string where = label;
        std::size_t start = 0;
        for (;;) {
            std::size_t dot = path.find('.', start);
            std::string part = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
            where += "." + part;
            bool last = dot == std::string::npos;
            if (last) {
                if (auto* strings = dynamic_cast<TStrings*>(obj); strings && SameText(part, "Strings"))
                    return FillStrings(strings, where, v);
            }
            const TPropInfo* p = obj->ClassType().FindProperty(part);
            if (!p) Fail(line, "property " + part + " does not exist in " + obj->ClassName() + " (" + where + ")");
            if (!last) {
                if (p->kind != TPropKind::Object || !p->getObject)
                    Fail(line, where + " is not an object property; '" + path + "' cannot be set");
                TObject* sub = nullptr;
                Guard(line, "reading " + where, [&] { sub = p->getObject(obj); });
                if (!sub) Fail(line, where + " has no object");
                obj = sub;
                start = dot + 1;
                continue;
            }
            return SetProperty(obj, *p, where, v);
        }
    }

    void SetProperty(TObject* obj, const TPropInfo& p, const std::string& where, const Value& v) {
        auto setInt = [&](long long x) {
            if (!p.setInt) Fail(v.line, where + " is read-only");
            Guard(v.line, "setting " + where, [&] { p.setInt(obj, x); });
        };
        switch (p.kind) {
            case TPropKind::Integer: {
                long long x = v.integer;
                if (v.kind == Value::Kind::Ident) {
                    if (!IdentToInt(v.text, x)) Fail(v.line, "wrong kind of value for " + where + ": an integer expected but identifier '" + v.text + "' found");
                } else if (v.kind != Value::Kind::Integer) {
                    WrongKind(where, p, v);
                }
                return setInt(x);
            }
            case TPropKind::Boolean:
                if (v.kind == Value::Kind::Ident && SameText(v.text, "True")) return setInt(1);
                if (v.kind == Value::Kind::Ident && SameText(v.text, "False")) return setInt(0);
                WrongKind(where, p, v);
            case TPropKind::Enum: {
                if (v.kind != Value::Kind::Ident) WrongKind(where, p, v);
                for (std::size_t i = 0; i < p.enumNames.size(); ++i)
                    if (SameText(p.enumNames[i], v.text)) return setInt((long long)i);
                Fail(v.line, "'" + v.text + "' is not a value of " + where + " (one of " + Joined(p.enumNames) + " expected)");
            }
            case TPropKind::Set: {
                if (v.kind != Value::Kind::Set) WrongKind(where, p, v);
                std::uint64_t bits = 0;
                for (const std::string& id : v.idents) {
                    std::size_t i = 0;
                    while (i < p.enumNames.size() && !SameText(p.enumNames[i], id)) ++i;
                    if (i == p.enumNames.size() || i >= 64)
                        Fail(v.line, "'" + id + "' is not an element of " + where + " (one of " + Joined(p.enumNames) + " expected)");
                    bits |= std::uint64_t(1) << i;
                }
                return setInt((long long)bits);
            }
            case TPropKind::String:
                if (v.kind != Value::Kind::String) WrongKind(where, p, v);
                if (!p.setStr) Fail(v.line, where + " is read-only");
                return Guard(v.line, "setting " + where, [&] { p.setStr(obj, v.text); });
            case TPropKind::Float: {
                if (v.kind != Value::Kind::Float && v.kind != Value::Kind::Integer) WrongKind(where, p, v);
                double x = v.kind == Value::Kind::Float ? v.real : double(v.integer);
                if (!p.setFloat) Fail(v.line, where + " is read-only");
                return Guard(v.line, "setting " + where, [&] { p.setFloat(obj, x); });
            }
            case TPropKind::Object: {
                TObject* sub = nullptr;
                if (p.getObject) Guard(v.line, "reading " + where, [&] { sub = p.getObject(obj); });
                if (auto* strings = dynamic_cast<TStrings*>(sub); strings && v.kind == Value::Kind::List)
                    return FillStrings(strings, where, v);
                Fail(v.line, "wrong kind of value for " + where + ": it is an object, set its properties (" + where + ".Name = ...)");
            }
            case TPropKind::Component:
                if (v.kind != Value::Kind::Ident) WrongKind(where, p, v);
                if (!p.setComponent) Fail(v.line, where + " is read-only");
                refs_.push_back({obj, &p, v.text, where, v.line});
                return;
            case TPropKind::Event:
                if (v.kind != Value::Kind::Ident || v.text.find('.') != std::string::npos) WrongKind(where, p, v);
                if (SameText(v.text, "nil")) return;
                if (!p.setEvent) Fail(v.line, where + " is read-only");
                events_.push_back({obj, &p, v.text, where, v.line, {}});
                return;
            case TPropKind::Binary:
                if (v.kind != Value::Kind::Binary) WrongKind(where, p, v);
                if (!p.setBinary) Fail(v.line, where + " is read-only");
                return Guard(v.line, "setting " + where, [&] { p.setBinary(obj, v.bytes); });
        }
    }

    // `Name`, `RootName.Name` or the root's own name.
    TComponent* Lookup(const std::string& target) const {
        std::size_t dot = target.find('.');
        if (dot == std::string::npos) {
            if (TComponent* c = root_->FindComponent(target)) return c;
            if (!root_->Name().empty() && SameText(root_->Name(), target)) return root_;
            return nullptr;
        }
        std::string owner = target.substr(0, dot), rest = target.substr(dot + 1);
        if (rest.find('.') != std::string::npos) return nullptr;
        if (!SameText(owner, root_->Name()) && !SameText(owner, root_->ClassName())) return nullptr;
        return root_->FindComponent(rest);
    }

    // Everything is checked before anything is set, so a failure here leaves no
    // reference to a component that is about to be freed.
    void ResolveAndBind() {
        for (PendingRef& r : refs_) {
            if (SameText(r.target, "nil")) continue;
            r.resolved = Lookup(r.target);
            if (!r.resolved) Fail(r.line, "component " + r.target + " referenced by " + r.where + " not found");
            const TClassInfo* wanted = r.prop->componentClass;
            if (!wanted && r.prop->componentClassOf) wanted = &r.prop->componentClassOf();
            if (wanted && !r.resolved->ClassType().InheritsFrom(wanted))
                Fail(r.line, "wrong kind of component for " + r.where + ": " + r.target + " is a " +
                                 r.resolved->ClassName() + ", a " + wanted->name + " expected");
        }
        const TClassInfo& rootClass = root_->ClassType();
        for (PendingEvent& e : events_) {
            const TMethodInfo* m = rootClass.FindMethod(e.method);
            if (!m) Fail(e.line, "method " + e.method + " for " + e.where + " not found in " + rootClass.name);
            if (m->signature != e.prop->eventSignature)
                Fail(e.line, "method " + e.method + " of " + rootClass.name + " is of the wrong kind for " + e.where);
            e.handler = m->bind(root_);
        }
        // From here on other objects may point at the new components: a later failure
        // leaves them to the root, which frees them with itself.
        committed_ = true;
        for (PendingRef& r : refs_) Guard(r.line, "setting " + r.where, [&] { r.prop->setComponent(r.obj, r.resolved); });
        for (PendingEvent& e : events_) Guard(e.line, "setting " + e.where, [&] { e.prop->setEvent(e.obj, e.handler); });
    }

    bool RootOwns(TComponent* c) const {
        for (int i = 0; i < root_->ComponentCount(); ++i)
            if (root_->Components(i) == c) return true;
        return false;
    }

    // After a failure: the root's fields forget what this read made, the components made
    // are freed (last first; one may already have freed another), and the rest leave the
    // loading state without being told Loaded.
    void Undo() noexcept {
        if (committed_) {
            for (TComponent* c : loading_)
                if ((c == root_ || RootOwns(c)) && c->IsLoading()) c->TComponent::Loaded();
            return;
        }
        for (const TFieldInfo* f : boundFields_) {
            try {
                f->set(root_, nullptr);
            } catch (...) {
            }
        }
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
            if (!RootOwns(*it)) continue;
            std::erase(loading_, *it);
            try {
                delete *it;
            } catch (...) {
            }
        }
        for (TComponent* c : loading_)
            if (c == root_ || RootOwns(c)) c->TComponent::Loaded();
    }

    TComponent* root_;
    Lexer lex_;
    std::vector<TComponent*> created_;
    std::vector<TComponent*> loading_;
    std::vector<const TFieldInfo*> boundFields_;
    std::vector<PendingRef> refs_;
    std::vector<PendingEvent> events_;
    bool committed_ = false;
};

}  // namespace

void ReadComponentFromText(TComponent* root, const std::string& text, const std::string& sourceName) {
    if (!root) throw EReadError("No component to read " + sourceName + " into");
    Reader(root, text, sourceName).Run();
}

bool InitInheritedComponent(TComponent* root, const std::string& resourceName) {
    auto data = FindResource(resourceName + ".dfm");
    if (!data) data = FindResource(resourceName);
    if (!data) return false;
    if (data->substr(0, 4) == "TPF0")
        throw EParserError(resourceName + ": binary form descriptions are not supported", resourceName, 0);
    ReadComponentFromText(root, std::string(*data), resourceName);
    return true;
}
