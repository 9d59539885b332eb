#include "engine/Diskcontents.h"

#include "framework/Exception.h"

#include <tsk/libtsk.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

namespace {

// The names users know the kinds by.
std::string typeName(TSK_FS_TYPE_ENUM type) {
    switch (type) {
    case TSK_FS_TYPE_FAT12: return "FAT12";
    case TSK_FS_TYPE_FAT16: return "FAT16";
    case TSK_FS_TYPE_FAT32: return "FAT32";
    case TSK_FS_TYPE_EXFAT: return "exFAT";
    case TSK_FS_TYPE_NTFS: return "NTFS";
    case TSK_FS_TYPE_EXT2: return "ext2";
    case TSK_FS_TYPE_EXT3: return "ext3";
    case TSK_FS_TYPE_EXT4: return "ext4";
    case TSK_FS_TYPE_HFS: return "HFS+";
    case TSK_FS_TYPE_ISO9660: return "ISO 9660";
    default: break;
    }
    const char* name = tsk_fs_type_toname(type);
    return name != nullptr ? std::string(name) : std::string("不明");
}

bool isFat(TSK_FS_TYPE_ENUM type) { return TSK_FS_TYPE_ISFAT(type) && type != TSK_FS_TYPE_EXFAT; }

// A label from a fixed field, padded with spaces or zeros; "NO NAME" is FAT's word for none.
std::string fieldText(const char* field, std::size_t length) {
    std::string text(field, strnlen(field, length));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    if (text == "NO NAME") text.clear();
    // Only printable ASCII is trusted from a raw field; anything else is not a label.
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) return std::string();
    }
    return text;
}

std::string utf16Text(const unsigned char* bytes, std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
        if (unit < 0x80) {
            text += static_cast<char>(unit);
        } else if (unit < 0x800) {
            text += static_cast<char>(0xC0 | (unit >> 6));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (unit >> 12));
            text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return text;
}

std::string fileSystemLabel(TSK_FS_INFO* fs) {
    char block[512];
    if (isFat(fs->ftype)) {
        if (tsk_fs_read(fs, 0, block, sizeof block) != static_cast<ssize_t>(sizeof block)) return std::string();
        return fieldText(block + (fs->ftype == TSK_FS_TYPE_FAT32 ? 0x47 : 0x2B), 11);
    }
    if (TSK_FS_TYPE_ISEXT(fs->ftype)) {
        if (tsk_fs_read(fs, 1024, block, sizeof block) != static_cast<ssize_t>(sizeof block)) return std::string();
        return fieldText(block + 0x78, 16);
    }
    if (TSK_FS_TYPE_ISISO9660(fs->ftype)) {
        // The primary volume descriptor's volume identifier.
        if (tsk_fs_read(fs, 16 * 2048, block, sizeof block) != static_cast<ssize_t>(sizeof block)) {
            return std::string();
        }
        return fieldText(block + 40, 32);
    }
    if (TSK_FS_TYPE_ISNTFS(fs->ftype)) {
        TSK_FS_FILE* volume = tsk_fs_file_open(fs, nullptr, "/$Volume");
        std::string label;
        if (volume != nullptr) {
            const TSK_FS_ATTR* name = tsk_fs_file_attr_get_type(volume, TSK_FS_ATTR_TYPE_NTFS_VNAME, 0, 0);
            if (name != nullptr && (name->flags & TSK_FS_ATTR_RES) && name->rd.buf != nullptr) {
                label = utf16Text(name->rd.buf, static_cast<std::size_t>(name->size));
            }
            tsk_fs_file_close(volume);
        }
        tsk_error_reset();
        return label;
    }
    return std::string();
}

// The folder every walk of a volume's deleted entries gathers what no folder names any more in.
constexpr const char* orphanFolder = "$OrphanFiles";

struct Claim {
    std::uint64_t begin;
    std::uint64_t end;
    std::size_t file;
};

}  // namespace

