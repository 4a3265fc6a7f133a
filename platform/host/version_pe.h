// Private to platform/host: the parts of the version-resource service that work on bytes
// only (no files), so that tests and the fuzzer can drive them directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace platform::hostver {

// Random access to the bytes of an image. Read fails for any range outside Size().
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool Read(std::uint64_t offset, void* dst, std::size_t length) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size)
        : data_(static_cast<const BYTE*>(data)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, void* dst, std::size_t length) override;

private:
    const BYTE* data_;
    std::size_t size_;
};

// Finds the version resource (type RT_VERSION, id VS_VERSION_INFO) of a PE image, 32- or
// 64-bit, and copies its bytes to `resource`. Among several languages of the resource it
// prefers neutral, then `userLanguage`, then US English, then the first one.
// Returns 0 or the Win32 error: ResourceDataNotFound for a file that is not a sound PE
// image, ResourceTypeNotFound when it has no (readable) version resource.
DWORD ExtractVersionResource(ByteSource& image, LANGID userLanguage,
                             std::vector<BYTE>& resource);

// The buffer layout that GetFileVersionInfo hands out: the resource itself, four spare
// bytes, then an area of the same size where string answers are converted to ANSI.
std::vector<BYTE> MakeInfoBuffer(const std::vector<BYTE>& resource);

// VerQueryValueA over such a buffer (see platform/version.h).
bool QueryValue(std::vector<BYTE>& data, const std::string& subBlock, const void*& value,
                UINT& length);

}  // namespace platform::hostver
