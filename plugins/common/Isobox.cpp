#include "plugins/common/Isobox.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"

IsoBox::Status IsoBox::read(ByteCursor& input, std::uint64_t position, std::uint64_t containerEnd, IsoBox& box)
{
    unsigned char header[16];
    if (containerEnd - position < 8 || !input.peek(position, header, 8)) {
        return Status::missing;
    }
    box.start = position;
    box.type = bigEndian32(header + 4);
    box.toEnd = false;
    std::uint64_t size = bigEndian32(header);
    box.headerSize = 8;
    if (size == 1) {
        if (containerEnd - position < 16 || !input.peek(position + 8, header + 8, 8)) {
            return Status::malformed;
        }
        size = std::uint64_t{bigEndian32(header + 8)} << 32 | bigEndian32(header + 12);
        box.headerSize = 16;
    } else if (size == 0) {
        box.toEnd = true;
        box.end = position;
        return Status::valid;
    }
    if (size < box.headerSize || size > containerEnd - position) {
        return Status::malformed;
    }
    box.end = position + size;
    return Status::valid;
}

bool IsoBox::findChild(ByteCursor& input, std::uint64_t first, std::uint64_t containerEnd, std::uint32_t type,
                       IsoBox& found)
{
    std::uint64_t position = first;
    while (position < containerEnd) {
        IsoBox child;
        if (read(input, position, containerEnd, child) != Status::valid) {
            return false;
        }
        if (child.toEnd) {
            child.end = containerEnd;
        }
        if (child.type == type) {
            found = child;
            return true;
        }
        position = child.end;
    }
    return false;
}