class DiskContents::Library {
public:
    ~Library() {
        if (openFile != nullptr) tsk_fs_file_close(openFile);
        for (TSK_FS_INFO* fs : systems) {
            if (fs != nullptr) tsk_fs_close(fs);
        }
        if (table != nullptr) tsk_vs_close(table);
        if (image != nullptr) tsk_img_close(image);
    }

    void open(const std::string& path) {
        image = tsk_img_open_utf8_sing(path.c_str(), TSK_IMG_TYPE_RAW, 0);
        if (image == nullptr) {
            tsk_error_reset();
            throw IOException("入力「" + path + "」を開けません。", "DiskContents::DiskContents");
        }
        // Each kind of table in turn, GPT before DOS: the library's own detection reads a GPT
        // disk's protective MBR as a DOS table too, and loses that table's memory when it drops it.
        for (TSK_VS_TYPE_ENUM type : {TSK_VS_TYPE_GPT, TSK_VS_TYPE_DOS, TSK_VS_TYPE_MAC, TSK_VS_TYPE_BSD,
                                      TSK_VS_TYPE_SUN}) {
            table = tsk_vs_open(image, 0, type);
            tsk_error_reset();
            if (table != nullptr) break;
        }
        if (table != nullptr) {
            for (TSK_PNUM_T i = 0; i < table->part_count; ++i) {
                const TSK_VS_PART_INFO* part = tsk_vs_part_get(table, i);
                if (part == nullptr || !(part->flags & TSK_VS_PART_FLAG_ALLOC)) continue;
                const std::uint64_t offset =
                    static_cast<std::uint64_t>(table->offset) + part->start * table->block_size;
                addVolume(offset, part->len * table->block_size, part->desc != nullptr ? part->desc : "");
            }
        }
        // A table without a single partition is no table: the bytes may still be a file system.
        if (volumes.empty()) {
            TSK_FS_INFO* fs = tsk_fs_open_img(image, 0, TSK_FS_TYPE_DETECT);
            tsk_error_reset();
            if (fs != nullptr) {
                // The file system's own extent: what lies behind it belongs to no volume.
                const std::uint64_t extent = static_cast<std::uint64_t>(fs->block_count) * fs->block_size;
                addVolume(0, std::min(extent, static_cast<std::uint64_t>(image->size)), std::string(), fs);
            }
        }
        for (std::uint32_t v = 0; v < volumes.size(); ++v) {
            if (systems[v] != nullptr) listFiles(v);
        }
        for (std::uint32_t v = 0; v < volumes.size(); ++v) {
            if (systems[v] != nullptr && isFat(systems[v]->ftype)) regatherFragments(v);
        }
        judgeDeleted();
        restoreFirstCharacters();
    }

    void addVolume(std::uint64_t offset, std::uint64_t size, const std::string& partitionType,
                   TSK_FS_INFO* fs = nullptr) {
        if (fs == nullptr) {
            fs = tsk_fs_open_img(image, static_cast<TSK_OFF_T>(offset), TSK_FS_TYPE_DETECT);
            tsk_error_reset();
        }
        Volume volume;
        volume.name = "ボリューム" + std::to_string(volumes.size() + 1);
        volume.offset = offset;
        volume.size = size;
        volume.readable = fs != nullptr;
        if (fs != nullptr) {
            volume.type = typeName(fs->ftype);
            volume.label = fileSystemLabel(fs);
        } else {
            volume.type = partitionType.empty() ? std::string("不明") : partitionType;
            volume.problem = "ファイルシステムを読めません（壊れているか、扱えない種類です）。";
        }
        volumes.push_back(volume);
        systems.push_back(fs);
    }

    void listFiles(std::uint32_t volume) {
        TSK_FS_INFO* fs = systems[volume];
        walking = volume;
        const auto flags = static_cast<TSK_FS_DIR_WALK_FLAG_ENUM>(
            TSK_FS_DIR_WALK_FLAG_ALLOC | TSK_FS_DIR_WALK_FLAG_UNALLOC | TSK_FS_DIR_WALK_FLAG_RECURSE);
        if (tsk_fs_dir_walk(fs, fs->root_inum, flags, &Library::visit, this) != 0) {
            volumes[volume].problem = "フォルダーの一部を読めませんでした（ファイルシステムが壊れています）。";
        }
        tsk_error_reset();
    }

