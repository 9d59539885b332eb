#include "engine/Diskcontents.h"

#include "framework/Exception.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>

namespace {

using Contents = IDiskContents::Contents;

Bytes noise(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(size);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(generator());
    return bytes;
}

// Images made by the file systems' own tools, never mounted.
class DiskContentsTest : public ::testing::Test {
protected:
    // Runs a shell line in the test's folder; the tools see TZ=UTC, as the checks of FAT's local
    // times assume.
    void shell(const std::string& line) {
        const std::string command = "cd '" + folder.path().string() +
                                    "' && export TZ=UTC MTOOLS_SKIP_CHECK=1 && ( " + line + " ) >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << line;
    }

    std::string sample(const std::string& name, std::size_t size, unsigned seed) {
        samples[name] = noise(size, seed);
        return folder.write(name, samples[name]);
    }

    static const IDiskContents::File* find(const IDiskContents& disk, const std::string& name) {
        for (const IDiskContents::File& file : disk.files()) {
            if (file.name == name) return &file;
        }
        return nullptr;
    }

    static std::size_t indexOf(const IDiskContents& disk, const std::string& name) {
        const auto& files = disk.files();
        for (std::size_t i = 0; i < files.size(); ++i) {
            if (files[i].name == name) return i;
        }
        return files.size();
    }

    static Bytes readAll(IDiskContents& disk, std::size_t index) {
        Bytes bytes(disk.files().at(index).size);
        std::uint64_t done = 0;
        while (done < bytes.size()) {
            // Pieces of an odd length, so that reads cross clusters.
            const std::uint64_t got =
                disk.read(index, done, bytes.data() + done, std::min<std::uint64_t>(7777, bytes.size() - done));
            if (got == 0) break;
            done += got;
        }
        bytes.resize(done);
        return bytes;
    }

    // The runs read straight from the image: where the file says its bytes lie.
    Bytes readRuns(const std::string& image, const IDiskContents::File& file) {
        Bytes all = TemporaryFolder::read(folder.file(image));
        Bytes bytes;
        for (const IDiskContents::Run& run : file.runs) {
            bytes.insert(bytes.end(), all.begin() + static_cast<std::ptrdiff_t>(run.offset),
                         all.begin() + static_cast<std::ptrdiff_t>(run.offset + run.length));
        }
        return bytes;
    }

    TemporaryFolder folder;
    std::map<std::string, Bytes> samples;
};

// A camera's card: a folder tree, a file fragmented around another by a deletion and a refill,
// deleted files with long and with short names, and a deleted file written over.
TEST_F(DiskContentsTest, FatCardGivesNamesFoldersFragmentsAndDeletedFiles) {
    sample("a", 20000, 1);
    sample("b", 30000, 2);
    sample("c", 20000, 3);
    sample("d", 50000, 4);
    sample("e", 9000, 5);
    sample("f", 40000, 6);
    // mtools fills the first free clusters: DSC00004 takes DSC00002's hole and goes on behind
    // DSC00003; OVER.BIN starts where GONE.BIN was (in another folder, so that its entry stays).
    shell("touch -d '2021-06-07 08:09:10' a d && dd if=/dev/zero of=card.img bs=1M count=8 && "
          "mkfs.vfat -n CARD -s 1 card.img && mmd -i card.img ::DCIM ::DCIM/100CAMER && "
          "mcopy -m -i card.img a ::DCIM/100CAMER/DSC00001.JPG && mcopy -i card.img b ::DCIM/100CAMER/DSC00002.JPG && "
          "mcopy -i card.img c ::DCIM/100CAMER/DSC00003.JPG && mdel -i card.img ::DCIM/100CAMER/DSC00002.JPG && "
          "mcopy -m -i card.img d ::DCIM/100CAMER/DSC00004.JPG && mcopy -i card.img e '::Long holiday name.txt' && "
          "mcopy -i card.img e ::DCIM/GONE.BIN && mdel -i card.img ::DCIM/GONE.BIN && mcopy -i card.img f ::OVER.BIN && "
          "mdel -i card.img '::Long holiday name.txt' && mdel -i card.img ::DCIM/100CAMER/DSC00001.JPG");
    DiskContents disk(folder.file("card.img"));

    ASSERT_EQ(disk.volumes().size(), 1u);
    const IDiskContents::Volume& volume = disk.volumes()[0];
    EXPECT_EQ(volume.type, "FAT16");
    EXPECT_EQ(volume.label, "CARD");
    EXPECT_TRUE(volume.readable);
    EXPECT_EQ(volume.offset, 0u);

    // The file that filled the hole lies in two places, and is read whole from both.
    const std::size_t fragmented = indexOf(disk, "DSC00004.JPG");
    ASSERT_LT(fragmented, disk.files().size());
    const IDiskContents::File& four = disk.files()[fragmented];
    EXPECT_EQ(four.folder, "DCIM/100CAMER");
    EXPECT_FALSE(four.deleted);
    EXPECT_EQ(four.contents, Contents::intact);
    EXPECT_GE(four.runs.size(), 2u);
    EXPECT_EQ(four.modified, 1623053350);
    EXPECT_EQ(readAll(disk, fragmented), samples["d"]);
    EXPECT_EQ(readRuns("card.img", four), samples["d"]);

    // A deleted short name gets back its first character from its live neighbours.
    const std::size_t first = indexOf(disk, "DSC00001.JPG");
    ASSERT_LT(first, disk.files().size());
    EXPECT_TRUE(disk.files()[first].deleted);
    EXPECT_EQ(disk.files()[first].contents, Contents::intact);
    EXPECT_EQ(disk.files()[first].modified, 1623053350);
    EXPECT_EQ(readAll(disk, first), samples["a"]);

    const std::size_t holiday = indexOf(disk, "Long holiday name.txt");
    ASSERT_LT(holiday, disk.files().size());
    EXPECT_TRUE(disk.files()[holiday].deleted);
    EXPECT_EQ(disk.files()[holiday].folder, "");
    EXPECT_EQ(disk.files()[holiday].contents, Contents::intact);
    EXPECT_EQ(readAll(disk, holiday), samples["e"]);

    // GONE.BIN's clusters went to OVER.BIN, which is bigger than every hole before it.
    const IDiskContents::File* gone = find(disk, "_ONE.BIN");
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->deleted);
    EXPECT_EQ(gone->contents, Contents::reused);
    const std::size_t over = indexOf(disk, "OVER.BIN");
    EXPECT_EQ(readAll(disk, over), samples["f"]);

