// The scanning core over the real sample plug-ins: a run that asks plug-ins only where their
// signatures match gives exactly what a run that offers every position gives.

#include "app/Glintfetchfactory.h"
#include "engine/ExtractPlugin.h"
#include "engine/Extractmodel.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "engine/Pluginextension.h"
#include "framework/IObserver.h"
#include "framework/IValueObject.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Notification {
    std::string status;
    std::string log;
    std::uint64_t position;
    std::uint64_t processed;
    unsigned extracted;
    bool operator==(const Notification& other) const {
        return status == other.status && log == other.log && position == other.position &&
               processed == other.processed && extracted == other.extracted;
    }
};

std::ostream& operator<<(std::ostream& out, const Notification& n) {
    return out << n.status << " " << n.log << " @" << n.position << "/" << n.processed;
}

std::uint64_t joined(IExtractModel* model, void (IExtractModel::*getter)(unsigned*, unsigned*)) {
    unsigned high = 0;
    unsigned low = 0;
    (model->*getter)(&high, &low);
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// Every notification, with the output folder's path in its log replaced, so that runs into two
// folders can be compared.
class Transcript : public IObserver {
public:
    explicit Transcript(IExtractModel* model) : model(model) {}

    void update(IObservable*, IValueObject* values) override {
        std::string log = values->getValue("log");
        for (std::size_t at = log.find(folder); at != std::string::npos; at = log.find(folder, at)) {
            log.replace(at, folder.size(), "<out>");
        }
        notifications.push_back(Notification{values->getValue("status"), log,
                                             joined(model, &IExtractModel::getCurrentPosition),
                                             joined(model, &IExtractModel::getProcessedSize),
                                             model->getExtractedCount()});
    }

    IExtractModel* model;
    std::string folder;
    std::vector<Notification> notifications;
};

std::map<std::string, Bytes> filesBelow(const fs::path& root) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = TemporaryFolder::read(entry.path().string());
        }
    }
    return files;
}

void put(Bytes& corpus, std::size_t at, const Bytes& piece) {
    if (corpus.size() < at + piece.size()) corpus.resize(at + piece.size());
    std::copy(piece.begin(), piece.end(), corpus.begin() + static_cast<std::ptrdiff_t>(at));
}

Bytes record(const std::string& text) {
    Bytes bytes(5 + text.size());
    const std::string head = "GFC!";
    std::copy(head.begin(), head.end(), bytes.begin());
    bytes[4] = static_cast<unsigned char>(text.size());
    std::copy(text.begin(), text.end(), bytes.begin() + 5);
    return bytes;
}

void putBigEndian32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

} // namespace

class ScanTest : public ::testing::Test {
protected:
    // The corpus, made once: every sample kind at odd and even offsets, back to back, nested in
    // another find, across a block's end and a refill step, cut short, and at the very end of an
    // input, where the window reaches past its last byte.
    static void SetUpTestSuite() {
        folder = std::make_unique<TemporaryFolder>();
        const Bytes png = SampleFiles::png(40, 30, 1);
        const Bytes jpeg = SampleFiles::jpeg(48, 32, 2);
        const Bytes bmp = SampleFiles::bmp(20, 10, 3);
        const Bytes gif = SampleFiles::gif(24, 16, 4);
        std::size_t dataOffset = 0;
        Bytes samples = SampleFiles::random(6000, 5);
        std::copy(png.begin(), png.end(), samples.begin() + 1001);
        const Bytes wav = SampleFiles::wav(samples, dataOffset);
        std::vector<std::size_t> frameOffsets;
        const Bytes avi = SampleFiles::avi({SampleFiles::random(32 * 24 * 3, 6), SampleFiles::random(32 * 24 * 3, 7)},
                                           frameOffsets);
        const Bytes gfc = record("plain C");

        Bytes first = SampleFiles::random(3 * 1024 * 1024, 8);
        std::size_t at = 1001;
        for (const Bytes* piece : {&png, &jpeg, &bmp, &gif, &wav, &avi, &gfc}) {
            put(first, at, *piece);          // odd
            put(first, at + 40001, *piece);  // even
            at += 80000 + 2;
        }
        // Back to back.
        at = 700000;
        for (const Bytes* piece : {&jpeg, &png, &gif, &bmp, &gfc, &avi, &wav}) {
            put(first, at, *piece);
            at += piece->size();
        }
        // Across the end of the first block and a refill step of the 30-byte window.
        put(first, (1u << 20) - 100, png);
        put(first, 29970 * 60 - 7, gif);
        // Cut short: the first half of each.
        at = 2500001;
        for (const Bytes* piece : {&png, &jpeg, &bmp, &gif, &wav, &avi, &gfc}) {
            put(first, at, Bytes(piece->begin(), piece->begin() + static_cast<std::ptrdiff_t>(piece->size() / 2)));
            at += 20000;
        }
        // At the very end: a whole record, then the start of a PNG whose window runs past the end.
        first.resize(3 * 1024 * 1024 - 3 - 40);
        first.insert(first.end(), gfc.begin(), gfc.end());
        first.insert(first.end(), png.begin(), png.begin() + 10);
        inputs.push_back(folder->write("first.img", first));
        inputs.push_back(folder->write("second.img", record("x")));
        inputs.push_back(folder->write("third.img", Bytes{'G', 'F'}));
    }

    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override {
        factory = createGlintfetchFactory();
        config = factory->createConfigModel();
        plugins = factory->createPluginModel();
        model = factory->createExtractModel(config, plugins);
        transcript = std::make_unique<Transcript>(model);
        model->addObserver(transcript.get());
        config->buildDefaultDocument();
        config->setCreateDirPerFile(true);
        config->setCreateDirPerData(true);
        config->setLimitFromText("");
        config->save();
    }