    static TSK_WALK_RET_ENUM visit(TSK_FS_FILE* entry, const char* path, void* self) {
        static_cast<Library*>(self)->take(entry, path != nullptr ? path : "");
        return TSK_WALK_CONT;
    }

    void take(TSK_FS_FILE* entry, std::string folder) {
        const TSK_FS_NAME* name = entry->name;
        const TSK_FS_META* meta = entry->meta;
        if (name == nullptr || name->name == nullptr) return;
        const std::string text = name->name;
        if (text.empty() || text == "." || text == "..") return;
        if (name->type != TSK_FS_NAME_TYPE_REG && name->type != TSK_FS_NAME_TYPE_UNDEF) return;
        if (meta != nullptr && meta->type != TSK_FS_META_TYPE_REG && meta->type != TSK_FS_META_TYPE_UNDEF) return;
        TSK_FS_INFO* fs = entry->fs_info;
        if (!folder.empty() && folder.back() == '/') folder.pop_back();
        // The file systems' own bookkeeping files (NTFS's $MFT and $Extend, exFAT's bitmap and
        // up-case table) are no user's files; NTFS's reserved records come back as orphans.
        if ((TSK_FS_TYPE_ISNTFS(fs->ftype) || fs->ftype == TSK_FS_TYPE_EXFAT) &&
            ((folder.empty() && text[0] == '$') || folder.rfind("$Extend", 0) == 0)) {
            return;
        }
        if (TSK_FS_TYPE_ISNTFS(fs->ftype) && folder.rfind(orphanFolder, 0) == 0 && name->meta_addr < 24) return;
        // FAT keeps its label as an entry of the root folder.
        const std::string labelMark = " (Volume Label Entry)";
        if (TSK_FS_TYPE_ISFAT(fs->ftype) && text.size() > labelMark.size() &&
            text.compare(text.size() - labelMark.size(), labelMark.size(), labelMark) == 0) {
            if (folder.empty() && !(name->flags & TSK_FS_NAME_FLAG_UNALLOC)) {
                volumes[walking].label = text.substr(0, text.size() - labelMark.size());
                while (!volumes[walking].label.empty() && volumes[walking].label.back() == ' ') {
                    volumes[walking].label.pop_back();
                }
            }
            return;
        }
        if (folder.rfind(orphanFolder, 0) == 0) folder.replace(0, std::strlen(orphanFolder), "所在不明");

        File file;
        file.volume = walking;
        file.folder = folder;
        file.name = text;
        const bool nameFree = (name->flags & TSK_FS_NAME_FLAG_UNALLOC) != 0;
        const bool metaFree = meta != nullptr && (meta->flags & TSK_FS_META_FLAG_UNALLOC) != 0;
        file.deleted = nameFree || metaFree;
        TSK_INUM_T inode = name->meta_addr;
        if (meta == nullptr) {
            file.contents = Contents::unknown;
        } else {
            inode = meta->addr;
            file.modified = meta->mtime;
            file.size = meta->size > 0 ? static_cast<std::uint64_t>(meta->size) : 0;
            placeRuns(entry, file);
            // A deleted name whose metadata is in use again describes another file now.
            if (nameFree && !metaFree) file.contents = Contents::reused;
        }
        files.push_back(file);
        inodes.push_back(inode);
        ownRuns.push_back(false);
    }