    // The label's own entry and the library's bookkeeping are no files.
    for (const IDiskContents::File& file : disk.files()) {
        EXPECT_EQ(file.name.find("Volume Label"), std::string::npos);
        EXPECT_NE(file.name[0], '$') << file.name;
    }
}

// A picture written around another, both deleted later: the library alone would read the first
// one's rest from the second's clusters and judge the second overwritten. Both come back whole.
TEST_F(DiskContentsTest, DeletedFileWrittenAroundAnotherDeletedOneComesBackWhole) {
    sample("a", 20000, 81);
    sample("b", 15000, 82);
    sample("c", 20000, 83);
    sample("d", 40000, 84);
    shell("dd if=/dev/zero of=card.img bs=1M count=8 && mkfs.vfat -s 1 card.img && "
          "mcopy -i card.img a ::DSC00001.JPG && mcopy -i card.img b ::DSC00002.JPG && "
          "mcopy -i card.img c ::DSC00003.JPG && mdel -i card.img ::DSC00002.JPG && "
          "mcopy -i card.img d ::DSC00004.JPG && mdel -i card.img ::DSC00003.JPG && "
          "mdel -i card.img ::DSC00004.JPG");
    DiskContents disk(folder.file("card.img"));
    const std::size_t three = indexOf(disk, "DSC00003.JPG");
    const std::size_t four = indexOf(disk, "DSC00004.JPG");
    ASSERT_LT(three, disk.files().size());
    ASSERT_LT(four, disk.files().size());
    EXPECT_EQ(disk.files()[three].contents, Contents::intact);
    EXPECT_EQ(readAll(disk, three), samples["c"]);
    EXPECT_EQ(disk.files()[four].contents, Contents::guessed);
    EXPECT_EQ(disk.files()[four].runs.size(), 2u);
    EXPECT_EQ(readAll(disk, four), samples["d"]);
    EXPECT_EQ(readRuns("card.img", disk.files()[four]), samples["d"]);
}

