// The run with candidates checked on several threads against the run on one thread, over the same
// inputs with every sample plug-in (and two of the first contract beside them): the same
// notifications in the same order with the same counters, the same log lines, the same files
// under the same numbers, byte for byte. Corpora: the sample kinds of the scanning tests, the
// archives and sounds that real tools write (with their members and frames, where the plug-ins'
// memory of earlier finds decides), and a slice of the real-data corpus.

#include "app/Glintfetchfactory.h"
#include "engine/Extractmodel.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/IObserver.h"
#include "framework/IValueObject.h"
#include "tests/plugins/Archivesamples.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Soundsamples.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
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
    return out << n.status << " " << n.log << " @" << n.position << "/" << n.processed << " #" << n.extracted;
}

std::uint64_t joined(IExtractModel* model, void (IExtractModel::*getter)(unsigned*, unsigned*)) {
    unsigned high = 0;
    unsigned low = 0;
    (model->*getter)(&high, &low);
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// Every notification (FOUND's included), the output folder's path in its log replaced.
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

// Each file twice back to back, then after noise, one more cut short at the end.
Bytes corpusOf(const std::vector<Bytes>& files, std::uint32_t seed) {
    Bytes corpus = SampleFiles::random(1001, seed);
    for (const Bytes& file : files) {
        for (int copy = 0; copy < 2; ++copy) corpus.insert(corpus.end(), file.begin(), file.end());
        const Bytes noise = SampleFiles::random(333 + corpus.size() % 7, seed + static_cast<std::uint32_t>(corpus.size()));
        corpus.insert(corpus.end(), noise.begin(), noise.end());
        corpus.insert(corpus.end(), file.begin(), file.end());
    }
    const Bytes& last = files.back();
    corpus.insert(corpus.end(), last.begin(), last.begin() + static_cast<std::ptrdiff_t>(last.size() / 2));
    return corpus;
}

}  // namespace

class ThreadedScanTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<TemporaryFolder>();
        std::size_t dataOffset = 0;
        std::vector<std::size_t> frameOffsets;
        pictures = folder->write(
            "pictures.img",
            corpusOf({SampleFiles::png(40, 30, 1), SampleFiles::jpeg(48, 32, 2), SampleFiles::bmp(20, 10, 3),
                      SampleFiles::gif(24, 16, 4), SampleFiles::wav(SampleFiles::random(6000, 5), dataOffset),
                      SampleFiles::avi({SampleFiles::random(32 * 24 * 3, 6)}, frameOffsets)},
                     11));
        ArchiveSamples archives(21);
        Bytes gzip = archives.gzip();
        const Bytes member = gzip;
        gzip.insert(gzip.end(), member.begin(), member.end());
        packed = folder->write(
            "archives.img",
            corpusOf({gzip, archives.tar("ustar"), archives.tar("gnu"), archives.zip(), archives.streamedZip(),
                      archives.bzip2(), archives.xz(), archives.sevenZip(), archives.document("docx"),
                      archives.document("odt"), archives.document("jar"), archives.rar5()},
                     12));
        sounds = folder->write("sounds.img",
                               corpusOf({SoundSamples::mp3Bare(), SoundSamples::mp3WithTags(), SoundSamples::mp2(),
                                         SoundSamples::oggVorbis(), SoundSamples::soxFlac(), SoundSamples::soxAiff(),
                                         SoundSamples::midi(2, 3), SoundSamples::webpLossy()},
                                        13));
        // A slice of the system's own files, as the real-data benchmark reads them.
        realData = (folder->path() / "realdata.img").string();
        const std::string command = "python3 '" GLINTFETCH_SOURCE_DIR "/scripts/realdata-corpus.py' --size 24M '" +
                                    realData + "' >/dev/null";
        realDataMade = std::system(command.c_str()) == 0 && fs::exists(realData);
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

    struct Outcome {
        std::vector<Notification> notifications;
        std::map<std::string, Bytes> files;
    };

    Outcome runWith(unsigned threads, const std::vector<std::string>& inputs) {
        const fs::path out = folder->path() / ("out-" + std::to_string(runs++));
        fs::create_directories(out);
        transcript->folder = out.string();
        transcript->notifications.clear();
        model->setOutputDirectory(out.string());
        model->clearInputFiles();
        for (const std::string& input : inputs) model->addInputFile(input);
        model->prepare();
        dynamic_cast<ExtractModel&>(*model).setCheckThreads(threads);
        model->run();
        Outcome outcome{transcript->notifications, filesBelow(out)};
        fs::remove_all(out);
        return outcome;
    }

    void expectSameAsOneThread(const std::vector<std::string>& inputs, std::size_t leastFinds) {
        const Outcome alone = runWith(0, inputs);
        ASSERT_FALSE(alone.notifications.empty());
        EXPECT_EQ(alone.notifications.back().status, "COMPLETED");
        EXPECT_GE(alone.files.size(), leastFinds);
        for (unsigned threads : {1u, 4u}) {
            const Outcome beside = runWith(threads, inputs);
            ASSERT_EQ(beside.notifications.size(), alone.notifications.size()) << threads << " threads";
            for (std::size_t i = 0; i < alone.notifications.size(); ++i) {
                ASSERT_EQ(beside.notifications[i], alone.notifications[i]) << threads << " threads, notification " << i;
            }
            EXPECT_EQ(beside.files.size(), alone.files.size()) << threads << " threads";
            EXPECT_TRUE(beside.files == alone.files) << threads << " threads";
        }
    }

    static std::unique_ptr<TemporaryFolder> folder;
    static std::string pictures;
    static std::string packed;
    static std::string sounds;
    static std::string realData;
    static bool realDataMade;
    int runs = 0;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* config = nullptr;
    IPluginModel* plugins = nullptr;
    IExtractModel* model = nullptr;
    std::unique_ptr<Transcript> transcript;
};

