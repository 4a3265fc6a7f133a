// A scratch folder, a fresh engine and helpers that make files and archives by hand.
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#include "archive/cmp_TZarnCompress.h"
#include "framework/datetime.h"
#include "framework/forms.h"
#include "framework/startup.h"
#include "framework/ui/headless.h"
#include "platform/byteorder.h"
#include "platform/files.h"
#include "registration/cmp_TVersion.h"
#include "tests/platform/scratch.h"

namespace zarn::test {

// A stamp that every file of the tests gets unless a test says otherwise (even seconds:
// stamps keep 2-second steps).
inline TDateTime DefaultStamp() { return EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0); }

inline std::string Deflate(const std::string& data, int level = 9) {
    uLongf size = compressBound(uLong(data.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                        uLong(data.size()), level),
              Z_OK);
    out.resize(size);
    return out;
}

inline std::string Inflate(const std::string& data, std::size_t size) {
    std::string out(size, '\0');
    uLongf got = uLongf(size);
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &got, reinterpret_cast<const Bytef*>(data.data()),
                   uLong(data.size())) != Z_OK)
        return "<not a zlib stream>";
    out.resize(got);
    return out;
}

// Deterministic bytes: text-like (compresses well) or noise (does not).
inline std::string TextBytes(std::size_t n) {
    std::string s;
    const char* words[] = {"archive ", "header ", "stream ", "disk ", "install ", "file\r\n"};
    for (unsigned i = 0; s.size() < n; ++i) s += words[(i * 7 + i / 3) % 6];
    s.resize(n);
    return s;
}
inline std::string NoiseBytes(std::size_t n, std::uint32_t seed = 1) {
    std::string s(n, '\0');
    for (auto& c : s) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return s;
}

// One header record, as the format lays it out.
struct RecordSpec {
    RecordSpec(std::string n = {}, std::int32_t size = 0, std::int32_t start = 0, std::int32_t compressed = 0,
               std::int32_t last = 0, std::int32_t next = 0)
        : name(std::move(n)), fileSize(size), dataStart(start), compressedSize(compressed), lastByte(last),
          nextHeader(next) {}
    std::string name;
    std::int32_t fileSize = 0;
    std::int32_t dataStart = 0;
    std::int32_t compressedSize = 0;
    std::int32_t lastByte = 0;
    std::int32_t nextHeader = 0;
    std::uint8_t firstDisk = 0, lastDisk = 0;
    TDateTime date = DefaultStamp();
    std::string version;
};
inline std::string RecordBytes(const RecordSpec& r) {
    TFileHeaderRecord rec;
    rec.SetFileNumber(1);
    rec.SetFileDate(r.date);
    rec.SetLastDisk(r.lastDisk);
    rec.SetLastByte(r.lastByte);
    rec.SetFileName(r.name);
    rec.SetNextHeader(r.nextHeader);
    rec.SetFileSize(r.fileSize);
    rec.SetDataStart(r.dataStart);
    rec.SetCompressedSize(r.compressedSize);
    rec.SetFirstDisk(r.firstDisk);
    rec.SetFileVersion(r.version);
    return std::string(reinterpret_cast<const char*>(rec.bytes.data()), rec.bytes.size());
}
inline std::string Preamble(std::int32_t count, std::uint8_t multiDisk = 0) {
    std::string s;
    platform::le::Append32(s, std::uint32_t(count));
    s += char(multiDisk);
    return s;
}
// A single-file archive of (name, stored data, header size) entries, laid out as the
// engine lays it out, starting at archive offset 0.
struct Item {
    std::string name;
    std::string data;  // the bytes stored as the file's compressed data
    std::int32_t fileSize;
};
inline std::string SingleFileArchive(const std::vector<Item>& items) {
    std::string out = Preamble(std::int32_t(items.size()));
    for (const Item& it : items) {
        RecordSpec r;
        r.name = it.name;
        r.fileSize = it.fileSize;
        r.dataStart = std::int32_t(out.size() + TFileHeaderRecord::Size);
        r.compressedSize = std::int32_t(it.data.size());
        r.lastByte = r.dataStart + r.compressedSize - 1;
        r.nextHeader = r.lastByte + 1;
        out += RecordBytes(r) + it.data;
    }
    return out;
}

class ArchiveTest : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        InitVersionUnit();
        // The engine processes pending messages through the application: headless here.
        InitApplication();
        headless = &ui::UseHeadlessBackend();
        engine = std::make_unique<TZarnCompress>(nullptr);
    }
    void TearDown() override {
        engine.reset();
        ui::SetBackend(nullptr);
        ScratchTest::TearDown();
    }

    // A file with the given content and last-write stamp.
    void Make(const std::string& path, const std::string& content, TDateTime stamp = DefaultStamp()) {
        WriteText(path, content);
        platform::Handle h = platform::CreateFile(path, platform::GenericWrite, 0, platform::OpenExisting);
        ASSERT_NE(h, platform::InvalidHandle);
        EXPECT_TRUE(FileSetDate(h, stamp));
        platform::CloseHandle(h);
    }
    static TDateTime Stamp(const std::string& path) {
        platform::Handle h = platform::CreateFile(path, platform::GenericRead, 3, platform::OpenExisting);
        TDateTime d = FileGetDate(h);
        platform::CloseHandle(h);
        return d;
    }
    void Pack(const std::string& archive, const std::vector<std::string>& files,
              TlzhCommand command = TlzhCommand::lzcOverwrite) {
        engine->SetCompressedFile(archive);
        engine->FilesToProcess()->Clear();
        for (auto& f : files) engine->FilesToProcess()->Add(f);
        engine->Compress(command);
    }
    void Unpack(const std::string& archive, const std::string& dir, const std::vector<std::string>& names) {
        engine->SetCompressedFile(archive);
        engine->SetExtractDirectory(dir);
        engine->FilesToProcess()->Clear();
        for (auto& n : names) engine->FilesToProcess()->Add(n);
        engine->Extract();
    }

    std::unique_ptr<TZarnCompress> engine;
    ui::THeadlessBackend* headless = nullptr;
};

}  // namespace zarn::test
