// The host's shell link object: keeps the link's fields and saves or loads them in the
// shell's binary shortcut format.
#include "platform/shelllink.h"

#include <vector>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/lnkformat.h"

namespace platform {

struct ShellLink::Impl {
    host::LinkData data;
    bool persistFile = false;
};

ShellLink::ShellLink(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ShellLink::~ShellLink() = default;

HRESULT CreateShellLink(std::unique_ptr<ShellLink>& link) {
    link.reset(new ShellLink(std::make_unique<ShellLink::Impl>()));
    return hr::Ok;
}

namespace {

// IShellLinkA takes its strings from buffers of MAX_PATH (the description: INFOTIPSIZE).
HRESULT CheckLength(const std::string& s, std::size_t limit = MaxPath) {
    return s.size() >= limit ? hr::InvalidArg : hr::Ok;
}

HRESULT Store(std::string& field, const std::string& value, std::size_t limit = MaxPath) {
    HRESULT r = CheckLength(value, limit);
    if (r == hr::Ok) field = value;
    return r;
}

// The folder part of a full path ("C:\a\b.lnk" -> "C:\a").
std::string FolderOf(const std::string& path) {
    std::size_t p = path.find_last_of('\\');
    if (p == std::string::npos) return {};
    if (p == 2 && path.size() > 1 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, p);
}

}  // namespace

HRESULT ShellLink::SetPath(const std::string& path) { return Store(impl_->data.path, path); }
HRESULT ShellLink::SetArguments(const std::string& arguments) {
    return Store(impl_->data.arguments, arguments, 0x8000);
}
HRESULT ShellLink::SetWorkingDirectory(const std::string& folder) {
    return Store(impl_->data.workingDir, folder);
}
HRESULT ShellLink::SetDescription(const std::string& description) {
    return Store(impl_->data.description, description, 1024);
}
HRESULT ShellLink::SetIconLocation(const std::string& path, int index) {
    HRESULT r = Store(impl_->data.iconPath, path);
    if (r == hr::Ok) impl_->data.iconIndex = index;
    return r;
}
HRESULT ShellLink::SetHotkey(WORD hotKey) {
    impl_->data.hotKey = hotKey;
    return hr::Ok;
}
HRESULT ShellLink::SetShowCmd(int showCommand) {
    impl_->data.showCommand = showCommand;
    return hr::Ok;
}

HRESULT ShellLink::GetPath(std::string& path) {
    path = impl_->data.path;
    return path.empty() ? hr::False : hr::Ok;
}
HRESULT ShellLink::GetArguments(std::string& arguments) {
    arguments = impl_->data.arguments;
    return hr::Ok;
}
HRESULT ShellLink::GetWorkingDirectory(std::string& folder) {
    folder = impl_->data.workingDir;
    return hr::Ok;
}
HRESULT ShellLink::GetDescription(std::string& description) {
    description = impl_->data.description;
    return hr::Ok;
}
HRESULT ShellLink::GetIconLocation(std::string& path, int& index) {
    path = impl_->data.iconPath;
    index = impl_->data.iconIndex;
    return hr::Ok;
}
HRESULT ShellLink::GetHotkey(WORD& hotKey) {
    hotKey = impl_->data.hotKey;
    return hr::Ok;
}
HRESULT ShellLink::GetShowCmd(int& showCommand) {
    showCommand = impl_->data.showCommand;
    return hr::Ok;
}

HRESULT ShellLink::QueryPersistFile() {
    impl_->persistFile = true;
    return hr::Ok;
}

HRESULT ShellLink::Save(const std::string& linkPath, bool remember) {
    if (linkPath.empty()) return hr::InvalidArg;
    if (linkPath.size() >= MaxPath) return hr::FromWin32(err::FilenameExcedRange);
    std::string full = GetFullPathName(linkPath);
    if (full.empty()) return hr::FromWin32(GetLastError());

    host::LinkData data = impl_->data;
    data.fileAttributes = 0;
    data.fileSize = 0;
    data.creationTime = data.accessTime = data.writeTime = FileTime{};
    data.relativePath.clear();
    if (!data.path.empty()) {
        std::string target = GetFullPathName(data.path);
        if (!target.empty()) {
            data.relativePath = host::RelativeLinkPath(FolderOf(full), target);
            std::vector<FindData> found;
            if (FindFiles(target, found) && found.size() == 1) {
                data.fileAttributes = found[0].attributes;
                data.fileSize = DWORD(found[0].size);
                data.creationTime = data.accessTime = data.writeTime = found[0].lastWrite;
                FileHandle h(CreateFile(target, GenericRead, FileShareRead | FileShareWrite, OpenExisting));
                if (h) GetFileTime(h.get(), &data.creationTime, &data.accessTime, &data.writeTime);
            }
        }
    }
    std::vector<BYTE> bytes = host::FormatLink(data);
    FileHandle h(CreateFile(full, GenericWrite, 0, CreateAlways));
    if (!h) return hr::FromWin32(GetLastError());
    DWORD done = 0;
    bool ok = WriteFile(h.get(), bytes.data(), DWORD(bytes.size()), done) && done == bytes.size();
    DWORD error = ok ? 0 : GetLastError();
    h.reset();
    if (!ok) {
        DeleteFile(full);
        return hr::FromWin32(error ? error : err::WriteFault);
    }
    return hr::Ok;
}

HRESULT ShellLink::Load(const std::string& linkPath) {
    if (linkPath.size() >= MaxPath) return hr::FromWin32(err::FilenameExcedRange);
    FileHandle h(CreateFile(linkPath, GenericRead, FileShareRead, OpenExisting));
    if (!h) return hr::FromWin32(GetLastError());
    std::vector<BYTE> bytes;
    BYTE buf[4096];
    DWORD done = 0;
    while (ReadFile(h.get(), buf, sizeof buf, done) && done > 0) bytes.insert(bytes.end(), buf, buf + done);
    host::LinkData data;
    std::string error;
    if (!host::ParseLink(bytes, data, error)) return hr::Fail;
    impl_->data = data;
    return hr::Ok;
}

}  // namespace platform