std::unique_ptr<TemporaryFolder> ThreadedScanTest::folder;
std::string ThreadedScanTest::pictures;
std::string ThreadedScanTest::packed;
std::string ThreadedScanTest::sounds;
std::string ThreadedScanTest::realData;
bool ThreadedScanTest::realDataMade = false;

TEST_F(ThreadedScanTest, PicturesComeOutAsOnOneThread) { expectSameAsOneThread({pictures}, 6 * 3); }

TEST_F(ThreadedScanTest, ArchivesWithTheirMembersComeOutAsOnOneThread) { expectSameAsOneThread({packed}, 30); }

TEST_F(ThreadedScanTest, SoundsWithTheirFramesComeOutAsOnOneThread) { expectSameAsOneThread({sounds}, 20); }

TEST_F(ThreadedScanTest, SeveralInputsInOneRunComeOutAsOnOneThread) {
    expectSameAsOneThread({sounds, pictures, packed, sounds}, 90);
}

TEST_F(ThreadedScanTest, RealDataComesOutAsOnOneThread) {
    ASSERT_TRUE(realDataMade) << "scripts/realdata-corpus.py could not write " << realData;
    expectSameAsOneThread({realData}, 10);
}

// A folder per kind that cannot be made (a file has its name): the same lines, in the same place.
TEST_F(ThreadedScanTest, AFolderThatCannotBeMadeIsToldAsOnOneThread) {
    config->setCreateDirPerFile(false);
    config->save();
    const fs::path blocked = folder->path() / "blocked";
    fs::create_directories(blocked);
    std::vector<Notification> expected;
    for (unsigned threads : {0u, 4u}) {
        model->setOutputDirectory(blocked.string());
        for (const char* kind : {"gz", "mp3", "png"}) folder->write("blocked/" + std::string(kind), Bytes{'x'});
        transcript->folder = blocked.string();
        transcript->notifications.clear();
        model->clearInputFiles();
        model->addInputFile(packed);
        model->addInputFile(sounds);
        model->addInputFile(pictures);
        model->prepare();
        dynamic_cast<ExtractModel&>(*model).setCheckThreads(threads);
        model->run();
        if (threads == 0) {
            expected = transcript->notifications;
        } else {
            EXPECT_EQ(transcript->notifications, expected);
        }
        const auto left = filesBelow(blocked);
        for (const auto& [name, bytes] : left) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
        fs::remove_all(blocked);
        fs::create_directories(blocked);
    }
}
