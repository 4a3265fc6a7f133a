// Byte streams: the abstract stream, streams over platform file handles, files and memory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/objects.h"
#include "platform/handles.h"
#include "platform/types.h"

enum class TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
    ZARN_CLASS(TStream, TObject)
public:
    // Read / Write move up to `count` bytes and return how many moved.
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t p) { Seek(p, TSeekOrigin::soBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t newSize);

    // Whole transfers: EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::int32_t count);
    void WriteBuffer(const void* buffer, std::int32_t count);
    // Copies `count` bytes from `source` at its position; 0 copies the whole source from
    // its start. Returns the bytes copied.
    std::int64_t CopyFrom(TStream* source, std::int64_t count);
};

// A stream over an open platform handle; the handle is not closed by this class.
class THandleStream : public TStream {
    ZARN_CLASS(THandleStream, TStream)
public:
    explicit THandleStream(platform::Handle h) : handle_(h) {}
    platform::Handle Handle() const { return handle_; }
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;

protected:
    platform::Handle handle_;
};

// Open modes: one of the access modes, or'ed with one share mode.
constexpr std::uint16_t fmCreate = 0xFFFF;
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareCompat = 0x0000;
constexpr std::uint16_t fmShareExclusive = 0x0010;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyRead = 0x0030;
constexpr std::uint16_t fmShareDenyNone = 0x0040;

// A file opened by name. EFCreateError "Cannot create file %s" / EFOpenError
// "Cannot open file %s" when that fails.
class TFileStream : public THandleStream {
    ZARN_CLASS(TFileStream, THandleStream)
public:
    TFileStream(const std::string& fileName, std::uint16_t mode);
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    platform::FileHandle file_;
};

class TMemoryStream : public TStream {
    ZARN_CLASS(TMemoryStream, TStream)
public:
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;
    std::int64_t Size() override { return std::int64_t(data_.size()); }
    void Clear();
    void LoadFromStream(TStream* s);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream* s);
    void SaveToFile(const std::string& fileName);
    const std::vector<std::uint8_t>& Data() const { return data_; }
    std::uint8_t* Memory() { return data_.data(); }

private:
    std::vector<std::uint8_t> data_;
    std::int64_t pos_ = 0;
};
