// The ground every framework unit stands on: the standard exceptions, Format and the
// small string conversions, sets of enumerations, and TObject with its class metadata
// (published properties, methods and fields) and the class registry.
#pragma once
#include <any>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <typeindex>
#include <variant>
#include <vector>

// ---------------------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
public:
    explicit Exception(std::string message = {}) : message_(std::move(message)) {}
    ~Exception() override = default;
    const std::string& Message() const { return message_; }
    void SetMessage(std::string m) { message_ = std::move(m); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The silent abort: unwinds without a message box.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};
[[noreturn]] void Abort();

#define ZARN_EXCEPTION(Name, Base)                \
    class Name : public Base {                    \
    public:                                       \
        using Base::Base;                         \
    }

ZARN_EXCEPTION(EConvertError, Exception);
ZARN_EXCEPTION(EListError, Exception);
ZARN_EXCEPTION(EStringListError, Exception);
ZARN_EXCEPTION(EComponentError, Exception);
ZARN_EXCEPTION(EInvalidOperation, Exception);
ZARN_EXCEPTION(EPropertyError, Exception);
ZARN_EXCEPTION(EClassNotFound, Exception);
ZARN_EXCEPTION(EStreamError, Exception);
ZARN_EXCEPTION(EFCreateError, EStreamError);
ZARN_EXCEPTION(EFOpenError, EStreamError);
ZARN_EXCEPTION(EReadError, EStreamError);
ZARN_EXCEPTION(EWriteError, EStreamError);

// Input/output error with the Win32 error code that caused it.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, std::uint32_t code) : Exception(std::move(message)), ErrorCode(code) {}
    std::uint32_t ErrorCode;
};
// Raises EInOutError "I/O error %d" with the calling thread's last error code (read it
// right after the failed call: any later platform call may replace it).
[[noreturn]] void RaiseLastInOutError();

// ---------------------------------------------------------------------------------------
// Formatting: %s, %d, %u, %x, %% with optional width and '-' flag, as Format does.

using FormatArg = std::variant<std::string, long long>;
std::string Format(const std::string& fmt, std::initializer_list<FormatArg> args);
std::string Format(const std::string& fmt, const std::vector<FormatArg>& args);
std::string IntToStr(long long v);
// StrToInt rules: optional leading blanks, optional sign, decimal digits or '$' and hex
// digits, nothing after. Returns false when the text is not an integer.
bool TryStrToInt(const std::string& s, long long& value);
long long StrToInt(const std::string& s);  // EConvertError "'%s' is not a valid integer value"
std::string Trim(const std::string& s);     // drops blanks and control characters at both ends
std::string UpperCase(const std::string& s);  // ASCII only
std::string LowerCase(const std::string& s);  // ASCII only
bool SameText(const std::string& a, const std::string& b);  // ASCII case-insensitive

// ---------------------------------------------------------------------------------------
// Sets of enumerations: enum class E : std::uint8_t, at most 64 values.

