#include "plugins/rw2/Rw2parser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/common/Tiffparser.h"

namespace {

constexpr std::uint16_t panasonicMagic = 0x55;

}

const SignatureSet& Rw2Parser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {'I', 'I', 'U', 0});
    return set;
}

bool Rw2Parser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('I', 'I', 'U', 0)) {
        return false;
    }
    return TiffParser::detectHeader(data, panasonicMagic);
}

std::uint64_t Rw2Parser::measure(ByteCursor& input)
{
    TiffParser tiff;
    const std::uint64_t length = tiff.measure(input, panasonicMagic);
    return length > 0 && tiff.hasImageData() ? length : 0;
}
