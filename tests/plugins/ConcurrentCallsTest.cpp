// The sample plug-ins' concurrent calls (extractCall on several threads at once, settleCall in the
// order of the scan) against their one-after-another extract over the same candidates: the same
// finds byte for byte, the same failures, the same tails and members left out, and under
// ThreadSanitizer no race between the calls, detect and settle.

#include "tests/plugins/Archivesamples.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Soundsamples.h"
#include "tests/plugins/Temporaryfolder.h"
#include "tests/plugins/Toolfiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Answer {
    std::uint64_t offset = 0;
    unsigned result = 0;
    int failure = EXTRACT_NOTHING_FOUND;
    std::string message;
    Bytes output;

    bool operator==(const Answer& other) const
    {
        return offset == other.offset && result == other.result && failure == other.failure &&
               message == other.message && output == other.output;
    }
};

void PrintTo(const Answer& answer, std::ostream* out)
{
    *out << "{offset " << answer.offset << ", result " << answer.result << ", failure " << answer.failure
         << ", \"" << answer.message << "\", " << answer.output.size() << " bytes}";
}

// The program's services for one call: the input read from a file of the test's own, no size
// window, never cancelled.
class CallHost {
public:
    explicit CallHost(const Bytes& content) : content(content)
    {
        host.size = sizeof host;
        host.context = this;
        host.getExtractSizeWindow = [](void*, uint64_t* minimum, uint64_t* maximum) {
            *minimum = 0;
            *maximum = UINT64_MAX;
        };
        host.isCancelled = [](void*) { return 0; };
        host.getInputSize = [](void* context) -> uint64_t { return static_cast<CallHost*>(context)->content.size(); };
        host.readInput = [](void* context, uint64_t offset, unsigned char* target, uint32_t count) -> int64_t {
            const Bytes& bytes = static_cast<CallHost*>(context)->content;
            if (offset >= bytes.size()) {
                return 0;
            }
            const std::size_t piece = std::min<std::size_t>(count, bytes.size() - offset);
            std::copy(bytes.begin() + static_cast<long>(offset), bytes.begin() + static_cast<long>(offset + piece), target);
            return static_cast<int64_t>(piece);
        };
    }

    ExtractHost host{};

private:
    const Bytes& content;
};

class ConcurrentCallsTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        plugin = std::make_unique<LoadedPlugin>(GetParam());
        (*plugin)->setConfig(&config);
        extension = plugin->extension();
        ASSERT_NE(extension, nullptr);
        ASSERT_NE(extension->promises & EXTRACT_PROMISE_CONCURRENT, 0u);
        ASSERT_NE(extension->extractCall, nullptr);
        ASSERT_NE(extension->settleCall, nullptr);
    }

    // The positions where detect holds, with the window's bytes past the end zero.
    std::vector<std::uint64_t> candidates(const Bytes& content) const
    {
        Bytes padded = content;
        padded.resize(content.size() + (*plugin)->getWindowSize(), 0);
        std::vector<std::uint64_t> found;
        for (std::size_t at = 0; at < content.size(); ++at) {
            if ((*plugin)->detect(padded.data() + at)) {
                found.push_back(at);
            }
        }
        return found;
    }

    std::vector<Answer> oneAfterAnother(const std::string& input, const Bytes& content,
                                        const std::vector<std::uint64_t>& offsets)
    {
        CallHost host(content);
        extension->setHost(plugin->get(), &host.host);
        std::vector<Answer> answers;
        for (std::uint64_t offset : offsets) {
            const std::string output = folder.file("out.bin");
            Answer answer;
            answer.offset = offset;
            answer.result = (*plugin)->extract(input.c_str(), static_cast<unsigned>(offset >> 32),
                                               static_cast<unsigned>(offset), output.c_str());
            if (answer.result == 0) {
                const char* message = nullptr;
                answer.failure = extension->getExtractFailure(plugin->get(), &message);
                if (answer.failure != EXTRACT_NOTHING_FOUND && message != nullptr) {
                    answer.message = message;
                }
            } else {
                answer.output = TemporaryFolder::read(output);
            }
            std::filesystem::remove(output);
            answers.push_back(answer);
        }
        extension->setHost(plugin->get(), nullptr);
        return answers;
    }

    struct Pending {
        std::string output;
        char message[1024];
        ExtractCall call{};
    };

    // Every candidate's call on threads of the test's own, then settled in order, the ones in
    // dropped as a run drops the calls that an earlier plug-in's find at the same position made
    // needless.
    std::vector<Answer> beside(const std::string& input, const Bytes& content,
                               const std::vector<std::uint64_t>& offsets, std::size_t threads,
                               const std::vector<bool>& dropped = {})
    {
        CallHost host(content);
        extension->setHost(plugin->get(), &host.host);
        std::vector<std::unique_ptr<Pending>> calls;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            auto pending = std::make_unique<Pending>();
            pending->output = folder.file("call" + std::to_string(i) + ".part");
            ExtractCall& call = pending->call;
            call.size = sizeof call;
            call.inputPath = input.c_str();
            call.offset = offsets[i];
            call.outputPath = pending->output.c_str();
            call.host = &host.host;
            call.message = pending->message;
            call.messageCapacity = sizeof pending->message;
            calls.push_back(std::move(pending));
        }
        std::atomic<std::size_t> next{0};
        std::vector<std::thread> workers;
        for (std::size_t t = 0; t < threads; ++t) {
            workers.emplace_back([&] {
                for (std::size_t i = next++; i < calls.size(); i = next++) {
                    extension->extractCall(plugin->get(), &calls[i]->call);
                }
            });
        }
        // The run's thread goes on detecting meanwhile.
        for (int round = 0; round < 3; ++round) {
            candidates(content);
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
        std::vector<Answer> answers;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            ExtractCall& call = calls[i]->call;
            const bool taken = i >= dropped.size() || !dropped[i];
            const bool written = call.result > 0;
            if (extension->settleCall(plugin->get(), &call, taken ? 1 : 0) != 0 && taken) {
                std::filesystem::remove(calls[i]->output);
                extension->extractCall(plugin->get(), &call);
                EXPECT_EQ(extension->settleCall(plugin->get(), &call, 1), 0);
            }
            if (!taken) {
                std::filesystem::remove(calls[i]->output);
                continue;
            }
            Answer answer;
            answer.offset = call.offset;
            answer.result = call.result;
            if (call.result == 0) {
                answer.failure = call.failure;
                answer.message = call.failure != EXTRACT_NOTHING_FOUND ? call.message : "";
                // A withdrawn find is the program's to remove; a failed call leaves nothing.
                EXPECT_TRUE(written || !std::filesystem::exists(calls[i]->output)) << call.offset;
            } else {
                answer.output = TemporaryFolder::read(calls[i]->output);
            }
            std::filesystem::remove(calls[i]->output);
            answers.push_back(answer);
        }
        extension->setHost(plugin->get(), nullptr);
        return answers;
    }

    // Each file twice, back to back, then again after a stretch of noise, then cut short.
    static Bytes corpusOf(const std::vector<Bytes>& files)
    {
        Bytes corpus = SampleFiles::random(301, 1);
        for (int round = 0; round < 2; ++round) {
            for (const Bytes& file : files) {
                corpus.insert(corpus.end(), file.begin(), file.end());
                corpus.insert(corpus.end(), file.begin(), file.end());
                Bytes noise = SampleFiles::random(97 + round, static_cast<std::uint32_t>(corpus.size()));
                corpus.insert(corpus.end(), noise.begin(), noise.end());
            }
        }
        const Bytes& last = files.front();
        corpus.insert(corpus.end(), last.begin(), last.begin() + static_cast<long>(last.size() / 2));
        return corpus;
    }

    Bytes samples() const
    {
        const std::string kind = GetParam();
        if (kind == "mp3") {
            return corpusOf({SoundSamples::mp3Bare(), SoundSamples::mp3WithTags()});
        }
        if (kind == "png") {
            return corpusOf({SampleFiles::png(7, 5, 3), SampleFiles::png(30, 2, 4)});
        }
        if (kind == "jpeg") {
            return corpusOf({SampleFiles::jpeg(16, 16, 6)});
        }
        // A DVD stream repeats its system header, so each of its navigation packs is a candidate;
        // a fragmented MP4's media data boxes are candidates too. Cut, each remembers the walk
        // that failed.
        const std::string source = "ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -t 4 -map_metadata -1 -fflags +bitexact ";
        if (kind == "mpg") {
            return corpusOf({ToolFiles::make(source + "-c:v mpeg2video -b:v 300k -f vob {out}")});
        }
        if (kind == "isomedia") {
            return corpusOf({ToolFiles::make(source + "-c:v mpeg4 -g 5 -movflags frag_keyframe+empty_moov -f mp4 {out}")});
        }
        ArchiveSamples archives(11);
        if (kind == "gz") {
            // Two members: the second is a member of the first find.
            Bytes first = archives.gzip();
            Bytes both = first;
            both.insert(both.end(), first.begin(), first.end());
            return corpusOf({both});
        }
        if (kind == "tar") {
            return corpusOf({archives.tar("ustar")});
        }
        return corpusOf({archives.zip()});
    }

    FakeExtractConfig config;
    TemporaryFolder folder;
    std::unique_ptr<LoadedPlugin> plugin;
    const ExtractPluginExtension* extension = nullptr;
};

TEST_P(ConcurrentCallsTest, CallsSideBySideAnswerAsCallsOneAfterAnother)
{
    const Bytes content = samples();
    const std::string input = folder.write("input.bin", content);
    const std::vector<std::uint64_t> offsets = candidates(content);
    ASSERT_FALSE(offsets.empty());
    const std::vector<Answer> expected = oneAfterAnother(input, content, offsets);
    ASSERT_GE(std::count_if(expected.begin(), expected.end(), [](const Answer& a) { return a.result > 0; }), 2);
    for (std::size_t threads : {1u, 4u}) {
        EXPECT_EQ(beside(input, content, offsets, threads), expected) << threads << " threads";
    }
}

TEST_P(ConcurrentCallsTest, ADroppedCallTeachesNothing)
{
    const Bytes content = samples();
    const std::string input = folder.write("input.bin", content);
    const std::vector<std::uint64_t> offsets = candidates(content);
    ASSERT_FALSE(offsets.empty());
    // As if another plug-in had taken the first candidate: what follows is met without it.
    const std::vector<std::uint64_t> rest(offsets.begin() + 1, offsets.end());
    const std::vector<Answer> expected = oneAfterAnother(input, content, rest);
    ConcurrentCallsTest::TearDown();
    SetUp();
    std::vector<bool> dropped(offsets.size(), false);
    dropped[0] = true;
    EXPECT_EQ(beside(input, content, offsets, 4, dropped), expected);
}

INSTANTIATE_TEST_SUITE_P(SamplePlugins, ConcurrentCallsTest,
                         ::testing::Values("mp3", "gz", "tar", "zip", "png", "jpeg", "mpg", "isomedia"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