template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items) Include(e);
    }
    static constexpr TSet FromBits(std::uint64_t b) {
        TSet s;
        s.bits_ = b;
        return s;
    }
    constexpr bool Contains(E e) const { return (bits_ >> unsigned(e)) & 1u; }
    constexpr TSet& Include(E e) {
        bits_ |= std::uint64_t(1) << unsigned(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        bits_ &= ~(std::uint64_t(1) << unsigned(e));
        return *this;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint64_t Bits() const { return bits_; }
    constexpr TSet operator|(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator&(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr bool operator==(const TSet&) const = default;

private:
    std::uint64_t bits_ = 0;
};

// ---------------------------------------------------------------------------------------
// Class metadata and published properties

class TObject;
class TComponent;
struct TClassInfo;

enum class TPropKind : std::uint8_t {
    Integer,    // whole numbers (also characters and words)
    Boolean,
    Enum,       // identifiers from `enumNames`
    Set,        // [a, b] of `enumNames`
    String,
    Float,
    Object,     // an owned sub-object reached by `getObject` (Font, Strings, a language)
    Component,  // a reference to another component, resolved after reading
    Event,      // a handler bound by method name
    Binary,     // { hex } data
};

// A function held by class metadata: a plain function and the few bytes it was made
// from (a member pointer), copied as bytes. std::function would give each of the
// several hundred accessors a manager and an out-of-line copy, move and destruction in
// every program; these need none. Takes any trivially copyable callable of up to two
// pointers' size (every lambda of TClassBuilder, and captureless ones).
template <typename Sig>
class TMetaFunction;
template <typename R, typename... A>
class TMetaFunction<R(A...)> {
public:
    TMetaFunction() = default;
    TMetaFunction(std::nullptr_t) {}
    template <typename F, typename = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TMetaFunction> &&
                                                      !std::is_same_v<std::decay_t<F>, std::nullptr_t>>>
    TMetaFunction(F f) {
        static_assert(sizeof(F) <= sizeof(data_) && alignof(F) <= alignof(void*) &&
                          std::is_trivially_copyable_v<F> && std::is_trivially_destructible_v<F>,
                      "a metadata function holds at most two pointers' worth of plain data");
        ::new (static_cast<void*>(data_)) F(f);
        call_ = [](const void* data, A... a) -> R {
            return (*std::launder(static_cast<const F*>(data)))(std::forward<A>(a)...);
        };
    }
    explicit operator bool() const { return call_ != nullptr; }
    R operator()(A... a) const { return call_(data_, std::forward<A>(a)...); }

private:
    alignas(void*) unsigned char data_[2 * sizeof(void*)] = {};
    R (*call_)(const void*, A...) = nullptr;
};

// One published method of a class: binding it to an instance yields a std::function of
// the method's signature, held in a std::any.
struct TMethodInfo {
    std::string name;
    std::type_index signature = typeid(void);
    TMetaFunction<std::any(TObject* self)> bind;
};

// One published field of a form class: a pointer to a component that the form
// description creates under the same name. `set` fails (false) on a class mismatch.
struct TFieldInfo {
    std::string name;
    TMetaFunction<bool(TObject* root, TComponent* value)> set;
};

struct TPropInfo {
    std::string name;
    TPropKind kind = TPropKind::Integer;
    std::vector<std::string> enumNames;  // Enum and Set
    TMetaFunction<void(TObject*, long long)> setInt;        // Integer, Boolean, Enum, Set (bits)
    TMetaFunction<long long(TObject*)> getInt;
    TMetaFunction<void(TObject*, const std::string&)> setStr;  // String
    TMetaFunction<std::string(TObject*)> getStr;
    TMetaFunction<void(TObject*, double)> setFloat;
    TMetaFunction<TObject*(TObject*)> getObject;            // Object
    TMetaFunction<void(TObject*, TComponent*)> setComponent;  // Component
    std::type_index eventSignature = typeid(void);            // Event
    TMetaFunction<void(TObject*, const std::any&)> setEvent;  // receives std::function<Sig>
    TMetaFunction<void(TObject*, const std::vector<std::uint8_t>&)> setBinary;  // Binary
    const TClassInfo* componentClass = nullptr;  // Component: the class a reference must be
    // Component: the setter's parameter class, asked on first use, so that a class can
    // refer to itself (Ref with a null refClass inside its own metadata).
    const TClassInfo& (*componentClassOf)() = nullptr;
};

// Metadata of one class: its name, parent, published properties and methods, and a
// factory for classes that form descriptions may create.
struct TClassInfo {
    std::string name;
    const TClassInfo* parent = nullptr;
    TMetaFunction<TComponent*(TComponent* owner)> create;  // components only
    std::vector<TPropInfo> props;
    std::vector<TMethodInfo> methods;
    std::vector<TFieldInfo> fields;

    bool InheritsFrom(const TClassInfo* other) const;
    // Looked up along the class chain, case-insensitively.
    const TPropInfo* FindProperty(const std::string& propName) const;
    const TMethodInfo* FindMethod(const std::string& methodName) const;
    const TFieldInfo* FindField(const std::string& fieldName) const;

    // A new property, method or field of this class with that name (for TClassBuilder:
    // one out-of-line step, so that each published name costs its caller little).
    TPropInfo& AddProperty(const char* propName, TPropKind kind);
    TPropInfo& AddProperty(const char* propName, TPropKind kind, std::initializer_list<const char*> names);
    TPropInfo& AddProperty(const char* propName, TPropKind kind, const std::vector<std::string>& names);
    TMethodInfo& AddMethod(const char* methodName, std::type_index signature);
    TFieldInfo& AddField(const char* fieldName);
};

// Builder handed to a class's metadata definition.
template <typename C>
class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& info) : info_(info) {}
    TClassInfo& Info() { return info_; }

    template <typename V>
    TClassBuilder& Int(const char* name, V (C::*get)() const, void (C::*set)(V)) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Integer);
        p.getInt = [get](TObject* o) { return (long long)(static_cast<C*>(o)->*get)(); };
        p.setInt = [set](TObject* o, long long v) { (static_cast<C*>(o)->*set)(V(v)); };
        return *this;
    }
    TClassBuilder& Bool(const char* name, bool (C::*get)() const, void (C::*set)(bool)) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Boolean);
        p.getInt = [get](TObject* o) { return (long long)(static_cast<C*>(o)->*get)(); };
        p.setInt = [set](TObject* o, long long v) { (static_cast<C*>(o)->*set)(v != 0); };
        return *this;
    }
    template <typename E>
    TClassBuilder& Enum(const char* name, std::initializer_list<const char*> names, E (C::*get)() const,
                        void (C::*set)(E)) {
        return SetEnumAccessors(info_.AddProperty(name, TPropKind::Enum, names), get, set);
    }
    template <typename E>
    TClassBuilder& Enum(const char* name, const std::vector<std::string>& names, E (C::*get)() const,
                        void (C::*set)(E)) {
        return SetEnumAccessors(info_.AddProperty(name, TPropKind::Enum, names), get, set);
    }
    template <typename E>
    TClassBuilder& Set(const char* name, std::initializer_list<const char*> names, TSet<E> (C::*get)() const,
                       void (C::*set)(TSet<E>)) {
        return SetSetAccessors(info_.AddProperty(name, TPropKind::Set, names), get, set);
    }
    template <typename E>
    TClassBuilder& Set(const char* name, const std::vector<std::string>& names, TSet<E> (C::*get)() const,
                       void (C::*set)(TSet<E>)) {
        return SetSetAccessors(info_.AddProperty(name, TPropKind::Set, names), get, set);
    }
    TClassBuilder& Str(const char* name, std::string (C::*get)() const, void (C::*set)(const std::string&)) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::String);
        p.getStr = [get](TObject* o) { return (static_cast<C*>(o)->*get)(); };
        p.setStr = [set](TObject* o, const std::string& v) { (static_cast<C*>(o)->*set)(v); };
        return *this;
    }
    TClassBuilder& Float(const char* name, void (C::*set)(double)) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Float);
        p.setFloat = [set](TObject* o, double v) { (static_cast<C*>(o)->*set)(v); };
        return *this;
    }
    // An owned sub-object whose own properties are streamed (Font.Name, Lines.Strings).
    template <typename S>
    TClassBuilder& Object(const char* name, S* (C::*get)() const) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Object);
        p.getObject = [get](TObject* o) -> TObject* { return (static_cast<C*>(o)->*get)(); };
        return *this;
    }
    template <typename R>
    TClassBuilder& Ref(const char* name, const TClassInfo* refClass, void (C::*set)(R*)) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Component);
        p.componentClass = refClass;
        p.componentClassOf = &R::StaticClass;
        p.setComponent = [set](TObject* o, TComponent* c) { (static_cast<C*>(o)->*set)(static_cast<R*>(c)); };
        return *this;
    }
    // An event: a member `std::function<Sig> C::*field`.
    template <typename Sig>
    TClassBuilder& Event(const char* name, std::function<Sig> C::*field) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Event);
        p.eventSignature = typeid(Sig);
        p.setEvent = [field](TObject* o, const std::any& fn) {
            static_cast<C*>(o)->*field = std::any_cast<std::function<Sig>>(fn);
        };
        return *this;
    }
    TClassBuilder& Binary(const char* name, void (C::*set)(const std::vector<std::uint8_t>&)) {
        TPropInfo& p = info_.AddProperty(name, TPropKind::Binary);
        p.setBinary = [set](TObject* o, const std::vector<std::uint8_t>& v) { (static_cast<C*>(o)->*set)(v); };
        return *this;
    }
    // A published method (an event handler a form description may name).
    template <typename R, typename... A>
    TClassBuilder& Method(const char* name, R (C::*m)(A...)) {
        info_.AddMethod(name, typeid(R(A...))).bind = [m](TObject* self) -> std::any {
            C* c = static_cast<C*>(self);
            return std::function<R(A...)>([c, m](A... a) { return (c->*m)(a...); });
        };
        return *this;
    }
    // A published field: the component of that name created by the form description.
    template <typename F>
    TClassBuilder& Field(const char* name, F* C::*field) {
        info_.AddField(name).set = [field](TObject* root, TComponent* value) {
            F* f = dynamic_cast<F*>(value);
            if (value && !f) return false;
            static_cast<C*>(root)->*field = f;
            return true;
        };
        return *this;
    }
    // Components that form descriptions may create.
    TClassBuilder& Creatable() {
        info_.create = [](TComponent* owner) -> TComponent* { return new C(owner); };
        return *this;
    }