    void placeRuns(TSK_FS_FILE* entry, File& file) {
        TSK_FS_INFO* fs = entry->fs_info;
        const TSK_FS_ATTR* attr = tsk_fs_file_attr_get(entry);
        if (attr == nullptr) {
            tsk_error_reset();
            if (file.deleted || file.size > 0) file.contents = Contents::unknown;
            return;
        }
        if (!(attr->flags & TSK_FS_ATTR_NONRES)) {
            // Kept inside the metadata record: nothing to place, nothing another file can take.
            return;
        }
        std::uint64_t remaining = file.size;
        bool taken = false;
        bool unplaced = false;
        for (const TSK_FS_ATTR_RUN* run = attr->nrd.run; run != nullptr && remaining > 0; run = run->next) {
            const std::uint64_t length =
                std::min<std::uint64_t>(remaining, static_cast<std::uint64_t>(run->len) * fs->block_size);
            remaining -= length;
            if (run->flags & TSK_FS_ATTR_RUN_FLAG_FILLER) {
                unplaced = true;
                continue;
            }
            if (run->flags & TSK_FS_ATTR_RUN_FLAG_SPARSE) continue;
            const std::uint64_t offset = static_cast<std::uint64_t>(fs->offset) +
                                         static_cast<std::uint64_t>(run->addr) * fs->block_size;
            if (!file.runs.empty() && file.runs.back().offset + file.runs.back().length == offset) {
                file.runs.back().length += length;
            } else {
                file.runs.push_back(Run{offset, length});
            }
            if (file.deleted && !taken && fs->block_getflags != nullptr) {
                const TSK_DADDR_T blocks = (length + fs->block_size - 1) / fs->block_size;
                for (TSK_DADDR_T b = 0; b < blocks && !taken; ++b) {
                    taken = (fs->block_getflags(fs, run->addr + b) & TSK_FS_BLOCK_FLAG_ALLOC) != 0;
                }
            }
        }
        tsk_error_reset();
        if (!file.deleted) return;
        if (taken) {
            file.contents = Contents::reused;
        } else if (unplaced || remaining > 0 || (file.runs.empty() && file.size > 0) || file.size == 0) {
            // An emptied size is what ext3 and ext4 leave of a deleted file's length.
            file.contents = Contents::unknown;
        } else if (TSK_FS_TYPE_ISFAT(fs->ftype) && file.runs.size() > 1) {
            file.contents = Contents::guessed;
        }
    }

