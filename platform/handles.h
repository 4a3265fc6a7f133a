// Owning wrappers for an open file handle and an open registry key: closed when the
// owner goes, movable, never copied.
//
//     platform::FileHandle f(platform::CreateFile(path, platform::GenericRead, ...));
//     if (!f) ...;                          // the open failed; the last error says why
//     platform::ReadFile(f.get(), ...);
//
//     platform::KeyHandle k;
//     if (platform::RegOpenKey(root, sub, platform::KeyRead, k.receive()) == 0) ...
#pragma once
#include <utility>

#include "platform/files.h"
#include "platform/registry.h"

namespace platform {

template <class Traits>
class Owned {
public:
    using Value = typename Traits::Value;

    Owned() = default;
    explicit Owned(Value v) : v_(v) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : v_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Value get() const { return v_; }
    bool valid() const { return v_ != Traits::Invalid; }
    explicit operator bool() const { return valid(); }
    // Gives up ownership without closing.
    Value release() { return std::exchange(v_, Traits::Invalid); }
    // Closes what is held and takes `v`. The close reports nothing and leaves the last
    // error as it was, so a failure being unwound keeps its code.
    void reset(Value v = Traits::Invalid) {
        Value old = std::exchange(v_, v);
        if (old == Traits::Invalid) return;
        const DWORD error = GetLastError();
        Traits::Close(old);
        SetLastError(error);
    }
    // Closes what is held and hands out the slot for a call that opens into it.
    Value& receive() {
        reset();
        return v_;
    }

private:
    Value v_ = Traits::Invalid;
};

struct FileHandleTraits {
    using Value = Handle;
    static constexpr Handle Invalid = InvalidHandle;
    static void Close(Handle h) { CloseHandle(h); }
};
struct KeyHandleTraits {
    using Value = HKEY;
    static constexpr HKEY Invalid = 0;
    static void Close(HKEY k) { RegCloseKey(k); }
};

using FileHandle = Owned<FileHandleTraits>;
using KeyHandle = Owned<KeyHandleTraits>;

}  // namespace platform
