// Memory, file and handle streams.
#include <gtest/gtest.h>

#include <string>

#include "framework/streams.h"
#include "platform/files.h"

namespace {

std::string Temp(const std::string& name) { return platform::GetTempPath() + name; }

std::string ReadAll(TStream& s) {
    s.SetPosition(0);
    std::string r(std::size_t(s.Size()), '\0');
    if (!r.empty()) s.ReadBuffer(r.data(), std::int32_t(r.size()));
    return r;
}

TEST(MemoryStream, ReadWriteSeekAndSize) {
    TMemoryStream m;
    m.WriteBuffer("hello world", 11);
    EXPECT_EQ(m.Position(), 11);
    EXPECT_EQ(m.Size(), 11);
    m.SetPosition(6);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 8), 5);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(m.Read(buf, 8), 0);
    EXPECT_EQ(m.Seek(-5, TSeekOrigin::soEnd), 6);
    m.WriteBuffer("W", 1);
    m.Seek(2, TSeekOrigin::soCurrent);
    EXPECT_EQ(m.Position(), 9);
    m.SetSize(5);
    EXPECT_EQ(m.Position(), 5);
    EXPECT_EQ(ReadAll(m), "hello");
    m.SetPosition(8);  // writing past the end fills the gap
    m.WriteBuffer("!", 1);
    EXPECT_EQ(m.Size(), 9);
    m.SetPosition(0);
    char big[20];
    EXPECT_THROW(m.ReadBuffer(big, 20), EReadError);
}

TEST(FileStream, CreateOpenAndErrors) {
    std::string path = Temp("data.bin");
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer("0123456789", 10);
        EXPECT_EQ(f.Size(), 10);
        f.SetSize(4);
        EXPECT_EQ(f.Size(), 4);
    }
    {
        TFileStream f(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(ReadAll(f), "0123");
        EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
        char buf[8];
        f.SetPosition(2);
        EXPECT_THROW(f.ReadBuffer(buf, 8), EReadError);
    }
    {
        TFileStream f(path, fmOpenReadWrite);
        f.Seek(0, TSeekOrigin::soEnd);
        f.WriteBuffer("45", 2);
        EXPECT_EQ(ReadAll(f), "012345");
    }
    try {
        TFileStream f(Temp("missing.bin"), fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + Temp("missing.bin"));
    }
    EXPECT_THROW(TFileStream(Temp("no\\such\\folder\\x.bin"), fmCreate), EFCreateError);
    platform::DeleteFile(path);
}

TEST(HandleStream, WorksOverAHandleItDoesNotClose) {
    std::string path = Temp("handle.bin");
    platform::Handle h = platform::CreateFile(path, platform::GenericRead | platform::GenericWrite, 0,
                                              platform::CreateAlways);
    ASSERT_NE(h, platform::InvalidHandle);
    {
        THandleStream s(h);
        s.WriteBuffer("abc", 3);
        EXPECT_EQ(ReadAll(s), "abc");
    }
    // Still open after the stream is gone.
    EXPECT_EQ(platform::GetFileSize(h), 3u);
    EXPECT_TRUE(platform::CloseHandle(h));
    platform::DeleteFile(path);
}

TEST(Stream, CopyFrom) {
    TMemoryStream src;
    std::string data(100000, 'x');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = char('a' + i % 26);
    src.WriteBuffer(data.data(), std::int32_t(data.size()));
    // Zero copies the whole source from its start, wherever it stands.
    TMemoryStream all;
    EXPECT_EQ(all.CopyFrom(&src, 0), 100000);
    EXPECT_EQ(ReadAll(all), data);
    // A count copies from the current position.
    src.SetPosition(10);
    std::string path = Temp("copy.bin");
    {
        TFileStream f(path, fmCreate);
        EXPECT_EQ(f.CopyFrom(&src, 5), 5);
        EXPECT_EQ(ReadAll(f), "klmno");
    }
    src.SetPosition(99990);
    TMemoryStream part;
    EXPECT_THROW(part.CopyFrom(&src, 20), EReadError);
    // And a memory stream loads and saves files.
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(ReadAll(back), "klmno");
    platform::DeleteFile(path);
}

}  // namespace
