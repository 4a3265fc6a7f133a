// Shell link objects over the shell's COM class (IShellLinkA + IPersistFile).
#include "platform/win32/win32_api.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "platform/shelllink.h"

namespace platform {

struct ShellLink::Impl {
    IShellLinkA* link = nullptr;
    IPersistFile* persist = nullptr;
    ~Impl() {
        if (persist) persist->Release();
        if (link) link->Release();
    }
};

ShellLink::ShellLink(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ShellLink::~ShellLink() = default;

HRESULT CreateShellLink(std::unique_ptr<ShellLink>& link) {
    link.reset();
    IShellLinkA* object = nullptr;
    ::HRESULT r = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, reinterpret_cast<void**>(&object));
    if (FAILED(r) || !object) return r;
    auto impl = std::make_unique<ShellLink::Impl>();
    impl->link = object;
    link.reset(new ShellLink(std::move(impl)));
    return r;
}

HRESULT ShellLink::SetPath(const std::string& path) { return impl_->link->SetPath(path.c_str()); }
HRESULT ShellLink::SetArguments(const std::string& arguments) {
    return impl_->link->SetArguments(arguments.c_str());
}
HRESULT ShellLink::SetWorkingDirectory(const std::string& folder) {
    return impl_->link->SetWorkingDirectory(folder.c_str());
}
HRESULT ShellLink::SetDescription(const std::string& description) {
    return impl_->link->SetDescription(description.c_str());
}
HRESULT ShellLink::SetIconLocation(const std::string& path, int index) {
    return impl_->link->SetIconLocation(path.c_str(), index);
}
HRESULT ShellLink::SetHotkey(WORD hotKey) { return impl_->link->SetHotkey(hotKey); }
HRESULT ShellLink::SetShowCmd(int showCommand) { return impl_->link->SetShowCmd(showCommand); }

namespace {

template <typename Call>
HRESULT GetText(std::string& out, int size, Call call) {
    std::string buf(size_t(size), '\0');
    ::HRESULT r = call(buf.data(), size);
    out = SUCCEEDED(r) ? std::string(buf.c_str()) : std::string();
    return r;
}

}  // namespace

HRESULT ShellLink::GetPath(std::string& path) {
    return GetText(path, MAX_PATH, [&](char* b, int n) {
        return impl_->link->GetPath(b, n, nullptr, SLGP_RAWPATH);
    });
}
HRESULT ShellLink::GetArguments(std::string& arguments) {
    return GetText(arguments, 0x8000, [&](char* b, int n) { return impl_->link->GetArguments(b, n); });
}
HRESULT ShellLink::GetWorkingDirectory(std::string& folder) {
    return GetText(folder, MAX_PATH,
                   [&](char* b, int n) { return impl_->link->GetWorkingDirectory(b, n); });
}
HRESULT ShellLink::GetDescription(std::string& description) {
    return GetText(description, 1024,
                   [&](char* b, int n) { return impl_->link->GetDescription(b, n); });
}
HRESULT ShellLink::GetIconLocation(std::string& path, int& index) {
    int i = 0;
    ::HRESULT r = GetText(path, MAX_PATH,
                          [&](char* b, int n) { return impl_->link->GetIconLocation(b, n, &i); });
    index = i;
    return r;
}
HRESULT ShellLink::GetHotkey(WORD& hotKey) {
    ::WORD k = 0;
    ::HRESULT r = impl_->link->GetHotkey(&k);
    hotKey = k;
    return r;
}
HRESULT ShellLink::GetShowCmd(int& showCommand) {
    int s = 0;
    ::HRESULT r = impl_->link->GetShowCmd(&s);
    showCommand = s;
    return r;
}

HRESULT ShellLink::QueryPersistFile() {
    if (impl_->persist) return S_OK;
    return impl_->link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&impl_->persist));
}

namespace {

// MultiByteToWideChar with the ANSI code page into a MAX_PATH buffer; false when the
// path (with its terminator) does not fit.
bool ToWidePath(const std::string& path, WCHAR (&wide)[MAX_PATH]) {
    if (path.size() >= MAX_PATH) return false;
    int n = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    return n > 0;
}

}  // namespace

HRESULT ShellLink::Save(const std::string& linkPath, bool remember) {
    HRESULT q = QueryPersistFile();
    if (FAILED(q)) return q;
    WCHAR wide[MAX_PATH];
    if (!ToWidePath(linkPath, wide)) return hr::FromWin32(err::FilenameExcedRange);
    return impl_->persist->Save(wide, remember ? TRUE : FALSE);
}

HRESULT ShellLink::Load(const std::string& linkPath) {
    HRESULT q = QueryPersistFile();
    if (FAILED(q)) return q;
    WCHAR wide[MAX_PATH];
    if (!ToWidePath(linkPath, wide)) return hr::FromWin32(err::FilenameExcedRange);
    return impl_->persist->Load(wide, STGM_READ);
}

}  // namespace platform
