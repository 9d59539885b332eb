#include "engine/Metadatawriter.h"

#include "engine/Volumeplan.h"
#include "framework/Exception.h"
#include "framework/ITarnwickFactory.h"
#include "framework/Tarnwickfactory.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Contents = IDiskContents::Contents;
using Run = IDiskContents::Run;

// Contents laid out by hand: each file's bytes are its runs' bytes of image.
class FakeDisk : public IDiskContents {
public:
    const std::vector<Volume>& volumes() const override { return volumeList; }
    const std::vector<File>& files() const override { return fileList; }
    std::vector<Run> unallocated(std::uint32_t) override { return {}; }
    std::uint64_t read(std::size_t index, std::uint64_t offset, unsigned char* target,
                       std::uint64_t count) override {
        const File& file = fileList.at(index);
        if (file.contents == Contents::unknown) throw IOException("場所が分かりません。", "FakeDisk::read");
        if (failAfter >= 0 && offset >= static_cast<std::uint64_t>(failAfter)) {
            throw IOException("読み込めません。", "FakeDisk::read");
        }
        Bytes bytes;
        for (const Run& run : file.runs) {
            bytes.insert(bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(run.offset),
                         image.begin() + static_cast<std::ptrdiff_t>(run.offset + run.length));
        }
        if (offset >= bytes.size()) return 0;
        count = std::min<std::uint64_t>(count, bytes.size() - offset);
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                  bytes.begin() + static_cast<std::ptrdiff_t>(offset + count), target);
        return count;
    }

    File& add(std::uint32_t volume, const std::string& folder, const std::string& name, bool deleted,
              std::vector<Run> runs, Contents contents = Contents::intact) {
        File file;
        file.volume = volume;
        file.folder = folder;
        file.name = name;
        file.deleted = deleted;
        file.runs = std::move(runs);
        for (const Run& run : file.runs) file.size += run.length;
        file.contents = contents;
        file.modified = 1600000000;
        fileList.push_back(file);
        return fileList.back();
    }

    std::vector<Volume> volumeList;
    std::vector<File> fileList;
    Bytes image;
    long failAfter = -1;
};

std::unique_ptr<FakeDisk> makeDisk() {
    auto disk = std::make_unique<FakeDisk>();
    disk->image.resize(100000);
    for (std::size_t i = 0; i < disk->image.size(); ++i) disk->image[i] = static_cast<unsigned char>(i * 7 + 3);
    IDiskContents::Volume one;
    one.name = "ボリューム1";
    one.type = "FAT32";
    one.offset = 0;
    one.size = 60000;
    one.readable = true;
    IDiskContents::Volume two = one;
    two.name = "ボリューム2";
    two.offset = 60000;
    two.size = 40000;
    disk->volumeList = {one, two};
    return disk;
}