private:
    template <typename E>
    TClassBuilder& SetEnumAccessors(TPropInfo& p, E (C::*get)() const, void (C::*set)(E)) {
        p.getInt = [get](TObject* o) { return (long long)(static_cast<C*>(o)->*get)(); };
        p.setInt = [set](TObject* o, long long v) { (static_cast<C*>(o)->*set)(E(v)); };
        return *this;
    }
    template <typename E>
    TClassBuilder& SetSetAccessors(TPropInfo& p, TSet<E> (C::*get)() const, void (C::*set)(TSet<E>)) {
        p.getInt = [get](TObject* o) { return (long long)(static_cast<C*>(o)->*get)().Bits(); };
        p.setInt = [set](TObject* o, long long v) { (static_cast<C*>(o)->*set)(TSet<E>::FromBits(std::uint64_t(v))); };
        return *this;
    }

    TClassInfo& info_;
};

// Inside a class body: declares its metadata accessors.
#define ZARN_CLASS(Cls, Parent)                                              \
public:                                                                      \
    static const TClassInfo& StaticClass();                                  \
    const TClassInfo& ClassType() const override { return Cls::StaticClass(); } \
                                                                             \
private:

// In the class's .cpp: defines the metadata, built on first use. `body` is a callable
// taking TClassBuilder<Cls>&.
#define ZARN_DEFINE_CLASS(Cls, Parent, body)                   \
    const TClassInfo& Cls::StaticClass() {                     \
        static const TClassInfo info = [] {                    \
            TClassInfo i;                                      \
            i.name = #Cls;                                     \
            i.parent = &Parent::StaticClass();                 \
            TClassBuilder<Cls> b(i);                           \
            body(b);                                           \
            return i;                                          \
        }();                                                   \
        return info;                                           \
    }

// The class registry through which form descriptions find classes by name. Classes are
// registered by each subsystem's initialisation.
void RegisterClass(const TClassInfo* info);
void RegisterClasses(std::initializer_list<const TClassInfo*> infos);
const TClassInfo* FindClass(const std::string& name);  // nullptr when unknown
// Every registered class, ordered by name.
std::vector<const TClassInfo*> RegisteredClasses();

// ---------------------------------------------------------------------------------------
// TObject

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    const std::string& ClassName() const { return ClassType().name; }
    bool InheritsFrom(const TClassInfo& c) const { return ClassType().InheritsFrom(&c); }
    template <typename T>
    bool Is() const { return dynamic_cast<const T*>(this) != nullptr; }
};

using TNotifyEvent = std::function<void(TObject* sender)>;