    void TearDown() override {
        factory.reset();
        transcript.reset();
    }

    // A whole run into a fresh folder; its transcript.
    std::vector<Notification> runInto(const std::string& name, bool signatures,
                                      const std::vector<std::string>& files = inputs) {
        const fs::path out = folder->path() / name;
        fs::create_directories(out);
        transcript->folder = out.string();
        transcript->notifications.clear();
        config->save();
        model->setOutputDirectory(out.string());
        model->clearInputFiles();
        for (const std::string& input : files) model->addInputFile(input);
        model->prepare();
        dynamic_cast<ExtractModel&>(*model).setSignaturesUsed(signatures);
        model->run();
        return transcript->notifications;
    }

    static std::unique_ptr<TemporaryFolder> folder;
    static std::vector<std::string> inputs;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* config = nullptr;
    IPluginModel* plugins = nullptr;
    IExtractModel* model = nullptr;
    std::unique_ptr<Transcript> transcript;
};

std::unique_ptr<TemporaryFolder> ScanTest::folder;
std::vector<std::string> ScanTest::inputs;

TEST_F(ScanTest, AskingOnlyWhereSignaturesMatchChangesNothingButTheTime) {
    const std::vector<Notification> everywhere = runInto("everywhere", false);
    const std::vector<Notification> matched = runInto("matched", true);

    EXPECT_EQ(matched, everywhere);
    const auto written = filesBelow(folder->path() / "matched");
    EXPECT_EQ(written, filesBelow(folder->path() / "everywhere"));
    // The corpus is no trivial one: every kind is found, and the run went through it all.
    std::set<std::string> kinds;
    for (const auto& [name, bytes] : written) kinds.insert(fs::path(name).parent_path().filename().string());
    EXPECT_EQ(kinds, (std::set<std::string>{"avi", "bmp", "gfc", "gif", "jpg", "png", "wav"}));
    EXPECT_GE(written.size(), 7u * 3 + 2);
    ASSERT_FALSE(matched.empty());
    EXPECT_EQ(matched.back().status, "COMPLETED");
    // A refill every 999 windows of the largest plug-in, however many plug-ins the folder holds.
    unsigned window = 0;
    for (unsigned i = 0; i < plugins->getPluginCount(); ++i) {
        if (plugins->getPlugin(i)->isEnabled()) window = std::max(window, plugins->getPlugin(i)->getWindowSize());
    }
    ASSERT_GT(window, 0u);
    EXPECT_EQ(std::count_if(matched.begin(), matched.end(),
                            [](const Notification& n) { return n.status == "PROCESSING" && n.log.empty(); }),
              static_cast<long>(fs::file_size(inputs[0]) / (999ull * window)));
}

// Data on which a signature matches at every other byte, over more than one block: the readers
// ahead keep only so many candidates of a block, and the run matches the rest itself.
TEST_F(ScanTest, ASignatureMatchingEverywhereChangesNothingButTheTime) {
    Bytes dense(2 * 1024 * 1024 + 7);
    for (std::size_t i = 0; i < dense.size(); ++i) dense[i] = i % 2 == 0 ? 0xFF : 0xD8;
    const std::string input = folder->write("dense.img", dense);
    const std::vector<Notification> everywhere = runInto("dense-everywhere", false, {input});
    const std::vector<Notification> matched = runInto("dense-matched", true, {input});
    EXPECT_EQ(matched, everywhere);
    EXPECT_EQ(filesBelow(folder->path() / "dense-matched"), filesBelow(folder->path() / "dense-everywhere"));
    ASSERT_FALSE(matched.empty());
    EXPECT_EQ(matched.back().status, "COMPLETED");
}