Bytes slice(const Bytes& image, std::uint64_t offset, std::uint64_t length) {
    return Bytes(image.begin() + static_cast<std::ptrdiff_t>(offset),
                 image.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

class MetadataWriterTest : public ::testing::Test {
protected:
    MetadataWriterTest()
        : factory(createTarnwickFactory()),
          writer(factory->createResource(), factory->createWritableRandomAccessFile(), factory->createMemory()) {}

    void write(std::unique_ptr<FakeDisk> made, const VolumePlan::Choice& choice = VolumePlan::Choice()) {
        disk = made.get();
        plan.open(std::move(made), choice);
        MetadataWriter::Listener listener;
        listener.told = [this](const MetadataWriter::Outcome& outcome) { outcomes.push_back(outcome); };
        listener.cancelled = [] { return false; };
        writer.write(plan, root(), listener);
    }

    std::string root() const { return folder.path().string() + "/out"; }

    const MetadataWriter::Outcome* outcomeOf(const std::string& name) const {
        for (const MetadataWriter::Outcome& outcome : outcomes) {
            if (outcome.file->name == name) return &outcome;
        }
        return nullptr;
    }

    TemporaryFolder folder;
    std::unique_ptr<ITarnwickFactory> factory;
    MetadataWriter writer;
    VolumePlan plan;
    FakeDisk* disk = nullptr;
    std::vector<MetadataWriter::Outcome> outcomes;
};

TEST_F(MetadataWriterTest, LiveAndDeletedFilesGoToTheirFoldersWithTheirBytesAndTimes) {
    auto made = makeDisk();
    made->add(0, "DCIM/100CAMER", "DSC00001.JPG", false, {{1000, 3000}, {9000, 500}});
    made->add(0, "DCIM/100CAMER", "DSC00002.JPG", true, {{5000, 2000}});
    made->add(1, "", "notes.txt", false, {{61000, 100}});
    const Bytes image = made->image;
    fs::create_directories(root());
    write(std::move(made));

    ASSERT_EQ(outcomes.size(), 3u);
    const std::string live = root() + "/ボリューム1/DCIM/100CAMER/DSC00001.JPG";
    EXPECT_EQ(outcomeOf("DSC00001.JPG")->outputPath, live);
    Bytes expected = slice(image, 1000, 3000);
    const Bytes tail = slice(image, 9000, 500);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(TemporaryFolder::read(live), expected);
    struct stat info {};
    ASSERT_EQ(::stat(live.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1600000000);

    const std::string gone = root() + "/ボリューム1/削除済み/DCIM/100CAMER/DSC00002.JPG";
    EXPECT_EQ(outcomeOf("DSC00002.JPG")->outputPath, gone);
    EXPECT_EQ(outcomeOf("DSC00002.JPG")->originalPath, "DCIM/100CAMER/DSC00002.JPG");
    EXPECT_EQ(TemporaryFolder::read(gone), slice(image, 5000, 2000));
    EXPECT_EQ(TemporaryFolder::read(root() + "/ボリューム2/notes.txt"), slice(image, 61000, 100));
}

TEST_F(MetadataWriterTest, DeletedFilesWithoutTheirBytesAreToldAndNotWritten) {
    auto made = makeDisk();
    made->add(0, "", "TAKEN.JPG", true, {{5000, 2000}}, Contents::reused);
    made->add(0, "", "LOST.JPG", true, {{8000, 1000}}, Contents::unknown);
    fs::create_directories(root());
    write(std::move(made));
    ASSERT_EQ(outcomes.size(), 2u);
    for (const MetadataWriter::Outcome& outcome : outcomes) {
        EXPECT_TRUE(outcome.outputPath.empty());
        EXPECT_FALSE(outcome.reason.empty());
    }
    EXPECT_FALSE(fs::exists(root() + "/ボリューム1/削除済み/TAKEN.JPG"));
    EXPECT_FALSE(fs::exists(root() + "/ボリューム1/削除済み/LOST.JPG"));
}

// A read that fails halfway leaves no half file behind that would pass for the whole one.
TEST_F(MetadataWriterTest, AFileThatCannotBeReadWholeIsRemoved) {
    auto made = makeDisk();
    made->add(0, "", "BIG.BIN", false, {{0, 50000}});
    made->failAfter = 0;
    fs::create_directories(root());
    write(std::move(made));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].outputPath.empty());
    EXPECT_NE(outcomes[0].reason.find("読み込めません"), std::string::npos);
    EXPECT_FALSE(fs::exists(root() + "/ボリューム1/BIG.BIN"));
}

TEST_F(MetadataWriterTest, NamesTakenByAnEarlierRunAreNeverWrittenOver) {
    fs::create_directories(root() + "/ボリューム1");
    folder.write("out/ボリューム1/A.JPG", Bytes{1, 2, 3});
    folder.write("out/ボリューム1/A (2).JPG", Bytes{4, 5, 6});
    auto made = makeDisk();
    made->add(0, "", "A.JPG", false, {{1000, 10}});
    write(std::move(made));
    EXPECT_EQ(outcomes[0].outputPath, root() + "/ボリューム1/A (3).JPG");
    EXPECT_EQ(TemporaryFolder::read(root() + "/ボリューム1/A.JPG"), (Bytes{1, 2, 3}));
}

TEST_F(MetadataWriterTest, OnlyTheChosenVolumesAreWritten) {
    auto made = makeDisk();
    made->add(0, "", "ONE.BIN", false, {{1000, 10}});
    made->add(1, "", "TWO.BIN", false, {{61000, 10}});
    fs::create_directories(root());
    VolumePlan::Choice choice;
    choice.volumes = "2";
    write(std::move(made), choice);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].file->name, "TWO.BIN");
    EXPECT_FALSE(fs::exists(root() + "/ボリューム1"));
}

