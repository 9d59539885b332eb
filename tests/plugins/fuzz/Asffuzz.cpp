#include "plugins/asf/Asfparser.h"
#include "plugins/wma/Wmaparser.h"
#include "plugins/wmv/Wmvparser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

// The three kinds share one walker; each input goes through all of them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzParser(data, size, [] { return AsfParser(); });
    fuzzParser(data, size, [] { return WmaParser(); });
    return fuzzParser(data, size, [] { return WmvParser(); });
}
