#include "plugins/common/Bytecursor.h"
#include "plugins/common/Memorysource.h"
#include "plugins/deflate/Deflatestream.h"

#include <cstdint>
#include <cstdlib>

// The inflater the zip and gzip parsers share, over any bytes: an end it reports lies within the
// input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySource source(data, size);
    ByteCursor input(source, 0, size);
    const DeflateStream::Result result = DeflateStream::inflate(input, 0);
    if (result.outcome == DeflateStream::Outcome::Ended && result.end > size) {
        std::abort();
    }
    return 0;
}