TEST_F(MetadataWriterTest, CarvedFindsAreMatchedToWhatTheFileSystemSaid) {
    auto made = makeDisk();
    made->add(0, "", "SAME.JPG", true, {{5000, 2000}});
    made->add(0, "", "SPLIT.JPG", false, {{10000, 1000}, {20000, 1000}});
    made->add(0, "D", "LOST.JPG", true, {{30000, 1500}}, Contents::unknown);
    fs::create_directories(root());
    write(std::move(made));

    const auto carved = [&](const std::string& name) {
        folder.write("out/" + name, Bytes(10, 9));
        return root() + "/" + name;
    };
    MetadataWriter::Outcome named;
    // The same bytes at the same place: written already.
    std::string output = carved("jpg00000.jpg");
    EXPECT_EQ(writer.takeCarved(5000, 2000, output, named), MetadataWriter::Carved::duplicate);
    // Same start, other size: a find of its own.
    EXPECT_EQ(writer.takeCarved(5000, 1999, output, named), MetadataWriter::Carved::kept);
    // A file in two pieces cannot be what a contiguous find read.
    EXPECT_EQ(writer.takeCarved(10000, 2000, output, named), MetadataWriter::Carved::kept);
    // The deleted file whose bytes the file system lost gets its name back from the carving.
    output = carved("jpg00001.jpg");
    EXPECT_EQ(writer.takeCarved(30000, 1500, output, named), MetadataWriter::Carved::named);
    EXPECT_EQ(output, root() + "/ボリューム1/削除済み/D/LOST.JPG");
    EXPECT_EQ(named.originalPath, "D/LOST.JPG");
    EXPECT_TRUE(fs::exists(output));
    EXPECT_FALSE(fs::exists(root() + "/jpg00001.jpg"));
}

struct VolumeText {
    const char* text;
    bool valid;
    std::vector<std::uint32_t> numbers;
};

class VolumeChoiceTest : public ::testing::TestWithParam<VolumeText> {};

TEST_P(VolumeChoiceTest, Parses) {
    std::vector<std::uint32_t> numbers;
    EXPECT_EQ(VolumePlan::parseVolumes(GetParam().text, numbers), GetParam().valid);
    if (GetParam().valid) {
        EXPECT_EQ(numbers, GetParam().numbers);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, VolumeChoiceTest,
                         ::testing::Values(VolumeText{"", true, {}}, VolumeText{"  ", true, {}},
                                           VolumeText{"1", true, {1}}, VolumeText{"1,3", true, {1, 3}},
                                           VolumeText{" 2 , 4 ", true, {2, 4}}, VolumeText{"0", false, {}},
                                           VolumeText{"1,,2", false, {}}, VolumeText{"1,", false, {}},
                                           VolumeText{"a", false, {}}, VolumeText{"-1", false, {}},
                                           VolumeText{"12345", false, {}}));

TEST(VolumePlanTest, CarvingLeavesOutLiveFilesAndVolumesNotChosen) {
    auto disk = makeDisk();
    disk->add(0, "", "LIVE.BIN", false, {{1000, 500}, {3000, 500}});
    disk->add(0, "", "GONE.BIN", true, {{5000, 500}});
    disk->add(0, "", "TAKEN.BIN", true, {{7000, 500}}, Contents::reused);
    VolumePlan plan;
    VolumePlan::Choice choice;
    choice.volumes = "1";
    plan.open(std::move(disk), choice);
    EXPECT_TRUE(plan.carves(999));
    EXPECT_FALSE(plan.carves(1000));
    EXPECT_FALSE(plan.carves(1499));
    EXPECT_TRUE(plan.carves(1500));
    EXPECT_FALSE(plan.carves(3000));
    EXPECT_TRUE(plan.carves(5000));
    EXPECT_TRUE(plan.carves(7000));
    EXPECT_FALSE(plan.carves(60000));
    EXPECT_FALSE(plan.carves(99999));
    EXPECT_EQ(plan.leftOutBytes(), 1000u + 40000u);
    EXPECT_TRUE(plan.problem().empty());
}

TEST(VolumePlanTest, WholeVolumesAreCarvedWhenAsked) {
    auto disk = makeDisk();
    disk->add(0, "", "LIVE.BIN", false, {{1000, 500}});
    VolumePlan plan;
    VolumePlan::Choice choice;
    choice.carveWholeVolumes = true;
    plan.open(std::move(disk), choice);
    EXPECT_TRUE(plan.carves(1000));
    EXPECT_EQ(plan.leftOutBytes(), 0u);
}

TEST(VolumePlanTest, AChoiceOfMissingVolumesIsTold) {
    VolumePlan plan;
    VolumePlan::Choice choice;
    choice.volumes = "3";
    plan.open(makeDisk(), choice);
    EXPECT_FALSE(plan.problem().empty());
    EXPECT_FALSE(plan.isChosen(0));
    EXPECT_FALSE(plan.isChosen(1));
}

TEST(VolumePlanTest, CarvingOnlyReadsNoTables) {
    TemporaryFolder folder;
    const std::string path = folder.write("x.img", Bytes(4096, 0));
    VolumePlan plan;
    VolumePlan::Choice choice;
    choice.readFileSystems = false;
    plan.open(path, choice);
    EXPECT_EQ(plan.contents(), nullptr);
    EXPECT_TRUE(plan.carves(0));
}

}  // namespace
