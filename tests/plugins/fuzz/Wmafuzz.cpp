#include "plugins/wma/Wmaparser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzParser(data, size, [] { return WmaParser(); });
}
