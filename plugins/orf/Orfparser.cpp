#include "plugins/orf/Orfparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/common/Tiffparser.h"

namespace {

// "RO" and "RS" read in the header's byte order.
constexpr std::uint16_t roMagic = 0x4F52;
constexpr std::uint16_t rsMagic = 0x5352;

}

const SignatureSet& OrfParser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {'I', 'I', 'R', 'O'})
                                        .add(0, {'M', 'M', 'O', 'R'})
                                        .add(0, {'I', 'I', 'R', 'S'})
                                        .add(0, {'M', 'M', 'S', 'R'});
    return set;
}

bool OrfParser::detect(const unsigned char* data)
{
    if (!(loadWord16(data) == magic16('I', 'I') || loadWord16(data) == magic16('M', 'M'))) {
        return false;
    }
    return TiffParser::detectHeader(data, roMagic) || TiffParser::detectHeader(data, rsMagic);
}

std::uint64_t OrfParser::measure(ByteCursor& input)
{
    unsigned char header[8];
    if (!input.read(header, sizeof header) || !input.seek(0)) {
        return 0;
    }
    TiffParser tiff;
    const std::uint16_t magic = TiffParser::detectHeader(header, roMagic) ? roMagic : rsMagic;
    const std::uint64_t length = tiff.measure(input, magic);
    return length > 0 && tiff.hasImageData() ? length : 0;
}
