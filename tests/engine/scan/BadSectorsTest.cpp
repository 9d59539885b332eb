// A run over an input with sectors that cannot be read, as a worn card or disk has them: the run
// goes on past them, keeps every find clear of them exactly as without them, names every stretch,
// and leaves out (or, when asked, marks) the finds that needed them. The faults are injected at
// the platform layer, beneath every reader of the input, the threads reading ahead among them.

#include "app/Glintfetchfactory.h"
#include "engine/Extractmodel.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "engine/Scanbuffer.h"
#include "framework/IObserver.h"
#include "framework/IValueObject.h"
#include "platform/os/ReadFaults.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t megabyte = 1024 * 1024;
constexpr std::uint64_t findOffsetInMegabyte = 4099;

struct Told {
    std::string status;
    std::string log;
    std::string offset;
    std::string size;
    std::string damaged;
};

class Recorder : public IObserver {
public:
    void update(IObservable*, IValueObject* values) override {
        told.push_back(Told{values->getValue("status"), values->getValue("log"), values->getValue("offset"),
                            values->getValue("size"), values->getValue("damaged")});
    }
    std::vector<Told> told;
};

struct Stretch {
    std::uint64_t offset;
    std::uint64_t length;
};

// Where a case puts its faults, from the run's block size and the input's size.
struct FaultCase {
    const char* name;
    std::vector<Stretch> (*faults)(std::uint64_t block, std::uint64_t size);
};

std::uint64_t sectorDown(std::uint64_t offset) { return offset / 512 * 512; }

}  // namespace

class BadSectorsTest : public ::testing::TestWithParam<FaultCase> {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<TemporaryFolder>();
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        IConfigModel* config = factory->createConfigModel();
        IPluginModel* plugins = factory->createPluginModel();
        config->buildDefaultDocument();
        plugins->loadPlugins(config);
        unsigned window = 0;
        for (unsigned i = 0; i < plugins->getPluginCount(); ++i) {
            if (plugins->getPlugin(i)->isEnabled()) window = std::max(window, plugins->getPlugin(i)->getWindowSize());
        }
        block = ScanBuffer::positionsFor(ExtractModel::blockPositions, window, ExtractModel::bufferBudget);
        // Three blocks, the last one short; a picture in every megabyte. No sparse stretch: the
        // faults lie beneath the reads of the input's data.
        Bytes image(2 * block + 2 * megabyte + 777, 0x5A);
        picture = SampleFiles::bmp(160, 100, 9);
        // Both suites of the fixture set it up.
        finds.clear();
        // And one across the end of the first block, which the plug-in reads partly from memory
        // and partly from the input itself.
        const std::uint64_t across = block - 1000;
        for (std::uint64_t at = findOffsetInMegabyte; at + picture.size() <= image.size(); at += megabyte) {
            if (at < across + picture.size() && across < at + picture.size()) continue;
            finds.push_back(at);
        }
        finds.push_back(across);
        std::sort(finds.begin(), finds.end());
        for (const std::uint64_t at : finds) {
            std::copy(picture.begin(), picture.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
        }
        input = folder->write("card.img", image);
        size = image.size();
    }

    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override {
        factory = createGlintfetchFactory();
        config = factory->createConfigModel();
        plugins = factory->createPluginModel();
        model = factory->createExtractModel(config, plugins);
        model->addObserver(&recorder);
        config->buildDefaultDocument();
        config->setCreateDirPerFile(false);
        config->setCreateDirPerData(false);
        config->setLimitFromText("");
    }

    void TearDown() override {
        os::ReadFaults::clear();
        factory.reset();
    }

    fs::path run(const std::string& name, bool keepDamaged) {
        const fs::path out = folder->path() / name;
        fs::create_directories(out);
        config->setKeepDamaged(keepDamaged);
        config->save();
        recorder.told.clear();
        model->setOutputDirectory(out.string());
        model->clearInputFiles();
        model->addInputFile(input);
        model->prepare();
        model->run();
        return out;
    }

    // The written finds by input offset.
    std::map<std::uint64_t, Bytes> written() const {
        std::map<std::uint64_t, Bytes> byOffset;
        for (const Told& told : recorder.told) {
            if (told.status != "FOUND") continue;
            const std::string file = told.log.substr(told.log.rfind("→ ") + std::string("→ ").size());
            const std::string path = file.substr(0, file.find("（"));
            byOffset[std::stoull(told.offset)] = TemporaryFolder::read(path);
        }
        return byOffset;
    }

