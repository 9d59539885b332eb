#include "plugins/jpeg2000/Jpeg2000parser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzParser(data, size, [] { return Jpeg2000Parser(); });
}