    // A deleted FAT file has lost its chain: only its first cluster and its size are left. The
    // library then takes the free clusters from the first one on, which passes over what live
    // files hold but not over what other deleted files still hold, so a deleted picture that was
    // written around another deleted one comes out with the other's bytes and the other is judged
    // overwritten. Here every deleted file's first piece runs from its first cluster up to the
    // first cluster that is taken or where another deleted file begins; a file that fits there lay
    // in one piece. The rest of each file that did not fit is taken, oldest file first, from the
    // first clusters after its first piece that no one holds: a camera fills the hole it finds and
    // goes on behind its last picture. Of two deleted files that begin at the same cluster, the
    // older was written over.
    void regatherFragments(std::uint32_t volume) {
        TSK_FS_INFO* fs = systems[volume];
        unsigned char boot[512];
        if (tsk_fs_read(fs, 0, reinterpret_cast<char*>(boot), sizeof boot) != static_cast<ssize_t>(sizeof boot)) {
            tsk_error_reset();
            return;
        }
        // The boot sector's BIOS parameter block, in the order Microsoft's FAT32 file system description lays it out.
        const auto u16 = [&](int at) { return static_cast<std::uint32_t>(boot[at] | (boot[at + 1] << 8)); };
        const auto u32 = [&](int at) { return u16(at) | (u16(at + 2) << 16); };
        const std::uint32_t bytesPerSector = u16(11);
        const std::uint32_t sectorsPerCluster = boot[13];
        const std::uint32_t fatSectors = u16(22) != 0 ? u16(22) : u32(36);
        const std::uint32_t totalSectors = u16(19) != 0 ? u16(19) : u32(32);
        if (bytesPerSector != fs->block_size || sectorsPerCluster == 0 || fs->block_getflags == nullptr) return;
        const std::uint64_t firstData = u16(14) + static_cast<std::uint64_t>(boot[16]) * fatSectors +
                                        (u16(17) * 32 + bytesPerSector - 1) / bytesPerSector;
        if (firstData >= totalSectors) return;
        const std::uint64_t clusters = (totalSectors - firstData) / sectorsPerCluster + 2;
        const std::uint64_t clusterBytes = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
        const std::uint64_t base = static_cast<std::uint64_t>(fs->offset) + firstData * bytesPerSector;
        const auto clusterAt = [&](std::uint64_t offset) { return 2 + (offset - base) / clusterBytes; };
        const auto offsetOf = [&](std::uint64_t cluster) { return base + (cluster - 2) * clusterBytes; };
        const auto allocated = [&](std::uint64_t cluster) {
            return (fs->block_getflags(fs, firstData + (cluster - 2) * sectorsPerCluster) & TSK_FS_BLOCK_FLAG_ALLOC) != 0;
        };

        std::vector<char> claimed(clusters, 0);
        std::vector<std::size_t> deleted;
        std::map<std::uint64_t, std::size_t> starts;
        for (std::size_t i = 0; i < files.size(); ++i) {
            File& file = files[i];
            if (file.volume != volume || !file.deleted || file.runs.empty() || file.runs.front().offset < base ||
                (file.contents != Contents::intact && file.contents != Contents::guessed)) {
                continue;
            }
            const std::uint64_t start = clusterAt(file.runs.front().offset);
            if (start >= clusters) continue;
            auto known = starts.find(start);
            if (known == starts.end()) {
                starts.emplace(start, i);
            } else if (files[known->second].modified <= file.modified) {
                files[known->second].contents = Contents::reused;
                known->second = i;
            } else {
                file.contents = Contents::reused;
            }
        }
        for (const auto& start : starts) deleted.push_back(start.second);

        std::map<std::size_t, std::vector<std::uint64_t>> taken;
        std::vector<std::size_t> pieced;
        for (std::size_t i : deleted) {
            File& file = files[i];
            const std::uint64_t start = clusterAt(file.runs.front().offset);
            std::uint64_t need = (file.size + clusterBytes - 1) / clusterBytes;
            std::vector<std::uint64_t>& mine = taken[i];
            for (std::uint64_t c = start; need > 0 && c < clusters; ++c, --need) {
                if (claimed[c] || allocated(c) || (c != start && starts.count(c) != 0)) break;
                claimed[c] = 1;
                mine.push_back(c);
            }
            if (need > 0) pieced.push_back(i);
        }
        std::sort(pieced.begin(), pieced.end(), [&](std::size_t a, std::size_t b) {
            return files[a].modified != files[b].modified ? files[a].modified < files[b].modified
                                                          : files[a].runs.front().offset < files[b].runs.front().offset;
        });
        for (std::size_t i : pieced) {
            std::vector<std::uint64_t>& mine = taken[i];
            std::uint64_t need = (files[i].size + clusterBytes - 1) / clusterBytes - mine.size();
            std::uint64_t c = mine.empty() ? clusters : mine.back() + 1;
            for (; need > 0 && c < clusters; ++c) {
                if (claimed[c] || allocated(c) || starts.count(c) != 0) continue;
                claimed[c] = 1;
                mine.push_back(c);
                --need;
            }
            if (need > 0 || mine.empty()) {
                files[i].contents = Contents::unknown;
                files[i].runs.clear();
                mine.clear();
            }
        }
        for (std::size_t i : deleted) {
            File& file = files[i];
            const std::vector<std::uint64_t>& mine = taken[i];
            if (mine.empty()) continue;
            std::vector<Run> runs;
            std::uint64_t remaining = file.size;
            for (std::uint64_t cluster : mine) {
                const std::uint64_t length = std::min(remaining, clusterBytes);
                remaining -= length;
                if (!runs.empty() && runs.back().offset + runs.back().length == offsetOf(cluster)) {
                    runs.back().length += length;
                } else {
                    runs.push_back(Run{offsetOf(cluster), length});
                }
            }
            file.runs = runs;
            file.contents = runs.size() == 1 ? Contents::intact : Contents::guessed;
            ownRuns[i] = true;
        }
        tsk_error_reset();
    }

