// extract on single candidates: the size window, corrupt files, the 64-bit offset and what is left
// on disk when nothing is extracted.

#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

Bytes sampleOf(const std::string& folder)
{
    std::size_t ignored = 0;
    std::vector<std::size_t> frames;
    if (folder == "png") {
        return SampleFiles::png(21, 13, 1);
    }
    if (folder == "jpeg") {
        return SampleFiles::jpeg(21, 13, 2);
    }
    if (folder == "gif") {
        return SampleFiles::gif(21, 13, 3);
    }
    if (folder == "bmp") {
        return SampleFiles::bmp(21, 13, 4);
    }
    if (folder == "wav") {
        return SampleFiles::wav(SampleFiles::random(333, 5), ignored);
    }
    return SampleFiles::avi({SampleFiles::random(123, 6), SampleFiles::random(77, 7)}, frames);
}

std::size_t find(const Bytes& bytes, const std::string& text)
{
    auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    if (at == bytes.end()) {
        throw std::runtime_error("no " + text + " in the sample");
    }
    return static_cast<std::size_t>(at - bytes.begin());
}

void patch32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Where the sample GIF's one image descriptor begins: its image lies at 0,0.
std::size_t imageDescriptor(const Bytes& gif)
{
    return find(gif, std::string("\x2C\0\0\0\0", 5));
}

std::uint32_t read32(const Bytes& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// An input holding prefix random bytes, then the file, and nothing after it.
struct Candidate {
    std::string input;
    std::uint64_t offset;
};

Candidate writeCandidate(const TemporaryFolder& folder, const Bytes& file, std::size_t prefix = 7)
{
    Bytes content = SampleFiles::random(prefix, 99);
    content.insert(content.end(), file.begin(), file.end());
    return {folder.write("input.bin", content), prefix};
}

unsigned extract(IExtractPlugin* plugin, const Candidate& candidate, const std::string& output)
{
    return plugin->extract(candidate.input.c_str(), static_cast<unsigned>(candidate.offset >> 32),
                           static_cast<unsigned>(candidate.offset), output.c_str());
}

const char* const folders[] = {"png", "jpeg", "gif", "bmp", "wav", "avi"};

class SizeWindowTest : public ::testing::TestWithParam<const char*> {
};

TEST_P(SizeWindowTest, ExtractsOnlyWithinTheWindow)
{
    TemporaryFolder folder;
    FakeExtractConfig config;
    LoadedPlugin plugin(GetParam());
    plugin->setConfig(&config);
    Bytes file = sampleOf(GetParam());
    int size = static_cast<int>(file.size());
    Candidate candidate = writeCandidate(folder, file);
    ASSERT_TRUE(plugin->detect(file.data()));

    struct Case {
        int minimum;
        int maximum;
        bool extracted;
    };
    const Case cases[] = {
        {0, -1, true}, {size, -1, true}, {size + 1, -1, false},
        {0, size, true}, {0, size - 1, false}, {size, size, true},
    };
    for (const Case& c : cases) {
        config.minimumSize = c.minimum;
        config.maximumSize = c.maximum;
        std::string output = folder.file("out.bin");
        unsigned result = extract(plugin.get(), candidate, output);
        SCOPED_TRACE("window " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " for " +
                     std::to_string(size) + " bytes");
        if (c.extracted) {
            EXPECT_EQ(result, file.size());
            EXPECT_EQ(TemporaryFolder::read(output), file);
        } else {
            EXPECT_EQ(result, 0u);
            EXPECT_FALSE(std::filesystem::exists(output)) << "a rejected candidate writes nothing";
        }
        std::filesystem::remove(output);
    }
}

TEST_P(SizeWindowTest, MissingInputOrUnwritableOutputExtractsNothing)
{
    TemporaryFolder folder;
    FakeExtractConfig config;
    LoadedPlugin plugin(GetParam());
    plugin->setConfig(&config);
    Candidate candidate = writeCandidate(folder, sampleOf(GetParam()));

    EXPECT_EQ(extract(plugin.get(), {folder.file("missing.bin"), 7}, folder.file("a.out")), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder.file("a.out")));
    EXPECT_EQ(extract(plugin.get(), candidate, folder.file("no-such-folder/b.out")), 0u);
    EXPECT_EQ(extract(plugin.get(), {candidate.input, 1u << 20}, folder.file("c.out")), 0u)
        << "an offset past the input's end";
}