TEST_F(DiskContentsTest, FreeSpaceHoldsNoLiveFileAndTheDeletedOnes) {
    sample("a", 20000, 11);
    sample("b", 30000, 12);
    shell("dd if=/dev/zero of=card.img bs=1M count=4 && mkfs.vfat -s 2 card.img && "
          "mcopy -i card.img a ::KEEP.BIN && mcopy -i card.img b ::LOST.BIN && mdel -i card.img ::LOST.BIN");
    DiskContents disk(folder.file("card.img"));
    const std::vector<IDiskContents::Run> free = disk.unallocated(0);
    ASSERT_FALSE(free.empty());
    const auto inside = [&](const IDiskContents::Run& run) {
        for (const IDiskContents::Run& gap : free) {
            if (run.offset >= gap.offset && run.offset + run.length <= gap.offset + gap.length) return true;
        }
        return false;
    };
    const auto overlaps = [&](const IDiskContents::Run& run) {
        for (const IDiskContents::Run& gap : free) {
            if (run.offset < gap.offset + gap.length && gap.offset < run.offset + run.length) return true;
        }
        return false;
    };
    const IDiskContents::File* keep = find(disk, "KEEP.BIN");
    const IDiskContents::File* lost = find(disk, "_OST.BIN");
    ASSERT_NE(keep, nullptr);
    ASSERT_NE(lost, nullptr);
    for (const IDiskContents::Run& run : keep->runs) EXPECT_FALSE(overlaps(run));
    ASSERT_FALSE(lost->runs.empty());
    for (const IDiskContents::Run& run : lost->runs) EXPECT_TRUE(inside(run));
    EXPECT_EQ(readRuns("card.img", *lost), samples["b"]);
    for (std::size_t i = 1; i < free.size(); ++i) EXPECT_GT(free[i].offset, free[i - 1].offset + free[i - 1].length);
}

struct KindCase {
    const char* name;
    const char* make;
    const char* type;
    const char* label;
    // The sample's folder and name on the file system; "" when the tool cannot fill it.
    const char* folder;
    const char* file;
};

