#include "plugins/flac/Flacparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

namespace {

constexpr std::uint32_t streamTag = magic32('f', 'L', 'a', 'C');
constexpr unsigned streamInfoLength = 34;
constexpr unsigned char lastBlock = 0x80;
constexpr unsigned char invalidBlockType = 127;
// A stream holds at most a few hundred metadata blocks (pictures, cue sheets, padding...).
constexpr unsigned mostBlocks = 1024;

struct Crcs {
    std::uint8_t crc8[256];
    std::uint16_t crc16[256];

    Crcs()
    {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned value = i;
            for (int bit = 0; bit < 8; ++bit) {
                value = (value & 0x80) != 0 ? (value << 1 ^ 0x07) & 0xFF : value << 1 & 0xFF;
            }
            crc8[i] = static_cast<std::uint8_t>(value);
            unsigned wide = i << 8;
            for (int bit = 0; bit < 8; ++bit) {
                wide = (wide & 0x8000) != 0 ? (wide << 1 ^ 0x8005) & 0xFFFF : wide << 1 & 0xFFFF;
            }
            crc16[i] = static_cast<std::uint16_t>(wide);
        }
    }
};

const Crcs crcs;

// Reads a frame bit by bit from the cursor, keeping the CRC-16 of every whole byte taken.
class BitReader {
public:
    explicit BitReader(ByteCursor& input) : input(input)
    {
    }

    bool bits(unsigned count, std::uint32_t& value)
    {
        value = 0;
        while (count > 0) {
            if (left == 0 && !next()) {
                return false;
            }
            const unsigned take = count < left ? count : left;
            value = value << take | (current >> (left - take) & ((1u << take) - 1));
            left -= take;
            count -= take;
        }
        return true;
    }

    // Skips count bits, which may be many.
    bool skipBits(std::uint64_t count)
    {
        while (count > 0) {
            if (left == 0 && !next()) {
                return false;
            }
            const unsigned take = count < left ? static_cast<unsigned>(count) : left;
            left -= take;
            count -= take;
        }
        return true;
    }

    // The number of 0 bits before the next 1 bit, which is taken too.
    bool unary(std::uint32_t& zeros, std::uint32_t most)
    {
        zeros = 0;
        for (;;) {
            if (left == 0 && !next()) {
                return false;
            }
            const unsigned rest = current & ((1u << left) - 1);
            if (rest != 0) {
                unsigned width = 0;
                while ((rest >> width) != 1) {
                    ++width;
                }
                zeros += left - 1 - width;
                left = width;
                return zeros <= most;
            }
            zeros += left;
            left = 0;
            if (zeros > most) {
                return false;
            }
        }
    }

    // Drops the bits left of the current byte.
    void align()
    {
        left = 0;
    }

    std::uint16_t crc16() const
    {
        return crc;
    }

private:
    bool next()
    {
        unsigned char byte;
        if (!input.readByte(byte)) {
            return false;
        }
        crc = static_cast<std::uint16_t>(crc << 8 ^ crcs.crc16[(crc >> 8 ^ byte) & 0xFF]);
        current = byte;
        left = 8;
        return true;
    }

    ByteCursor& input;
    unsigned current = 0;
    unsigned left = 0;
    std::uint16_t crc = 0;
};

// Walks the residual of a subframe: its partitions of Rice codes.
bool skipResidual(BitReader& reader, std::uint32_t blockSize, unsigned order, unsigned bitsPerSample)
{
    std::uint32_t method = 0;
    std::uint32_t partitionOrder = 0;
    if (!reader.bits(2, method) || method > 1 || !reader.bits(4, partitionOrder)) {
        return false;
    }
    const unsigned parameterBits = method == 0 ? 4 : 5;
    const std::uint32_t escape = method == 0 ? 15 : 31;
    const std::uint32_t partitions = 1u << partitionOrder;
    if (blockSize % partitions != 0 || (blockSize >> partitionOrder) < order) {
        return false;
    }
    // A Rice quotient longer than the sample is wide cannot come from a real encoder.
    const std::uint32_t longestQuotient = 1u << (bitsPerSample < 24 ? bitsPerSample : 24);
    for (std::uint32_t partition = 0; partition < partitions; ++partition) {
        std::uint32_t samples = blockSize >> partitionOrder;
        if (partition == 0) {
            samples -= order;
        }
        std::uint32_t parameter = 0;
        if (!reader.bits(parameterBits, parameter)) {
            return false;
        }
        if (parameter == escape) {
            std::uint32_t raw = 0;
            if (!reader.bits(5, raw) || !reader.skipBits(std::uint64_t{raw} * samples)) {
                return false;
            }
            continue;
        }
        for (std::uint32_t i = 0; i < samples; ++i) {
            std::uint32_t quotient = 0;
            if (!reader.unary(quotient, longestQuotient) || !reader.skipBits(parameter)) {
                return false;
            }
        }
    }
    return true;
}