    // Reads what a file whose places were gathered here holds, straight from the input.
    std::uint64_t readRuns(std::size_t index, std::uint64_t offset, unsigned char* target, std::uint64_t count) {
        std::uint64_t done = 0;
        std::uint64_t at = 0;
        for (const Run& run : files[index].runs) {
            if (done == count) break;
            if (offset + done < at + run.length) {
                const std::uint64_t within = offset + done - at;
                const std::uint64_t length = std::min(run.length - within, count - done);
                const ssize_t got = tsk_img_read(image, static_cast<TSK_OFF_T>(run.offset + within),
                                                 reinterpret_cast<char*>(target + done), static_cast<std::size_t>(length));
                if (got < 0 || static_cast<std::uint64_t>(got) != length) {
                    tsk_error_reset();
                    throw IOException("「" + files[index].name + "」を読み込めません（位置 " +
                                          std::to_string(offset + done) + "）。",
                                      "DiskContents::read");
                }
                done += length;
            }
            at += run.length;
        }
        return done;
    }

    // Two deleted files that claim the same place cannot both be right: the later one was
    // written over the earlier.
    void judgeDeleted() {
        std::vector<Claim> claims;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const File& file = files[i];
            if (!file.deleted || (file.contents != Contents::intact && file.contents != Contents::guessed)) continue;
            for (const Run& run : file.runs) claims.push_back(Claim{run.offset, run.offset + run.length, i});
        }
        std::sort(claims.begin(), claims.end(), [](const Claim& a, const Claim& b) { return a.begin < b.begin; });
        std::vector<Claim> open;
        for (const Claim& claim : claims) {
            open.erase(std::remove_if(open.begin(), open.end(), [&](const Claim& o) { return o.end <= claim.begin; }),
                       open.end());
            for (const Claim& other : open) {
                if (other.file == claim.file) continue;
                File& a = files[other.file];
                File& b = files[claim.file];
                if (a.modified < b.modified) {
                    a.contents = Contents::reused;
                } else if (b.modified < a.modified) {
                    b.contents = Contents::reused;
                } else {
                    a.contents = Contents::reused;
                    b.contents = Contents::reused;
                }
            }
            open.push_back(claim);
        }
    }

    // FAT marks a deleted short name by overwriting its first character (shown as "_"). When
    // every live file of the same folder whose name has the same shape ("DSC0" + digits + ".JPG")
    // begins with the same character, that is the lost one: cameras and most programs number
    // their files under one prefix.
    void restoreFirstCharacters() {
        std::map<std::pair<std::uint32_t, std::string>, std::vector<std::size_t>> byFolder;
        for (std::size_t i = 0; i < files.size(); ++i) byFolder[{files[i].volume, files[i].folder}].push_back(i);
        for (std::size_t i = 0; i < files.size(); ++i) {
            File& file = files[i];
            if (!file.deleted || file.name.size() < 2 || file.name[0] != '_') continue;
            if (systems[file.volume] == nullptr || !isFat(systems[file.volume]->ftype)) continue;
            const std::string shape = shapeOf(file.name);
            char first = 0;
            bool agreed = false;
            for (std::size_t j : byFolder[{file.volume, file.folder}]) {
                const File& live = files[j];
                if (live.deleted || live.name.size() != file.name.size() || shapeOf(live.name) != shape) continue;
                if (first == 0) {
                    first = live.name[0];
                    agreed = true;
                } else if (live.name[0] != first) {
                    agreed = false;
                    break;
                }
            }
            if (agreed && first != '_') file.name[0] = first;
        }
    }

    // The name past its first character, with every digit the same.
    static std::string shapeOf(const std::string& name) {
        std::string shape = name.substr(1);
        for (char& c : shape) {
            if (c >= '0' && c <= '9') c = '0';
        }
        return shape;
    }

    TSK_FS_FILE* fileAt(std::size_t index) {
        if (index == openIndex) return openFile;
        if (openFile != nullptr) tsk_fs_file_close(openFile);
        openFile = nullptr;
        openIndex = std::numeric_limits<std::size_t>::max();
        TSK_FS_INFO* fs = systems[files[index].volume];
        openFile = tsk_fs_file_open_meta(fs, nullptr, inodes[index]);
        if (openFile == nullptr) {
            tsk_error_reset();
            throw IOException("「" + files[index].name + "」の中身の場所を読めません。", "DiskContents::read");
        }
        openIndex = index;
        return openFile;
    }

    TSK_IMG_INFO* image = nullptr;
    TSK_VS_INFO* table = nullptr;
    std::vector<TSK_FS_INFO*> systems;
    std::vector<Volume> volumes;
    std::vector<File> files;
    std::vector<TSK_INUM_T> inodes;
    // Whether a file's places were gathered here rather than by the library.
    std::vector<bool> ownRuns;
    std::uint32_t walking = 0;
    TSK_FS_FILE* openFile = nullptr;
    std::size_t openIndex = std::numeric_limits<std::size_t>::max();
};

