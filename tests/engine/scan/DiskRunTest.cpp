// A run over a camera card's image made by the file system's own tools: its files come out by
// name, deleted ones apart, and the carving covers what the file system leaves.

#include "app/Glintfetchfactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/IObserver.h"
#include "framework/IValueObject.h"
#include "tests/plugins/Samplefiles.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Told {
    std::string status;
    std::string method;
    std::string originalPath;
    std::string state;
    std::string output;
    std::string offsets;
};

class Listener : public IObserver {
public:
    void update(IObservable*, IValueObject* values) override {
        const std::string status = values->getValue("status");
        if (status != "FOUND" && status != "LISTED") return;
        told.push_back(Told{status, values->getValue("method"), values->getValue("originalPath"),
                            values->getValue("state"), values->getValue("outputFile"),
                            values->getValue("offsets")});
    }
    std::vector<Told> told;
};

std::vector<Bytes> filesIn(const fs::path& folder) {
    std::vector<Bytes> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(TemporaryFolder::read(entry.path().string()));
    }
    return files;
}

bool holds(const std::vector<Bytes>& files, const Bytes& wanted) {
    for (const Bytes& file : files) {
        if (file == wanted) return true;
    }
    return false;
}

}  // namespace

class DiskRunTest : public ::testing::Test {
protected:
    // DSC00004 fills the hole DSC00002 left and goes on behind DSC00003, which is deleted last;
    // the fifth picture lies behind the file system's end, where only the carving looks.
    static void SetUpTestSuite() {
        folder = std::make_unique<TemporaryFolder>();
        for (int i = 0; i < 5; ++i) pictures.push_back(SampleFiles::jpeg(i == 3 ? 160 : 96, 64, 40 + i));
        for (int i = 0; i < 5; ++i) folder->write("p" + std::to_string(i + 1) + ".jpg", pictures[i]);
        const std::string card = "card.img";
        const std::string line =
            "cd '" + folder->path().string() + "' && export MTOOLS_SKIP_CHECK=1 && ( "
            "dd if=/dev/zero of=card.img bs=1M count=9 && mkfs.vfat -C -F 16 -s 1 fat.img 8192 && "
            "mmd -i fat.img ::DCIM ::DCIM/100CAMER && "
            "mcopy -i fat.img p1.jpg ::DCIM/100CAMER/DSC00001.JPG && mcopy -i fat.img p2.jpg ::DCIM/100CAMER/DSC00002.JPG && "
            "mcopy -i fat.img p3.jpg ::DCIM/100CAMER/DSC00003.JPG && mdel -i fat.img ::DCIM/100CAMER/DSC00002.JPG && "
            "mcopy -i fat.img p4.jpg ::DCIM/100CAMER/DSC00004.JPG && mdel -i fat.img ::DCIM/100CAMER/DSC00003.JPG && "
            "dd if=fat.img of=card.img conv=notrunc && dd if=p5.jpg of=card.img bs=1M seek=8 conv=notrunc "
            ") >/dev/null 2>&1";
        ASSERT_EQ(std::system(line.c_str()), 0);
        cardPath = folder->file(card);
    }

    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override {
        factory = createGlintfetchFactory();
        config = factory->createConfigModel();
        plugins = factory->createPluginModel();
        model = factory->createExtractModel(config, plugins);
        model->addObserver(&listener);
        config->buildDefaultDocument();
        config->setCreateDirPerFile(true);
        config->setCreateDirPerData(true);
        config->setLimitFromText("");
    }

    void TearDown() override { factory.reset(); }

    fs::path runInto(const std::string& name) {
        const fs::path out = folder->path() / name;
        fs::create_directories(out);
        config->save();
        model->setOutputDirectory(out.string());
        model->clearInputFiles();
        model->addInputFile(cardPath);
        model->prepare();
        model->run();
        return out / "card.img";
    }

    const Told* toldOf(const std::string& originalPath) const {
        for (const Told& told : listener.told) {
            if (told.originalPath == originalPath) return &told;
        }
        return nullptr;
    }