class DiskKindTest : public DiskContentsTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(DiskKindTest, VolumeTypeLabelAndFile) {
    const KindCase& kind = GetParam();
    sample("sample.bin", 70000, 21);
    shell(std::string("mkdir -p tree/sub && cp sample.bin tree/sub/sample.bin && ") + kind.make);
    DiskContents disk(folder.file("disk.img"));
    ASSERT_EQ(disk.volumes().size(), 1u);
    EXPECT_EQ(disk.volumes()[0].type, kind.type);
    EXPECT_EQ(disk.volumes()[0].label, kind.label);
    EXPECT_TRUE(disk.volumes()[0].readable);
    if (std::string(kind.file).empty()) {
        EXPECT_TRUE(disk.files().empty());
        return;
    }
    const std::size_t index = indexOf(disk, kind.file);
    ASSERT_LT(index, disk.files().size());
    EXPECT_EQ(disk.files()[index].folder, kind.folder);
    EXPECT_FALSE(disk.files()[index].deleted);
    EXPECT_EQ(disk.files()[index].size, 70000u);
    EXPECT_EQ(readAll(disk, index), samples["sample.bin"]);
    EXPECT_EQ(readRuns("disk.img", disk.files()[index]), samples["sample.bin"]);
    for (const IDiskContents::File& file : disk.files()) EXPECT_NE(file.name[0], '$') << file.name;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DiskKindTest,
    ::testing::Values(
        KindCase{"Fat16", "mkfs.vfat -C -F 16 -n SIXTEEN disk.img 16384 && mmd -i disk.img ::SUB && "
                          "mcopy -i disk.img sample.bin ::SUB/SAMPLE.BIN",
                 "FAT16", "SIXTEEN", "SUB", "SAMPLE.BIN"},
        KindCase{"Fat32", "mkfs.vfat -C -F 32 -n THIRTYTWO disk.img 65536 && mmd -i disk.img ::sub && "
                          "mcopy -i disk.img sample.bin ::sub/sample.bin",
                 "FAT32", "THIRTYTWO", "sub", "sample.bin"},
        KindCase{"Ext4", "mke2fs -q -t ext4 -L EXTVOL -d tree disk.img 4M", "ext4", "EXTVOL", "sub", "sample.bin"},
        KindCase{"Ext2", "mke2fs -q -t ext2 -L OLDVOL -d tree disk.img 2M", "ext2", "OLDVOL", "sub", "sample.bin"},
        KindCase{"Ntfs", "dd if=/dev/zero of=disk.img bs=1M count=8 && mkntfs -F -q -L NTVOL disk.img && "
                         "ntfscp disk.img sample.bin sample.bin",
                 "NTFS", "NTVOL", "", "sample.bin"},
        KindCase{"Iso9660", "genisoimage -quiet -r -J -V DISCVOL -o disk.img tree", "ISO 9660", "DISCVOL", "sub",
                 "sample.bin"},
        KindCase{"ExfatEmpty", "dd if=/dev/zero of=disk.img bs=1M count=8 && mkfs.exfat -L EXVOL disk.img", "exFAT",
                 "EXVOL", "", ""}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

// Two partitions of a DOS table, one of them with its boot sector wiped: the other is read all
// the same, and the broken one is a volume that says why it cannot be read.
TEST_F(DiskContentsTest, DosTableWithADamagedPartition) {
    sample("a", 10000, 31);
    sample("b", 12000, 32);
    shell("dd if=/dev/zero of=disk.img bs=1M count=20 && "
          "printf 'label: dos\\nstart=2048, size=16384, type=6\\nstart=20480, size=16384, type=6\\n' | sfdisk disk.img && "
          "mkfs.vfat --offset=2048 -n FIRST disk.img 8192 && mkfs.vfat --offset=20480 -n SECOND disk.img 8192 && "
          "mcopy -i disk.img@@1M a ::ONE.BIN && mcopy -i disk.img@@10M b ::TWO.BIN && "
          "dd if=/dev/zero of=disk.img bs=512 seek=2048 count=1 conv=notrunc");
    DiskContents disk(folder.file("disk.img"));
    ASSERT_EQ(disk.volumes().size(), 2u);
    EXPECT_FALSE(disk.volumes()[0].readable);
    EXPECT_FALSE(disk.volumes()[0].problem.empty());
    EXPECT_EQ(disk.volumes()[0].offset, 1024u * 1024u);
    EXPECT_EQ(disk.volumes()[0].size, 16384u * 512u);
    EXPECT_TRUE(disk.volumes()[1].readable);
    EXPECT_EQ(disk.volumes()[1].offset, 10u * 1024u * 1024u);
    EXPECT_EQ(disk.volumes()[1].label, "SECOND");
    EXPECT_NE(disk.volumes()[0].name, disk.volumes()[1].name);
    EXPECT_EQ(find(disk, "ONE.BIN"), nullptr);
    const std::size_t two = indexOf(disk, "TWO.BIN");
    ASSERT_LT(two, disk.files().size());
    EXPECT_EQ(disk.files()[two].volume, 1u);
    EXPECT_EQ(readAll(disk, two), samples["b"]);
    EXPECT_EQ(readRuns("disk.img", disk.files()[two]), samples["b"]);
    EXPECT_TRUE(disk.unallocated(0).empty());
}

TEST_F(DiskContentsTest, GptTableWithExt4) {
    sample("a", 50000, 41);
    shell("mkdir tree && cp a tree/a.bin && mke2fs -q -t ext4 -d tree part.img 4M && "
          "dd if=/dev/zero of=disk.img bs=1M count=8 && sgdisk -n 1:2048:+4M disk.img && "
          "dd if=part.img of=disk.img bs=512 seek=2048 conv=notrunc");
    DiskContents disk(folder.file("disk.img"));
    ASSERT_EQ(disk.volumes().size(), 1u);
    EXPECT_EQ(disk.volumes()[0].type, "ext4");
    EXPECT_EQ(disk.volumes()[0].offset, 2048u * 512u);
    const std::size_t a = indexOf(disk, "a.bin");
    ASSERT_LT(a, disk.files().size());
    EXPECT_EQ(readAll(disk, a), samples["a"]);
    EXPECT_EQ(readRuns("disk.img", disk.files()[a]), samples["a"]);
}

// debugfs frees a removed file's blocks but, unlike the kernel, leaves its extents: the file is
// whole where its blocks are still free. Whatever it is judged, it is never read as whole unless
// it is.
TEST_F(DiskContentsTest, DeletedExtFileIsWholeOnlyWhereItsBlocksAreFree) {
    sample("a", 50000, 51);
    sample("b", 50000, 52);
    shell("mkdir tree && cp a tree/keep.bin && cp b tree/gone.bin && mke2fs -q -t ext4 -d tree disk.img 4M && "
          "debugfs -w -R 'rm gone.bin' disk.img");
    DiskContents disk(folder.file("disk.img"));
    const std::size_t keep = indexOf(disk, "keep.bin");
    ASSERT_LT(keep, disk.files().size());
    EXPECT_EQ(readAll(disk, keep), samples["a"]);
    const std::size_t gone = indexOf(disk, "gone.bin");
    ASSERT_LT(gone, disk.files().size());
    EXPECT_TRUE(disk.files()[gone].deleted);
    ASSERT_EQ(disk.files()[gone].contents, Contents::intact);
    EXPECT_EQ(readAll(disk, gone), samples["b"]);
}

TEST_F(DiskContentsTest, BytesWithoutFileSystemHaveNoVolumes) {
    folder.write("noise.bin", noise(3 * 1024 * 1024, 61));
    DiskContents disk(folder.file("noise.bin"));
    EXPECT_TRUE(disk.volumes().empty());
    EXPECT_TRUE(disk.files().empty());
}

TEST_F(DiskContentsTest, MissingInputRaisesIOException) {
    EXPECT_THROW(DiskContents(folder.file("missing.img")), IOException);
}

}  // namespace