bool skipSubframe(BitReader& reader, std::uint32_t blockSize, unsigned bitsPerSample)
{
    std::uint32_t zero = 0;
    std::uint32_t type = 0;
    std::uint32_t wasted = 0;
    if (!reader.bits(1, zero) || zero != 0 || !reader.bits(6, type) || !reader.bits(1, wasted)) {
        return false;
    }
    if (wasted != 0) {
        std::uint32_t count = 0;
        if (!reader.unary(count, bitsPerSample) || count + 1 >= bitsPerSample) {
            return false;
        }
        bitsPerSample -= count + 1;
    }
    if (type == 0) {
        return reader.skipBits(bitsPerSample);
    }
    if (type == 1) {
        return reader.skipBits(std::uint64_t{bitsPerSample} * blockSize);
    }
    if (type >= 8 && type <= 12) {
        const unsigned order = type - 8;
        return order <= blockSize && reader.skipBits(std::uint64_t{bitsPerSample} * order) &&
               skipResidual(reader, blockSize, order, bitsPerSample);
    }
    if (type >= 32) {
        const unsigned order = type - 31;
        std::uint32_t precision = 0;
        std::uint32_t shift = 0;
        if (order > blockSize || !reader.skipBits(std::uint64_t{bitsPerSample} * order) ||
            !reader.bits(4, precision) || precision == 15 || !reader.bits(5, shift) ||
            !reader.skipBits(std::uint64_t{precision + 1} * order)) {
            return false;
        }
        return skipResidual(reader, blockSize, order, bitsPerSample);
    }
    return false;
}

}

const SignatureSet& FlacParser::signatures()
{
    // "fLaC", then a STREAMINFO block (type 0, whichever the last flag) of 34 bytes.
    static const SignatureSet set = SignatureSet().add(0, {'f', 'L', 'a', 'C', 0, 0, 0, streamInfoLength},
                                                       {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF});
    return set;
}

bool FlacParser::detect(const unsigned char* data)
{
    return loadWord32(data) == streamTag && (data[4] & ~lastBlock) == 0 && data[5] == 0 && data[6] == 0 &&
           data[7] == streamInfoLength;
}

bool FlacParser::readStreamInfo(ByteCursor& input)
{
    unsigned char info[streamInfoLength];
    if (!input.read(info, sizeof info)) {
        return false;
    }
    const std::uint32_t minimumBlockSize = bigEndian16(info);
    maximumBlockSize = bigEndian16(info + 2);
    const std::uint32_t minimumFrameSize = info[4] << 16 | info[5] << 8 | info[6];
    const std::uint32_t maximumFrameSize = info[7] << 16 | info[8] << 8 | info[9];
    streamSampleRate = info[10] << 12 | info[11] << 4 | info[12] >> 4;
    streamBitsPerSample = ((info[12] & 1) << 4 | info[13] >> 4) + 1;
    totalSamples = std::uint64_t{info[13] & 0x0Fu} << 32 | bigEndian32(info + 14);
    return minimumBlockSize >= 16 && maximumBlockSize >= minimumBlockSize && streamSampleRate != 0 &&
           streamSampleRate <= 655350 && streamBitsPerSample >= 4 &&
           (minimumFrameSize == 0 || maximumFrameSize == 0 || minimumFrameSize <= maximumFrameSize);
}

