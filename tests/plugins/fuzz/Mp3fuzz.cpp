#include "plugins/mp3/Mp3parser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzParser(data, size, [] { return Mp3Parser(); });
}
