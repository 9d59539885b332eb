#include "plugins/arw/Arwparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/common/Tiffparser.h"

#include <cstring>
#include <string>

namespace {

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}

const SignatureSet& ArwParser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {'I', 'I', 42, 0})
                                        .add(0, {'M', 'M', 0, 42});
    return set;
}

bool ArwParser::detect(const unsigned char* data)
{
    if (!(loadWord16(data) == magic16('I', 'I') || loadWord16(data) == magic16('M', 'M'))) {
        return false;
    }
    return TiffParser::detectHeader(data, TiffParser::classicMagic) && data[2] != 43 && data[3] != 43;
}

std::uint64_t ArwParser::measure(ByteCursor& input)
{
    TiffParser tiff;
    const std::uint64_t length = tiff.measure(input, TiffParser::classicMagic);
    const bool sony = !tiff.isBigTiff() && startsWith(tiff.make(), "SONY") && !tiff.hasDngVersion();
    return length > 0 && sony && tiff.hasSensorData() && tiff.hasImageData() ? length : 0;
}
