#include "plugins/doc/Docparser.h"
#include "plugins/ole/Oleparser.h"
#include "plugins/ppt/Pptparser.h"
#include "plugins/xls/Xlsparser.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

// The four kinds share one parser; each is fuzzed, so that the walk of the directory is reached
// whatever its streams are called.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzParser(data, size, [] { return OleParser(); });
    fuzzParser(data, size, [] { return DocParser(); });
    fuzzParser(data, size, [] { return XlsParser(); });
    return fuzzParser(data, size, [] { return PptParser(); });
}