    static std::unique_ptr<TemporaryFolder> folder;
    static std::string input;
    static std::uint64_t size;
    static std::uint64_t block;
    static Bytes picture;
    static std::vector<std::uint64_t> finds;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* config = nullptr;
    IPluginModel* plugins = nullptr;
    IExtractModel* model = nullptr;
    Recorder recorder;
};

std::unique_ptr<TemporaryFolder> BadSectorsTest::folder;
std::string BadSectorsTest::input;
std::uint64_t BadSectorsTest::size = 0;
std::uint64_t BadSectorsTest::block = 0;
Bytes BadSectorsTest::picture;
std::vector<std::uint64_t> BadSectorsTest::finds;

TEST_P(BadSectorsTest, EveryFindClearOfTheFaultsIsKeptAndEveryStretchNamed) {
    const std::vector<Stretch> faults = GetParam().faults(block, size);
    // What the run can tell: whole sectors, merged where they meet.
    std::vector<Stretch> unreadable;
    for (const Stretch& fault : faults) {
        os::ReadFaults::inject(input, static_cast<std::int64_t>(fault.offset), static_cast<std::int64_t>(fault.length));
        const std::uint64_t from = sectorDown(fault.offset);
        const std::uint64_t to = std::min(size, sectorDown(fault.offset + fault.length + 511));
        if (!unreadable.empty() && unreadable.back().offset + unreadable.back().length >= from) {
            unreadable.back().length = to - unreadable.back().offset;
        } else {
            unreadable.push_back(Stretch{from, to - from});
        }
    }
    run(GetParam().name, false);

    const std::map<std::uint64_t, Bytes> got = written();
    unsigned leftOut = 0;
    for (const std::uint64_t at : finds) {
        const bool touched = std::any_of(unreadable.begin(), unreadable.end(), [&](const Stretch& s) {
            return s.offset < at + picture.size() && at < s.offset + s.length;
        });
        SCOPED_TRACE(at);
        if (touched) {
            EXPECT_EQ(got.count(at), 0u);
            // Only a picture whose header could be read is found at all.
            const bool headerRead = std::none_of(unreadable.begin(), unreadable.end(), [&](const Stretch& s) {
                return s.offset < at + 64 && at < s.offset + s.length;
            });
            if (headerRead) ++leftOut;
        } else {
            ASSERT_EQ(got.count(at), 1u);
            EXPECT_TRUE(got.at(at) == picture);
        }
    }
    std::vector<Stretch> named;
    for (const Told& told : recorder.told) {
        if (told.status == "UNREADABLE") named.push_back(Stretch{std::stoull(told.offset), std::stoull(told.size)});
    }
    ASSERT_EQ(named.size(), unreadable.size());
    for (std::size_t i = 0; i < named.size(); ++i) {
        EXPECT_EQ(named[i].offset, unreadable[i].offset) << i;
        EXPECT_EQ(named[i].length, unreadable[i].length) << i;
    }
    ASSERT_FALSE(recorder.told.empty());
    const Told& last = recorder.told.back();
    EXPECT_EQ(last.status, "COMPLETED");
    EXPECT_EQ(last.log.rfind("抽出完了（問題あり）.", 0), 0u) << last.log;
    EXPECT_NE(last.log.find("読み込めなかった範囲 " + std::to_string(unreadable.size()) + " か所"), std::string::npos)
        << last.log;
    if (leftOut > 0) {
        EXPECT_NE(last.log.find("書き出さなかったもの " + std::to_string(leftOut) + " 件"), std::string::npos)
            << last.log;
    }
    // The failing stretches cost a bounded number of tries each, however they lie: the run
    // reads the input once for the scan and at most once more for the plug-ins.
    EXPECT_LE(os::ReadFaults::failedReads(input), 2 * 3 * (64 + (block + megabyte) / 65536) + 40 * faults.size());
    EXPECT_LE(os::ReadFaults::reads(input), 3 * os::ReadFaults::failedReads(input) + 64 * (size / megabyte + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BadSectorsTest,
    ::testing::Values(
        FaultCase{"OneBadSectorBetweenFinds",
                  [](std::uint64_t, std::uint64_t) { return std::vector<Stretch>{{3 * megabyte + 512 * 1000, 512}}; }},
        FaultCase{"AStretchInsideAFind",
                  [](std::uint64_t, std::uint64_t) {
                      return std::vector<Stretch>{{megabyte + findOffsetInMegabyte + 9000, 3000}};
                  }},
        FaultCase{"AStretchInAFindOfABlockReadAhead",
                  [](std::uint64_t block, std::uint64_t) {
                      const std::uint64_t find = (block / megabyte + 1) * megabyte + findOffsetInMegabyte;
                      return std::vector<Stretch>{{find + 20000, 700}};
                  }},
        FaultCase{"AStretchInAFindAcrossABlocksEnd",
                  [](std::uint64_t block, std::uint64_t) { return std::vector<Stretch>{{block + 30000, 2000}}; }},
        FaultCase{"AMegabyteAcrossTwoBlocks",
                  [](std::uint64_t block, std::uint64_t) {
                      return std::vector<Stretch>{{block - 400000, 1000000}};
                  }},
        FaultCase{"TheInputsLastBytes",
                  [](std::uint64_t, std::uint64_t size) { return std::vector<Stretch>{{size - 100, 100}}; }},
        FaultCase{"ManyScatteredSectors",
                  [](std::uint64_t, std::uint64_t size) {
                      std::vector<Stretch> faults;
                      for (std::uint64_t at = 200 * 1024; at + 512 < size; at += 384 * 1024 + 512) {
                          faults.push_back(Stretch{at, 512});
                      }
                      return faults;
                  }}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// With the setting on, a find that needed unreadable bytes is written with zeros there and told
// as damaged; the others are as they would be.
TEST_F(BadSectorsTest, DamagedFindsAreKeptWhenTheSettingsSaySo) {
    const std::uint64_t find = 2 * megabyte + findOffsetInMegabyte;
    os::ReadFaults::inject(input, static_cast<std::int64_t>(find + 8192), 1024);
    run("kept", true);
    const std::map<std::uint64_t, Bytes> got = written();
    EXPECT_EQ(got.size(), finds.size());
    ASSERT_EQ(got.count(find), 1u);
    Bytes expected = picture;
    // Whole sectors of the device are lost.
    const std::uint64_t from = sectorDown(find + 8192) - find;
    const std::uint64_t to = sectorDown(find + 8192 + 1024 + 511) - find;
    std::fill(expected.begin() + static_cast<std::ptrdiff_t>(from), expected.begin() + static_cast<std::ptrdiff_t>(to), 0);
    EXPECT_TRUE(got.at(find) == expected);
    for (const Told& told : recorder.told) {
        if (told.status == "FOUND") {
            EXPECT_EQ(told.damaged, std::stoull(told.offset) == find ? "true" : "false");
        }
    }
    const std::string& summary = recorder.told.back().log;
    EXPECT_EQ(summary.rfind("抽出完了（問題あり）.", 0), 0u) << summary;
    EXPECT_NE(summary.find("ゼロで埋めて書き出したもの（破損）1 件"), std::string::npos) << summary;
}

// A device pulled out ends its input with a message of its own; what was written stays.
TEST_F(BadSectorsTest, AVanishedDeviceEndsItsInputAndKeepsWhatWasWritten) {
    os::ReadFaults::inject(input, static_cast<std::int64_t>(block + megabyte / 2), 1ll << 40,
                           os::ReadFaults::Kind::gone);
    const fs::path out = run("gone", false);
    const std::map<std::uint64_t, Bytes> got = written();
    // Every find of the first block, at the least, was written before the device went.
    for (const std::uint64_t at : finds) {
        if (at + picture.size() > block) continue;
        ASSERT_EQ(got.count(at), 1u) << at;
        EXPECT_TRUE(got.at(at) == picture);
    }
    EXPECT_FALSE(fs::is_empty(out));
    const std::vector<ExtractFailedInput> failed = model->getFailedInputs();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_NE(failed[0].reason.find("デバイスが見つからない"), std::string::npos) << failed[0].reason;
    EXPECT_EQ(recorder.told.back().status, "COMPLETED");
}
