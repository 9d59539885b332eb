#include "plugins/tif/Tifparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/common/Tiffparser.h"

const SignatureSet& TifParser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {'I', 'I', 42, 0})
                                        .add(0, {'M', 'M', 0, 42})
                                        .add(0, {'I', 'I', 43, 0})
                                        .add(0, {'M', 'M', 0, 43});
    return set;
}

bool TifParser::detect(const unsigned char* data)
{
    const std::uint32_t word = loadWord32(data);
    if (word != magic32('I', 'I', 42, 0) && word != magic32('M', 'M', 0, 42) && word != magic32('I', 'I', 43, 0) &&
        word != magic32('M', 'M', 0, 43)) {
        return false;
    }
    return TiffParser::detectHeader(data, TiffParser::classicMagic);
}

std::uint64_t TifParser::measure(ByteCursor& input)
{
    TiffParser tiff;
    const std::uint64_t length = tiff.measure(input, TiffParser::classicMagic);
    return tiff.firstHasImageData() ? length : 0;
}