bool FlacParser::readFrameHeader(ByteCursor& input, FrameHeader& header, std::uint8_t& crc8)
{
    unsigned char bytes[16];
    std::size_t count = 0;
    auto take = [&](unsigned char& byte) {
        if (count == sizeof bytes || !input.readByte(byte)) {
            return false;
        }
        bytes[count++] = byte;
        return true;
    };
    unsigned char b[4];
    for (auto& byte : b) {
        if (!take(byte)) {
            return false;
        }
    }
    if (b[0] != 0xFF || (b[1] & 0xFE) != 0xF8 || (b[3] & 1) != 0) {
        return false;
    }
    header.variable = (b[1] & 1) != 0;
    const unsigned blockCode = b[2] >> 4;
    const unsigned rateCode = b[2] & 0x0F;
    header.channelAssignment = b[3] >> 4;
    const unsigned sizeCode = b[3] >> 1 & 7;
    if (blockCode == 0 || rateCode == 15 || header.channelAssignment > 10 || sizeCode == 3) {
        return false;
    }
    header.channels = header.channelAssignment < 8 ? header.channelAssignment + 1 : 2;
    static const unsigned sampleSizes[8] = {0, 8, 12, 0, 16, 20, 24, 32};
    header.bitsPerSample = sizeCode == 0 ? streamBitsPerSample : sampleSizes[sizeCode];
    // The frame or sample number, coded as UTF-8 is, up to 36 bits.
    unsigned char first;
    if (!take(first)) {
        return false;
    }
    unsigned extra = 0;
    std::uint64_t number = first;
    if ((first & 0x80) != 0) {
        if ((first & 0xC0) == 0x80 || first == 0xFF) {
            return false;
        }
        while ((first << (extra + 1) & 0x80) != 0) {
            ++extra;
        }
        number = first & (0x7F >> (extra + 1));
        for (unsigned i = 0; i < extra; ++i) {
            unsigned char next;
            if (!take(next) || (next & 0xC0) != 0x80) {
                return false;
            }
            number = number << 6 | (next & 0x3F);
        }
    }
    if (extra > (header.variable ? 6u : 5u)) {
        return false;
    }
    header.number = number;
    unsigned char low = 0;
    unsigned char high = 0;
    if (blockCode == 1) {
        header.blockSize = 192;
    } else if (blockCode <= 5) {
        header.blockSize = 576u << (blockCode - 2);
    } else if (blockCode == 6) {
        if (!take(low)) {
            return false;
        }
        header.blockSize = low + 1u;
    } else if (blockCode == 7) {
        if (!take(high) || !take(low)) {
            return false;
        }
        header.blockSize = (high << 8 | low) + 1u;
    } else {
        header.blockSize = 256u << (blockCode - 8);
    }
    if (rateCode == 12) {
        if (!take(low)) {
            return false;
        }
    } else if (rateCode >= 13) {
        if (!take(high) || !take(low)) {
            return false;
        }
    }
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc = crcs.crc8[crc ^ bytes[i]];
    }
    unsigned char stored;
    if (!input.readByte(stored) || stored != crc) {
        return false;
    }
    crc8 = stored;
    return header.bitsPerSample != 0 && header.blockSize <= maximumBlockSize;
}

std::uint64_t FlacParser::readFrame(ByteCursor& input, std::uint64_t position, FrameHeader& header)
{
    if (!input.seek(position)) {
        return 0;
    }
    std::uint8_t crc8 = 0;
    if (!readFrameHeader(input, header, crc8)) {
        return 0;
    }
    const std::uint64_t headerEnd = input.position();
    // The frame's CRC-16 covers the header too: read it again through the bit reader.
    if (!input.seek(position)) {
        return 0;
    }
    BitReader reader(input);
    if (!reader.skipBits((headerEnd - position) * 8)) {
        return 0;
    }
    for (unsigned channel = 0; channel < header.channels; ++channel) {
        unsigned bits = header.bitsPerSample;
        // The side channel of a stereo pair is a bit wider.
        if ((header.channelAssignment == 8 && channel == 1) || (header.channelAssignment == 9 && channel == 0) ||
            (header.channelAssignment == 10 && channel == 1)) {
            ++bits;
        }
        if (!skipSubframe(reader, header.blockSize, bits)) {
            return 0;
        }
    }
    reader.align();
    const std::uint16_t computed = reader.crc16();
    std::uint16_t stored = 0;
    if (!input.readBigEndian16(stored) || stored != computed) {
        return 0;
    }
    return input.position() - position;
}

std::uint64_t FlacParser::measure(ByteCursor& input)
{
    unsigned char header[windowSize];
    if (!input.read(header, sizeof header) || !detect(header) || !readStreamInfo(input)) {
        return 0;
    }
    bool last = (header[4] & lastBlock) != 0;
    for (unsigned blocks = 1; !last; ++blocks) {
        unsigned char block[4];
        if (blocks > mostBlocks || !input.read(block, sizeof block)) {
            return 0;
        }
        last = (block[0] & lastBlock) != 0;
        const unsigned type = block[0] & ~lastBlock;
        // Only one STREAMINFO; type 127 is forbidden.
        if (type == 0 || type == invalidBlockType || !input.skip(block[1] << 16 | block[2] << 8 | block[3])) {
            return 0;
        }
    }
    std::uint64_t position = input.position();
    std::uint64_t samples = 0;
    std::uint64_t frames = 0;
    bool variable = false;
    for (;;) {
        FrameHeader frame{};
        const std::uint64_t length = readFrame(input, position, frame);
        // The first frame sets the blocking strategy; its number counts frames, or samples.
        const bool inSequence = length > 0 && (frames == 0 || frame.variable == variable) &&
                                frame.number == (frame.variable ? samples : frames);
        if (!inSequence) {
            if (totalSamples != 0 || frames == 0) {
                return 0;
            }
            return position;
        }
        variable = frame.variable;
        position += length;
        samples += frame.blockSize;
        ++frames;
        if (totalSamples != 0 && samples >= totalSamples) {
            return samples == totalSamples ? position : 0;
        }
    }
}