// Every sample plug-in declares patterns, and its own samples match them; the plug-in in plain C
// declares none and is offered every position.
TEST_F(ScanTest, SamplePluginsDeclareSignaturesThatTheirFilesMatch) {
    const std::map<std::string, Bytes> samples = {
        {"glintfetch.png", SampleFiles::png(8, 8, 1)},   {"glintfetch.jpeg", SampleFiles::jpeg(8, 8, 1)},
        {"glintfetch.bmp", SampleFiles::bmp(8, 8, 1)},   {"glintfetch.gif", SampleFiles::gif(8, 8, 1)},
        {"glintfetch.wav", [] { std::size_t o; return SampleFiles::wav(Bytes(64, 1), o); }()},
        {"glintfetch.avi", [] { std::vector<std::size_t> o; return SampleFiles::avi({Bytes(32 * 24 * 3, 1)}, o); }()},
    };
    plugins->loadPlugins(config);
    std::set<std::string> declared;
    for (unsigned i = 0; i < plugins->getPluginCount(); ++i) {
        IExtractPlugin* plugin = plugins->getPlugin(i);
        const std::string id = plugin->getID();
        const PluginExtension extension = plugins->getExtension(i);
        const ExtractSignature* signatures = nullptr;
        const int count = extension.getSignatures(plugin, &signatures);
        if (id == "plainc") {
            EXPECT_LT(count, 0);
            continue;
        }
        const auto sample = samples.find(id);
        if (sample == samples.end()) continue;
        SCOPED_TRACE(id);
        ASSERT_GT(count, 0);
        bool matches = false;
        for (int s = 0; s < count; ++s) {
            bool all = true;
            for (unsigned b = 0; b < signatures[s].length; ++b) {
                const unsigned char mask = signatures[s].mask != nullptr ? signatures[s].mask[b] : 0xFF;
                all = all && (sample->second[signatures[s].offset + b] & mask) == (signatures[s].bytes[b] & mask);
            }
            matches = matches || all;
            EXPECT_LE(signatures[s].offset + signatures[s].length, plugin->getWindowSize());
        }
        EXPECT_TRUE(matches);
        EXPECT_TRUE(plugin->detect(sample->second.data()));
        declared.insert(id);
    }
    EXPECT_EQ(declared.size(), samples.size());
}

TEST_F(ScanTest, APluginWhoseDeclarationLiesChangesNothing) {
    const std::vector<Notification> honest = runInto("honest", true);
    config->setProperty("enabled", "true", "liar");
    const std::vector<Notification> lied = runInto("lied", true);
    EXPECT_EQ(lied, honest);
    EXPECT_EQ(filesBelow(folder->path() / "lied"), filesBelow(folder->path() / "honest"));
}

TEST_F(ScanTest, APlainCPluginWithoutDeclarationsFindsItsData) {
    const std::vector<Notification> notifications = runInto("plain", true, {inputs[1]});
    const auto written = filesBelow(folder->path() / "plain");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written.begin()->first, "second.img/gfc/gfc00000.gfc");
    EXPECT_EQ(written.begin()->second, record("x"));
    EXPECT_EQ(notifications.back().log, "抽出完了. 1 件のファイルを抽出しました（gfc 1 件）。");
}

// Inputs built so that every candidate reaches far ahead: each must cost what its own checks
// need, so the whole run takes time in proportion to the input.
TEST_F(ScanTest, CraftedInputsRunInTimeLinearInTheirSize) {
    // A PNG signature, a valid IHDR and an IDAT of length 0x7FFFFFFF, every 41 bytes.
    Bytes unit{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr{'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0};
    putBigEndian32(unit, 13);
    unit.insert(unit.end(), ihdr.begin(), ihdr.end());
    putBigEndian32(unit, static_cast<std::uint32_t>(crc32(0, ihdr.data(), static_cast<uInt>(ihdr.size()))));
    putBigEndian32(unit, 0x7FFFFFFF);
    unit.insert(unit.end(), {'I', 'D', 'A', 'T'});
    ASSERT_EQ(unit.size(), 41u);
    Bytes pngs;
    while (pngs.size() < 2 * 1024 * 1024) pngs.insert(pngs.end(), unit.begin(), unit.end());

    // A GIF whose comment extension's sub-blocks run to the end, each holding a GIF header whose
    // own comment's first sub-block ends where the next one of the outer chain begins.
    Bytes gifs{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x21, 0xFE};
    while (gifs.size() < 8 * 1024 * 1024) {
        Bytes block(256, 0x55);
        block[0] = 0xFF;
        const Bytes header{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x21, 0xFE, 0xEF};
        std::copy(header.begin(), header.end(), block.begin() + 1);
        gifs.insert(gifs.end(), block.begin(), block.end());
    }
    const std::vector<std::string> crafted{folder->write("pngs.bin", pngs), folder->write("gifs.bin", gifs)};

    const auto start = std::chrono::steady_clock::now();
    const std::vector<Notification> notifications = runInto("crafted", true, crafted);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(notifications.back().status, "COMPLETED");
    EXPECT_TRUE(filesBelow(folder->path() / "crafted").empty());
    // Quadratic work took minutes here; linear work takes well under a second.
    EXPECT_LT(seconds, 60.0);
}
