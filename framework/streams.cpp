#include "framework/streams.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"

ZARN_DEFINE_CLASS(TStream, TObject, [](auto&) {})
ZARN_DEFINE_CLASS(THandleStream, TStream, [](auto&) {})
ZARN_DEFINE_CLASS(TFileStream, THandleStream, [](auto&) {})
ZARN_DEFINE_CLASS(TMemoryStream, TStream, [](auto&) {})

std::int64_t TStream::Size() {
    std::int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(std::int64_t) {}

void TStream::ReadBuffer(void* buffer, std::int32_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream* source, std::int64_t count) {
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    const std::int32_t maxBuf = 0xF000;
    std::vector<std::uint8_t> buf(std::size_t(std::min<std::int64_t>(count, maxBuf)) + 1);
    std::int64_t left = count;
    while (left > 0) {
        std::int32_t n = std::int32_t(std::min<std::int64_t>(left, maxBuf));
        source->ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        left -= n;
    }
    return count;
}

std::int32_t THandleStream::Read(void* buffer, std::int32_t count) {
    platform::DWORD done = 0;
    if (count <= 0) return 0;
    if (!platform::ReadFile(handle_, buffer, platform::DWORD(count), done)) return done ? std::int32_t(done) : -1;
    return std::int32_t(done);
}

std::int32_t THandleStream::Write(const void* buffer, std::int32_t count) {
    platform::DWORD done = 0;
    if (count <= 0) return 0;
    if (!platform::WriteFile(handle_, buffer, platform::DWORD(count), done)) return done ? std::int32_t(done) : -1;
    return std::int32_t(done);
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    platform::DWORD o = origin == TSeekOrigin::soBeginning ? platform::FileBegin
                        : origin == TSeekOrigin::soCurrent ? platform::FileCurrent
                                                           : platform::FileEnd;
    platform::DWORD r = platform::SetFilePointer(handle_, platform::LONG(offset), o);
    if (r == platform::InvalidSetFilePointer) return -1;
    return std::int64_t(r);
}

void THandleStream::SetSize(std::int64_t newSize) {
    Seek(newSize, TSeekOrigin::soBeginning);
    if (!platform::SetEndOfFile(handle_))
        throw EStreamError("Stream write error");
}

namespace {
platform::DWORD ShareFlags(std::uint16_t mode) {
    switch (mode & 0xF0) {
        case fmShareExclusive: return 0;
        case fmShareDenyWrite: return platform::FileShareRead;
        case fmShareDenyRead: return platform::FileShareWrite;
        default: return platform::FileShareRead | platform::FileShareWrite;
    }
}
}  // namespace

TFileStream::TFileStream(const std::string& fileName, std::uint16_t mode)
    : THandleStream(platform::InvalidHandle), fileName_(fileName) {
    if (mode == fmCreate) {
        file_.reset(platform::CreateFile(fileName, platform::GenericRead | platform::GenericWrite, 0,
                                         platform::CreateAlways));
        if (!file_) throw EFCreateError(Format("Cannot create file %s", {fileName}));
        handle_ = file_.get();
        return;
    }
    platform::DWORD access = 0;
    switch (mode & 3) {
        case fmOpenRead: access = platform::GenericRead; break;
        case fmOpenWrite: access = platform::GenericWrite; break;
        default: access = platform::GenericRead | platform::GenericWrite; break;
    }
    file_.reset(platform::CreateFile(fileName, access, ShareFlags(mode), platform::OpenExisting));
    if (!file_) throw EFOpenError(Format("Cannot open file %s", {fileName}));
    handle_ = file_.get();
}

std::int32_t TMemoryStream::Read(void* buffer, std::int32_t count) {
    if (count <= 0 || pos_ >= std::int64_t(data_.size())) return 0;
    std::int64_t n = std::min<std::int64_t>(count, std::int64_t(data_.size()) - pos_);
    std::memcpy(buffer, data_.data() + pos_, std::size_t(n));
    pos_ += n;
    return std::int32_t(n);
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
    if (count <= 0) return 0;
    if (pos_ + count > std::int64_t(data_.size())) data_.resize(std::size_t(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, std::size_t(count));
    pos_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    switch (origin) {
        case TSeekOrigin::soBeginning: pos_ = offset; break;
        case TSeekOrigin::soCurrent: pos_ += offset; break;
        case TSeekOrigin::soEnd: pos_ = std::int64_t(data_.size()) + offset; break;
    }
    if (pos_ < 0) pos_ = 0;
    return pos_;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    data_.resize(std::size_t(std::max<std::int64_t>(newSize, 0)));
    if (pos_ > newSize) pos_ = newSize;
}

void TMemoryStream::Clear() {
    data_.clear();
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* s) {
    s->SetPosition(0);
    std::int64_t n = s->Size();
    data_.resize(std::size_t(n));
    if (n) s->ReadBuffer(data_.data(), std::int32_t(n));
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

void TMemoryStream::SaveToStream(TStream* s) {
    if (!data_.empty()) s->WriteBuffer(data_.data(), std::int32_t(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(&f);
}
