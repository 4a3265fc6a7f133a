// Version resources on the host: the image is read through the host's own files, a range
// at a time (a large file that is no image costs a few small reads, not a full read).
#include "platform/version.h"

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/host/version_pe.h"
#include "platform/system.h"

namespace platform {

namespace {

class FileSource : public hostver::ByteSource {
public:
    explicit FileSource(Handle h) : h_(h) {
        DWORD size = platform::GetFileSize(h);
        size_ = size == InvalidFileSize ? 0 : size;
    }
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, void* dst, std::size_t length) override {
        if (offset > size_ || length > size_ - offset) return false;
        if (length == 0) return true;
        if (platform::SetFilePointer(h_, static_cast<LONG>(offset), FileBegin) !=
            static_cast<DWORD>(offset))
            return false;
        DWORD done = 0;
        return platform::ReadFile(h_, dst, static_cast<DWORD>(length), done) && done == length;
    }

private:
    Handle h_;
    std::uint64_t size_ = 0;
};

bool IsBareName(const std::string& path) {
    return path.find_first_of("\\/:") == std::string::npos;
}

// Reads the version resource of `path`; 0 or the Win32 error.
DWORD LoadResource(const std::string& path, std::vector<BYTE>& resource) {
    FileHandle h(platform::CreateFile(path, GenericRead, FileShareRead | FileShareWrite, OpenExisting));
    if (!h && IsBareName(path)) {
        // As the loader finds a bare module name: the System folder, then Windows.
        for (const std::string& dir : {GetSystemDirectory(), GetWindowsDirectory()}) {
            if (dir.empty()) continue;
            h.reset(platform::CreateFile(dir + "\\" + path, GenericRead, FileShareRead | FileShareWrite,
                                         OpenExisting));
            if (h) break;
        }
        if (!h) return err::FileNotFound;
    }
    if (!h) {
        DWORD e = platform::GetLastError();
        return e ? e : err::FileNotFound;
    }
    FileSource src(h.get());
    return hostver::ExtractVersionResource(src, GetUserDefaultLangID(), resource);
}

}  // namespace

DWORD GetFileVersionInfoSize(const std::string& path, DWORD& handle) {
    handle = 0;
    std::vector<BYTE> resource;
    if (DWORD e = LoadResource(path, resource)) {
        SetLastError(e);
        return 0;
    }
    return static_cast<DWORD>(resource.size() * 2 + 4);
}

bool GetFileVersionInfo(const std::string& path, DWORD size, std::vector<BYTE>& data) {
    data.assign(size, 0);
    std::vector<BYTE> resource;
    if (DWORD e = LoadResource(path, resource)) {
        SetLastError(e);
        return false;
    }
    std::vector<BYTE> full = hostver::MakeInfoBuffer(resource);
    std::copy(full.begin(), full.begin() + std::min<std::size_t>(size, full.size()),
              data.begin());
    return true;
}

bool VerQueryValue(std::vector<BYTE>& data, const std::string& subBlock, const void*& value,
                   UINT& length) {
    return hostver::QueryValue(data, subBlock, value, length);
}

}  // namespace platform