DiskContents::DiskContents(const std::string& path) : library(std::make_unique<Library>()) {
    library->open(path);
}

DiskContents::~DiskContents() = default;

const std::vector<IDiskContents::Volume>& DiskContents::volumes() const { return library->volumes; }

const std::vector<IDiskContents::File>& DiskContents::files() const { return library->files; }

namespace {

TSK_WALK_RET_ENUM collectFree(const TSK_FS_BLOCK* block, void* target) {
    auto* runs = static_cast<std::vector<IDiskContents::Run>*>(target);
    const TSK_FS_INFO* fs = block->fs_info;
    const std::uint64_t offset =
        static_cast<std::uint64_t>(fs->offset) + static_cast<std::uint64_t>(block->addr) * fs->block_size;
    if (!runs->empty() && runs->back().offset + runs->back().length == offset) {
        runs->back().length += fs->block_size;
    } else {
        runs->push_back(IDiskContents::Run{offset, fs->block_size});
    }
    return TSK_WALK_CONT;
}

}  // namespace

std::vector<IDiskContents::Run> DiskContents::unallocated(std::uint32_t volume) {
    std::vector<Run> runs;
    if (volume >= library->systems.size() || library->systems[volume] == nullptr) return runs;
    TSK_FS_INFO* fs = library->systems[volume];
    const auto flags =
        static_cast<TSK_FS_BLOCK_WALK_FLAG_ENUM>(TSK_FS_BLOCK_WALK_FLAG_UNALLOC | TSK_FS_BLOCK_WALK_FLAG_AONLY);
    if (tsk_fs_block_walk(fs, fs->first_block, fs->last_block_act, flags, collectFree, &runs) != 0) {
        tsk_error_reset();
        throw IOException("「" + library->volumes[volume].name + "」の空き領域を読めません。",
                          "DiskContents::unallocated");
    }
    return runs;
}

std::uint64_t DiskContents::read(std::size_t file, std::uint64_t offset, unsigned char* target,
                                 std::uint64_t count) {
    if (file >= library->files.size()) {
        throw IndexOutOfBoundsException("ファイルの番号が範囲外です。", "DiskContents::read");
    }
    const File& entry = library->files[file];
    if (entry.contents == Contents::unknown) {
        throw IOException("「" + entry.name + "」の中身の場所は分かりません。", "DiskContents::read");
    }
    if (offset >= entry.size || count == 0) return 0;
    count = std::min(count, entry.size - offset);
    if (library->ownRuns[file]) return library->readRuns(file, offset, target, count);
    TSK_FS_FILE* open = library->fileAt(file);
    const ssize_t got = tsk_fs_file_read(open, static_cast<TSK_OFF_T>(offset), reinterpret_cast<char*>(target),
                                         static_cast<std::size_t>(count), TSK_FS_FILE_READ_FLAG_NONE);
    if (got < 0) {
        tsk_error_reset();
        throw IOException("「" + entry.name + "」を読み込めません（位置 " + std::to_string(offset) + "）。",
                          "DiskContents::read");
    }
    return static_cast<std::uint64_t>(got);
}
