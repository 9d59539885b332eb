#include "plugins/jpeg/Jpegparser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzParser(data, size, [] { return JpegParser(); });
    // The size bounds of the plug-in's settings, too.
    return fuzzParser(data, size, [] { return JpegParser(8, 8); });
}
