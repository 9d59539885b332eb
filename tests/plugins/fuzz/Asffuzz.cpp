#include "plugins/asf/Asfparser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

// The wma and wmv kinds share this walker and have targets of their own.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzParser(data, size, [] { return AsfParser(); });
}
