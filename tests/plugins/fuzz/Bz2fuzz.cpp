#include "plugins/bz2/Bz2parser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzParser(data, size, [] { return Bz2Parser(); });
}
