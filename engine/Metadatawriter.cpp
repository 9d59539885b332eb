#include "engine/Metadatawriter.h"

#include "engine/Volumeplan.h"
#include "framework/Exception.h"
#include "framework/IMemory.h"
#include "framework/IResource.h"
#include "framework/IWritableRandomAccessFile.h"

#include <algorithm>

namespace {

constexpr std::uint32_t blockSize = 1u << 20;
// The longest name most file systems take, in bytes.
constexpr std::size_t longestName = 255;

// A name from the input's file system as a name here: no "/", no control characters, none of
// the two that name folders themselves, and short enough; the extension is kept when shortened.
std::string safeName(std::string name) {
    for (char& c : name) {
        if (c == '/' || (static_cast<unsigned char>(c) < 0x20)) c = '_';
    }
    if (name.empty() || name == "." || name == "..") name = "_";
    if (name.size() > longestName) {
        const std::size_t dot = name.rfind('.');
        std::string extension = dot != std::string::npos && name.size() - dot <= 16 ? name.substr(dot) : "";
        std::size_t keep = longestName - extension.size();
        // Never cut a UTF-8 sequence in two.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        name = name.substr(0, keep) + extension;
    }
    return name;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

}  // namespace

MetadataWriter::MetadataWriter(IResource* entry, IWritableRandomAccessFile* file, IMemory* block)
    : entry(entry), file(file), block(block) {}

void MetadataWriter::clear() { starts.clear(); }

void MetadataWriter::write(const VolumePlan& plan, const std::string& folder, const Listener& listener) {
    clear();
    IDiskContents* disk = plan.contents();
    if (disk == nullptr) return;
    const std::vector<IDiskContents::Volume>& volumes = disk->volumes();
    const std::vector<IDiskContents::File>& files = disk->files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (listener.cancelled()) return;
        const IDiskContents::File& found = files[i];
        if (!plan.isChosen(found.volume)) continue;
        Outcome outcome;
        outcome.file = &found;
        outcome.volume = volumes[found.volume].name;
        outcome.originalPath = joined(found.folder, found.name);

        std::string target = folder + "/" + safeName(outcome.volume);
        if (found.deleted) target += "/" + deletedFolder();
        if (!found.folder.empty()) {
            std::size_t start = 0;
            for (;;) {
                const std::size_t slash = found.folder.find('/', start);
                target += "/" + safeName(found.folder.substr(start, slash - start));
                if (slash == std::string::npos) break;
                start = slash + 1;
            }
        }

        bool written = false;
        switch (found.contents) {
        case IDiskContents::Contents::reused:
            outcome.reason = "中身の場所は、いまは別のファイルが使っています。";
            break;
        case IDiskContents::Contents::unknown:
            outcome.reason = "中身の場所はファイルシステムに残っていません。";
            break;
        default:
            if (ensureFolder(target, outcome.reason)) {
                const std::string path = freeName(target, safeName(found.name));
                written = writeFile(*disk, i, path, outcome.reason);
                if (written) outcome.outputPath = path;
            }
            break;
        }
        if (!found.runs.empty()) {
            starts.emplace(found.runs.front().offset,
                           Entry{&found, outcome.volume, outcome.originalPath, target, written, found.runs.size() == 1});
        }
        listener.told(outcome);
    }
}

bool MetadataWriter::writeFile(IDiskContents& disk, std::size_t index, const std::string& path,
                               std::string& reason) {
    const IDiskContents::File& found = disk.files()[index];
    entry->setPath(path);
    if (!entry->createFile()) {
        reason = "出力ファイル「" + path + "」を作れません。";
        return false;
    }
    std::uint64_t done = 0;
    try {
        file->setFile(entry);
        if (block->getSize() < blockSize) block->setSize(blockSize);
        while (done < found.size) {
            const std::uint64_t got = disk.read(index, done, block->getPointer(),
                                                std::min<std::uint64_t>(blockSize, found.size - done));
            if (got == 0) break;
            file->write(block, static_cast<std::uint32_t>(got));
            done += got;
        }
        if (done < found.size) reason = "途中までしか読めません（" + std::to_string(done) + " バイト）。";
    } catch (const Exception& e) {
        reason = e.getMessage();
    }
    if (done < found.size || !reason.empty()) {
        // Half a file said to be whole would be worse than none.
        entry->setPath(path);
        entry->remove();
        return false;
    }
    if (found.modified > 0) entry->setModificationTime(found.modified);
    return true;
}

bool MetadataWriter::ensureFolder(const std::string& path, std::string& reason) {
    entry->setPath(path);
    if (entry->isDirectory()) return true;
    // Made from the top down: the parents come first.
    std::size_t slash = path.find('/', 1);
    for (;;) {
        const std::string level = path.substr(0, slash);
        entry->setPath(level);
        if (!entry->isDirectory()) {
            const bool made = !entry->exists() && entry->createDirectory();
            // Made meanwhile by someone else is as good as made here.
            entry->setPath(level);
            if (!made && !entry->isDirectory()) {
                reason = "フォルダー「" + level + "」を作れません。";
                return false;
            }
        }
        if (slash == std::string::npos) return true;
        slash = path.find('/', slash + 1);
    }
}

std::string MetadataWriter::freeName(const std::string& folder, const std::string& name) {
    std::string path = folder + "/" + name;
    entry->setPath(path);
    if (!entry->exists()) return path;
    const std::size_t dot = name.rfind('.');
    const std::string stem = dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name;
    const std::string extension = dot != std::string::npos && dot > 0 ? name.substr(dot) : "";
    for (unsigned number = 2;; ++number) {
        path = folder + "/" + stem + " (" + std::to_string(number) + ")" + extension;
        entry->setPath(path);
        if (!entry->exists()) return path;
    }
}

MetadataWriter::Carved MetadataWriter::takeCarved(std::uint64_t position, std::uint64_t size,
                                                  std::string& outputName, Outcome& named) {
    const auto range = starts.equal_range(position);
    for (auto at = range.first; at != range.second; ++at) {
        Entry& known = at->second;
        if (known.file->size != size) continue;
        // A file in one piece from here: the carving read the very bytes the file system gave.
        if (known.written && known.single) return Carved::duplicate;
        if (known.written || !known.file->deleted) continue;
        std::string reason;
        if (!ensureFolder(known.folder, reason)) continue;
        const std::string path = freeName(known.folder, safeName(known.file->name));
        entry->setPath(outputName);
        if (!entry->moveTo(path)) continue;
        if (known.file->modified > 0) entry->setModificationTime(known.file->modified);
        known.written = true;
        known.single = false;
        outputName = path;
        named.file = known.file;
        named.volume = known.volume;
        named.originalPath = known.originalPath;
        named.outputPath = path;
        named.reason.clear();
        return Carved::named;
    }
    return Carved::kept;
}
