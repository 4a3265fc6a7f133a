// Deflating in blocks on several threads: the stream the blocks are joined into, and the
// engine's Jobs setting.
#include <gtest/gtest.h>

#include "archive/routines_Compression.h"
#include "platform/thread.h"
#include "tests/archive/archive_fixture.h"

namespace zarn::test {
namespace {

constexpr std::size_t kBlock = TParallelCompressionStream::BlockSize;

std::string Mixed(std::size_t n) {
    std::string s = TextBytes(n / 2) + NoiseBytes(n / 4, 7) + std::string(n / 8, '\0');
    return s + TextBytes(n - s.size());
}

std::string ParallelDeflate(const std::string& data, TCompressionLevel level, int jobs, int* progress = nullptr) {
    TMemoryStream target;
    TParallelCompressionStream zip(level, &target, jobs);
    if (progress) zip.OnProgress = [&](TObject*) { ++*progress; };
    TMemoryStream source;
    if (!data.empty()) source.WriteBuffer(data.data(), std::int32_t(data.size()));
    zip.CopyFrom(&source, 0);
    EXPECT_EQ(zip.Seek(0, TSeekOrigin::soCurrent), std::int64_t(data.size()));
    zip.EndInput();
    const std::int64_t joined = target.Size();
    zip.Finish();
    if (progress) {
        EXPECT_EQ(*progress, joined / 65536);  // none in Finish
    }
    return std::string(target.Data().begin(), target.Data().end());
}

TEST(ParallelCompressionTest, JoinedBlocksAreOneZlibStreamAtEverySizeAndLevel) {
    // Around the block boundaries, with the calling thread alone (1 job) and with workers.
    for (std::size_t n : {std::size_t(0), std::size_t(1), kBlock - 1, kBlock, kBlock + 1, 3 * kBlock + 12345}) {
        const std::string data = Mixed(n);
        for (int jobs : {1, 2, 3}) {
            for (TCompressionLevel level : {TCompressionLevel::colNone, TCompressionLevel::colFastest,
                                            TCompressionLevel::colDefault, TCompressionLevel::colMax}) {
                const std::string out = ParallelDeflate(data, level, jobs);
                SCOPED_TRACE("size " + std::to_string(n) + ", jobs " + std::to_string(jobs) + ", level " +
                             std::to_string(int(level)));
                // Inflate checks the Adler-32 trailer too.
                EXPECT_EQ(Inflate(out, n), data);
                // The header is the one deflate writes at that level.
                TMemoryStream plain;
                {
                    TCompressionStream zip(level, &plain);
                }
                EXPECT_EQ(out.substr(0, 2), std::string(plain.Data().begin(), plain.Data().begin() + 2));
            }
        }
    }
    // Nothing at all: the same bytes as the single stream.
    EXPECT_EQ(ParallelDeflate("", TCompressionLevel::colMax, 2), std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

TEST(ParallelCompressionTest, PrimedBlocksCostLittleAndProgressFollowsTheOutput) {
    const std::string text = TextBytes(20 * kBlock) + Mixed(6 * kBlock);
    int progress = 0;
    const std::string parallel = ParallelDeflate(text, TCompressionLevel::colMax, 4, &progress);
    TMemoryStream plain;
    {
        TCompressionStream zip(TCompressionLevel::colMax, &plain);
        zip.WriteBuffer(text.data(), std::int32_t(text.size()));
    }
    EXPECT_LE(double(parallel.size()), double(plain.Size()) * 1.01);
    // One call per full 64 KB block written.
    EXPECT_EQ(progress, int(parallel.size() / 65536));
}

TEST(ParallelCompressionTest, AFailingProgressHandlerEndsTheStreamWithoutHanging) {
    const std::string noise = NoiseBytes(8 * kBlock);
    TMemoryStream target, source;
    source.WriteBuffer(noise.data(), std::int32_t(noise.size()));
    try {
        TParallelCompressionStream zip(TCompressionLevel::colFastest, &target, 3);
        zip.OnProgress = [](TObject*) { throw EZCStop(); };
        zip.CopyFrom(&source, 0);
        FAIL();
    } catch (const EZCStop&) {
    }
    EXPECT_EQ(target.Size(), 65536);  // the block whose progress call failed
}

TEST(ThreadServiceTest, WorkersRunAndEventsWakeThem) {
    EXPECT_GE(platform::ProcessorCount(), 1u);
    platform::Mutex m;
    platform::Event go, back;
    int counter = 0;
    std::vector<std::unique_ptr<platform::Thread>> threads;
    for (int i = 0; i < 3; ++i) {
        threads.push_back(std::make_unique<platform::Thread>());
        ASSERT_TRUE(threads.back()->Start([&] {
            go.Wait();
            for (int k = 0; k < 10000; ++k) {
                platform::MutexLock lock(m);
                ++counter;
            }
            back.Set();
        }));
    }
    for (int i = 0; i < 3; ++i) {
        go.Set();
        back.Wait();  // one Set lets exactly one waiter through
    }
    for (auto& t : threads) t->Join();
    EXPECT_EQ(counter, 30000);
    EXPECT_FALSE(threads[0]->Running());
}

class ParallelEngineTest : public ArchiveTest {};

TEST_F(ParallelEngineTest, JobsChangeOnlyHowLargeFilesAreDeflated) {
    const std::string big = Mixed(5 * kBlock + 777), small = TextBytes(kBlock);
    Make(Path("big.bin"), big);
    Make(Path("small.txt"), small);
    Pack(Path("one.arc"), {Path("big.bin"), Path("small.txt")});
    std::vector<std::string> events;
    engine->SetJobs(2);
    engine->OnBeforeAdding = [&](TZarnCompress*, const TlzhFileStats& s) { events.push_back("before " + s.FileName); };
    engine->OnStatus = [&](TZarnCompress*, const TlzhFileStats& s) {
        events.push_back(s.Finished ? "finished" : "status");
    };
    engine->OnAfterAdding = [&](TZarnCompress*, const TlzhFileStats& s) { events.push_back("after " + s.FileName); };
    Pack(Path("two.arc"), {Path("big.bin"), Path("small.txt")});
    // Per file: before, progress steps, the final report, after.
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(events.front(), "before " + Path("big.bin"));
    auto after = std::find(events.begin(), events.end(), "after " + Path("big.bin"));
    ASSERT_NE(after, events.end());
    EXPECT_EQ(*(after - 1), "finished");
    EXPECT_EQ(std::count(events.begin(), after, "finished"), 1);
    EXPECT_EQ(events.back(), "after " + Path("small.txt"));

    const std::string one = ReadText(Path("one.arc")), two = ReadText(Path("two.arc"));
    EXPECT_LE(double(two.size()), double(one.size()) * 1.01);
    engine->SetCompressedFile(Path("two.arc"));
    ASSERT_EQ(engine->FileCount(), 2);
    // A file of one block is deflated as with 1 job, byte for byte.
    const TFileHeaderRecord& s1 = engine->FileHeaders()->GetFileHeaders(1)->Record;
    EXPECT_EQ(two.substr(std::size_t(s1.DataStart())), one.substr(one.size() - two.size() + std::size_t(s1.DataStart())));
    Unpack(Path("two.arc"), Path("out"), {Path("big.bin"), Path("small.txt")});
    EXPECT_EQ(ReadText(Path("out\\big.bin")), big);
    EXPECT_EQ(ReadText(Path("out\\small.txt")), small);

    engine->SetJobs(0);
    EXPECT_EQ(engine->Jobs(), 1);
    engine->SetJobs(1000);
    EXPECT_EQ(engine->Jobs(), TZarnCompress::MaxJobs);
}

TEST_F(ParallelEngineTest, AbortStopsAParallelAddOnTheCallingThread) {
    Make(Path("big.bin"), NoiseBytes(6 * kBlock));
    engine->SetJobs(3);
    bool aborted = false;
    engine->OnAborted = [&](TObject*) { aborted = true; };
    int steps = 0;
    engine->OnStatus = [&](TZarnCompress* e, const TlzhFileStats&) {
        if (++steps == 2) e->SetAbort(true);
    };
    Pack(Path("a.arc"), {Path("big.bin")});
    EXPECT_TRUE(aborted);
    EXPECT_EQ(steps, 2);
}

}  // namespace
}  // namespace zarn::test
