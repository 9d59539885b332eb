#include "framework/Randomaccessfile.h"

#include "framework/Exception.h"
#include "framework/IMemory.h"
#include "framework/IResource.h"
#include "framework/IWritableRandomAccessFile.h"
#include "framework/Tarnwickfactory.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

namespace {

constexpr std::uint32_t copyBlockSize = 4096;

}  // namespace

RandomAccessFile::RandomAccessFile() = default;

RandomAccessFile::~RandomAccessFile() = default;

void RandomAccessFile::setFile(IResource* file) {
    openFile(file, os::File::Access::read, "RandomAccessFile::setFile");
}

void RandomAccessFile::openFile(IResource* file, os::File::Access access, const std::string& origin) {
    if (!file->isFile()) throw IOException("ファイルではないリソースが指定されました。", origin);
    // A stream has no offsets to seek to, and reading it would wait for whoever writes it. Writing
    // to one (a device that takes what it is given) stays possible.
    switch (access == os::File::Access::read ? file->getKind() : ResourceKind::file) {
    case ResourceKind::characterDevice:
        throw IOException("端末などの文字デバイスはファイルとして読めません。", origin);
    case ResourceKind::pipe:
        throw IOException("名前付きパイプ（FIFO）はファイルとして読めません。", origin);
    case ResourceKind::socket:
        throw IOException("ソケットはファイルとして読めません。", origin);
    case ResourceKind::other:
        throw IOException("ファイルとして読めない種類のリソースです。", origin);
    default:
        break;
    }
    os::File opened = os::File::open(file->getPath(), access);
    if (!opened.isOpen()) throw IOException("ファイルがオープンできません。", origin);
    stream = std::move(opened);
}

void RandomAccessFile::checkOpen(const std::string& origin) {
    if (!stream.isOpen()) throw IOException("ファイルが指定されていません。", origin);
}

std::int32_t RandomAccessFile::read(IMemory* block) {
    checkOpen("RandomAccessFile::read");
    // The count travels as a signed 32-bit number, so one read takes at most that many bytes.
    const std::uint32_t wanted =
        std::min<std::uint32_t>(block->getSize(), std::numeric_limits<std::int32_t>::max());
    const std::int64_t count = wanted == 0 ? 0 : stream.read(block->getPointer(), wanted);
    if (count < 0) readFailed();
    return static_cast<std::int32_t>(count);
}

std::int32_t RandomAccessFile::readSalvaging(IMemory* block, std::vector<ByteRange>& unreadable) {
    checkOpen("RandomAccessFile::read");
    const std::uint32_t wanted =
        std::min<std::uint32_t>(block->getSize(), std::numeric_limits<std::int32_t>::max());
    std::vector<os::File::Span> spans;
    const std::int64_t count = wanted == 0 ? 0 : stream.readSalvaging(block->getPointer(), wanted, spans);
    if (count < 0) readFailed();
    for (const os::File::Span& span : spans) {
        const ByteRange range{static_cast<std::uint64_t>(span.offset), static_cast<std::uint64_t>(span.length)};
        if (!unreadable.empty() && unreadable.back().end() >= range.offset && unreadable.back().offset <= range.offset) {
            unreadable.back().length = std::max(unreadable.back().end(), range.end()) - unreadable.back().offset;
        } else {
            unreadable.push_back(range);
        }
    }
    return static_cast<std::int32_t>(count);
}

void RandomAccessFile::readFailed() {
    if (stream.lastReadError() == os::File::ReadError::gone) {
        throw IOException("デバイスが見つからないため読み込めません（取り外されたか、接続が切れました）。",
                          "RandomAccessFile::read");
    }
    throw IOException("読み込みできません。", "RandomAccessFile::read");
}

void RandomAccessFile::seekTo(std::int64_t offset, os::File::Origin origin, const std::string& operation) {
    checkOpen(operation);
    // A refused position (before the start) is no failure: the position just stays.
    if (stream.seek(offset, origin) == os::File::SeekResult::failed) throw IOException("シークできません。", operation);
}

void RandomAccessFile::seek(std::int32_t offset) {
    seekTo(offset, os::File::Origin::begin, "RandomAccessFile::seek");
}

void RandomAccessFile::seek(std::int32_t high, std::uint32_t low) {
    const std::int64_t offset = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low);
    seekTo(offset, high < 0 ? os::File::Origin::end : os::File::Origin::begin, "RandomAccessFile::seek");
}

void RandomAccessFile::seekFromCurrent(std::int32_t offset) {
    seekTo(offset, os::File::Origin::current, "RandomAccessFile::seekFromCurrent");
}

void RandomAccessFile::copyTo(IWritableRandomAccessFile* target, std::uint32_t count) {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    IMemory* block = factory->createMemory();
    block->setSize(copyBlockSize);
    // Only what was read is written: a source that ends early never hands the target bytes it
    // did not hold.
    while (count > block->getSize()) {
        const std::int32_t got = read(block);
        target->write(block, static_cast<std::uint32_t>(got));
        if (static_cast<std::uint32_t>(got) < block->getSize()) return;
        count -= block->getSize();
    }
    block->setSize(count);
    const std::int32_t got = read(block);
    target->write(block, static_cast<std::uint32_t>(got));
}