TEST_P(SizeWindowTest, ReadsFromAnOffsetBeyondFourGigabytes)
{
    TemporaryFolder folder;
    FakeExtractConfig config;
    LoadedPlugin plugin(GetParam());
    plugin->setConfig(&config);
    Bytes file = sampleOf(GetParam());
    const std::uint64_t offset = (std::uint64_t{1} << 32) + 5;
    std::string input = folder.file("sparse.bin");
    {
        std::ofstream create(input, std::ios::binary);
    }
    // A hole up to the offset: no disk space is used for it.
    std::filesystem::resize_file(input, offset);
    {
        std::ofstream append(input, std::ios::binary | std::ios::app);
        append.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    std::string output = folder.file("out.bin");
    EXPECT_EQ(plugin->extract(input.c_str(), 1, 5, output.c_str()), file.size());
    EXPECT_EQ(TemporaryFolder::read(output), file);
    EXPECT_EQ(plugin->extract(input.c_str(), 0, 5, output.c_str()), 0u) << "the high half is not dropped";
}

namespace {

// The program's side of the 64-bit size window, as a run hands it to a plug-in.
struct WholeWindow {
    std::uint64_t minimum = 0;
    std::uint64_t maximum = UINT64_MAX;

    static void get(void* context, std::uint64_t* minimum, std::uint64_t* maximum)
    {
        const auto* self = static_cast<const WholeWindow*>(context);
        *minimum = self->minimum;
        *maximum = self->maximum;
    }
    static int notCancelled(void*) { return 0; }
};

const ExtractPluginExtension* extensionOf(const std::string& folder)
{
    // The library is loaded already; this only looks up its export.
    void* handle = dlopen(LoadedPlugin::pathOf(folder).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return nullptr;
    }
    auto get = reinterpret_cast<GetExtractPluginExtensionFunction>(dlsym(handle, "_getExtractPluginExtension"));
    dlclose(handle);
    return get != nullptr ? get() : nullptr;
}

}  // namespace

// A sample plug-in with settings of its own and its table of optional operations, to be handed
// the program's services.
class HostTest : public ::testing::TestWithParam<const char*> {
protected:
    HostTest() : plugin(GetParam()), extension(extensionOf(GetParam()))
    {
        plugin->setConfig(&config);
    }

    TemporaryFolder folder;
    FakeExtractConfig config;
    LoadedPlugin plugin;
    const ExtractPluginExtension* extension;
};

// With the program's services, the whole 64-bit window counts, bounds past the largest int
// included, and the int view of the settings no longer does; withdrawn, the int view counts again.
TEST_P(HostTest, TheWholeWindowOfTheHostOutranksTheIntView)
{
    ASSERT_NE(extension, nullptr);
    ASSERT_GE(extension->size, offsetof(ExtractPluginExtension, setHost) + sizeof extension->setHost);
    ASSERT_NE(extension->setHost, nullptr);
    Bytes file = sampleOf(GetParam());
    const std::uint64_t size = file.size();
    Candidate candidate = writeCandidate(folder, file);

    WholeWindow window;
    const ExtractHost host{sizeof(ExtractHost), &window, &WholeWindow::get, &WholeWindow::notCancelled, nullptr, nullptr};
    // The int view alone would refuse every candidate.
    config.maximumSize = 10;
    extension->setHost(plugin.get(), &host);

    const std::uint64_t beyondInt = std::uint64_t{3} << 30;
    struct Case {
        std::uint64_t minimum;
        std::uint64_t maximum;
        bool extracted;
    };
    const Case cases[] = {
        {0, UINT64_MAX, true}, {0, beyondInt, true}, {size, size, true},
        {beyondInt, UINT64_MAX, false}, {size + 1, beyondInt, false}, {0, size - 1, false},
    };
    for (const Case& c : cases) {
        window.minimum = c.minimum;
        window.maximum = c.maximum;
        SCOPED_TRACE("window " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " for " +
                     std::to_string(size) + " bytes");
        std::string output = folder.file("out.bin");
        const unsigned result = extract(plugin.get(), candidate, output);
        if (c.extracted) {
            EXPECT_EQ(result, size);
            EXPECT_EQ(TemporaryFolder::read(output), file);
        } else {
            EXPECT_EQ(result, 0u);
            EXPECT_FALSE(std::filesystem::exists(output));
        }
        std::filesystem::remove(output);
    }

    window.minimum = 0;
    window.maximum = UINT64_MAX;
    extension->setHost(plugin.get(), nullptr);
    EXPECT_EQ(extract(plugin.get(), candidate, folder.file("int.bin")), 0u) << "the int view counts again";
    config.maximumSize = -1;
    EXPECT_EQ(extract(plugin.get(), candidate, folder.file("int.bin")), size);
}

namespace {

// The program's side of the input reads: bytes in memory, as the run's block holds them, and a
// count of the reads; failing makes every read fail, as a bad sector would.
struct MemoryInput {
    Bytes bytes;
    unsigned reads = 0;
    bool failing = false;

    static std::uint64_t size(void* context) { return static_cast<MemoryInput*>(context)->bytes.size(); }
    static std::int64_t read(void* context, std::uint64_t offset, unsigned char* target, std::uint32_t count)
    {
        auto* self = static_cast<MemoryInput*>(context);
        ++self->reads;
        if (self->failing) {
            return -1;
        }
        if (offset >= self->bytes.size()) {
            return 0;
        }
        const std::size_t copied = std::min<std::size_t>(count, self->bytes.size() - offset);
        std::copy_n(self->bytes.begin() + static_cast<std::ptrdiff_t>(offset), copied, target);
        return static_cast<std::int64_t>(copied);
    }
    static void window(void*, std::uint64_t* minimum, std::uint64_t* maximum)
    {
        *minimum = 0;
        *maximum = UINT64_MAX;
    }
    static int notCancelled(void*) { return 0; }
};

}  // namespace

// With a host that serves the input, a plug-in reads it there and never opens the path it is
// handed; a read the host cannot serve is the input's failure, not "nothing here".
TEST_P(HostTest, ThePluginReadsTheInputThroughTheHost)
{
    ASSERT_NE(extension, nullptr);
    const Bytes file = sampleOf(GetParam());
    MemoryInput input;
    input.bytes = SampleFiles::random(7, 99);
    input.bytes.insert(input.bytes.end(), file.begin(), file.end());
    const ExtractHost host{sizeof(ExtractHost), &input, &MemoryInput::window, &MemoryInput::notCancelled,
                           &MemoryInput::size, &MemoryInput::read};
    extension->setHost(plugin.get(), &host);
    const std::string missing = folder.file("no such input");
    const std::string output = folder.file("out.bin");

    EXPECT_EQ(plugin->extract(missing.c_str(), 0, 7, output.c_str()), file.size());
    EXPECT_EQ(TemporaryFolder::read(output), file);
    EXPECT_GT(input.reads, 0u);
    std::filesystem::remove(output);

    input.failing = true;
    EXPECT_EQ(plugin->extract(missing.c_str(), 0, 7, output.c_str()), 0u);
    EXPECT_FALSE(std::filesystem::exists(output));
    const char* message = nullptr;
    EXPECT_EQ(extension->getExtractFailure(plugin.get(), &message), EXTRACT_INPUT_FAILED);
    ASSERT_NE(message, nullptr);
    EXPECT_NE(std::string(message).find(missing), std::string::npos) << message;
    extension->setHost(plugin.get(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Samples, SizeWindowTest, ::testing::ValuesIn(folders),
                         [](const auto& info) { return std::string(info.param); });
INSTANTIATE_TEST_SUITE_P(Samples, HostTest, ::testing::ValuesIn(folders),
                         [](const auto& info) { return std::string(info.param); });

TEST(CorruptCandidate, IsNotExtracted)
{
    struct Case {
        const char* folder;
        const char* fault;
        std::function<void(Bytes&)> corrupt;
    };
    const Case cases[] = {
        {"png", "a flipped bit in the image data", [](Bytes& b) { b[find(b, "IDAT") + 8] ^= 0x10; }},
        {"png", "a chunk length past the input", [](Bytes& b) { b[find(b, "IDAT") - 4] = 0x7F; }},
        {"jpeg", "a segment length below 2", [](Bytes& b) { b[4] = 0; b[5] = 1; }},
        {"jpeg", "no end of image", [](Bytes& b) { b.resize(b.size() - 2); }},
        {"gif", "an image without width", [](Bytes& b) { std::fill_n(&b[imageDescriptor(b) + 5], 2, 0); }},
        {"gif", "an LZW code the table lacks", [](Bytes& b) { std::fill_n(&b[imageDescriptor(b) + 12], 4, 0xFF); }},
        {"gif", "no trailer", [](Bytes& b) { b.back() = 0x00; }},
        {"bmp", "a file size past the input", [](Bytes& b) { patch32(b, 2, read32(b, 2) + 1); }},
        {"bmp", "pixels past the file size", [](Bytes& b) { patch32(b, 10, read32(b, 10) + 64); }},
        {"bmp", "an unknown header size", [](Bytes& b) { patch32(b, 14, 41); }},
        {"wav", "a chunk past the form's end",
         [](Bytes& b) { patch32(b, find(b, "data") + 4, read32(b, find(b, "data") + 4) + 2); }},
        {"wav", "no format chunk", [](Bytes& b) { b[find(b, "fmt ") + 2] = 'x'; }},
        {"wav", "a form size short of its chunks", [](Bytes& b) { patch32(b, 4, read32(b, 4) - 10); }},
        {"avi", "no movie list", [](Bytes& b) { b[find(b, "movi") + 3] = 'x'; }},
        {"avi", "no main header", [](Bytes& b) { b[find(b, "avih")] = 'x'; }},
        {"avi", "an unprintable chunk identifier", [](Bytes& b) { b[find(b, "idx1")] = 0x01; }},
    };
    TemporaryFolder folder;
    FakeExtractConfig config;
    for (const Case& c : cases) {
        LoadedPlugin plugin(c.folder);
        plugin->setConfig(&config);
        Bytes file = sampleOf(c.folder);
        c.corrupt(file);
        std::string output = folder.file("out.bin");
        EXPECT_EQ(extract(plugin.get(), writeCandidate(folder, file), output), 0u) << c.folder << ": " << c.fault;
        EXPECT_FALSE(std::filesystem::exists(output)) << c.folder << ": " << c.fault;
    }
}

}
