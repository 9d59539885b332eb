#include "plugins/dng/Dngparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/common/Tiffparser.h"

const SignatureSet& DngParser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {'I', 'I', 42, 0})
                                        .add(0, {'M', 'M', 0, 42})
                                        .add(0, {'I', 'I', 43, 0})
                                        .add(0, {'M', 'M', 0, 43});
    return set;
}

bool DngParser::detect(const unsigned char* data)
{
    if (!(loadWord16(data) == magic16('I', 'I') || loadWord16(data) == magic16('M', 'M'))) {
        return false;
    }
    return TiffParser::detectHeader(data, TiffParser::classicMagic);
}

std::uint64_t DngParser::measure(ByteCursor& input)
{
    TiffParser tiff;
    const std::uint64_t length = tiff.measure(input, TiffParser::classicMagic);
    return length > 0 && tiff.hasDngVersion() && tiff.hasImageData() ? length : 0;
}