    static std::unique_ptr<TemporaryFolder> folder;
    static std::vector<Bytes> pictures;
    static std::string cardPath;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* config = nullptr;
    IPluginModel* plugins = nullptr;
    IExtractModel* model = nullptr;
    Listener listener;
};

std::unique_ptr<TemporaryFolder> DiskRunTest::folder;
std::vector<Bytes> DiskRunTest::pictures;
std::string DiskRunTest::cardPath;

TEST_F(DiskRunTest, FilesComeOutByNameAndTheCarvingFindsOnlyWhatTheyDoNot) {
    const fs::path out = runInto("defaults");
    const fs::path camera = out / "ボリューム1" / "DCIM" / "100CAMER";
    EXPECT_EQ(TemporaryFolder::read((camera / "DSC00001.JPG").string()), pictures[0]);
    // Fragmented: only its chain of clusters puts it together.
    EXPECT_EQ(TemporaryFolder::read((camera / "DSC00004.JPG").string()), pictures[3]);
    const fs::path deleted = out / "ボリューム1" / "削除済み" / "DCIM" / "100CAMER" / "DSC00003.JPG";
    EXPECT_EQ(TemporaryFolder::read(deleted.string()), pictures[2]);

    // The deleted picture lies in free space and is carved too, but not written twice; the one
    // behind the file system is carved.
    const std::vector<Bytes> carved = filesIn(out / "jpg");
    ASSERT_EQ(carved.size(), 1u);
    EXPECT_EQ(carved[0], pictures[4]);

    const Told* live = toldOf("ボリューム1/DCIM/100CAMER/DSC00001.JPG");
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live->status, "FOUND");
    EXPECT_EQ(live->method, "filesystem");
    EXPECT_EQ(live->state, "live");
    const Told* fragmented = toldOf("ボリューム1/DCIM/100CAMER/DSC00004.JPG");
    ASSERT_NE(fragmented, nullptr);
    EXPECT_NE(fragmented->offsets.find(','), std::string::npos) << fragmented->offsets;
    const Told* gone = toldOf("ボリューム1/DCIM/100CAMER/DSC00003.JPG");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->state, "deleted");
    EXPECT_EQ(gone->output, deleted.string());
    bool carving = false;
    for (const Told& told : listener.told) carving = carving || told.method == "carving";
    EXPECT_TRUE(carving);
    EXPECT_EQ(model->getExtractedCount(), 1u);
}

TEST_F(DiskRunTest, CarvingOnlyIsTheRunWithoutFileSystems) {
    config->setReadFileSystems(false);
    const fs::path out = runInto("carving");
    EXPECT_FALSE(fs::exists(out / "ボリューム1"));
    const std::vector<Bytes> carved = filesIn(out / "jpg");
    for (int i : {0, 2, 4}) EXPECT_TRUE(holds(carved, pictures[i])) << i;
    for (const Told& told : listener.told) EXPECT_EQ(told.method, "carving");
}

TEST_F(DiskRunTest, WholeVolumesAreCarvedWithoutWritingLiveFilesTwice) {
    config->setCarveWholeVolumes(true);
    const fs::path out = runInto("whole");
    EXPECT_EQ(TemporaryFolder::read((out / "ボリューム1" / "DCIM" / "100CAMER" / "DSC00001.JPG").string()),
              pictures[0]);
    const std::vector<Bytes> carved = filesIn(out / "jpg");
    EXPECT_FALSE(holds(carved, pictures[0]));
    EXPECT_FALSE(holds(carved, pictures[2]));
    EXPECT_TRUE(holds(carved, pictures[4]));
}

TEST_F(DiskRunTest, VolumesNotChosenAreNeitherReadNorCarved) {
    config->setVolumeChoice("2");
    const fs::path out = runInto("none");
    EXPECT_FALSE(fs::exists(out / "ボリューム1"));
    const std::vector<Bytes> carved = filesIn(out / "jpg");
    EXPECT_FALSE(holds(carved, pictures[0]));
    EXPECT_TRUE(holds(carved, pictures[4]));
}
