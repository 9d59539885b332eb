#include "plugins/cr2/Cr2parser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"
#include "plugins/common/Tiffparser.h"

const SignatureSet& Cr2Parser::signatures()
{
    static const SignatureSet set = SignatureSet()
                                        .add(0, {'I', 'I', 42, 0, 0, 0, 0, 0, 'C', 'R', 2},
                                             {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF});
    return set;
}

bool Cr2Parser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('I', 'I', 42, 0)) {
        return false;
    }
    return data[8] == 'C' && data[9] == 'R' && data[10] == 2 &&
           TiffParser::detectHeader(data, TiffParser::classicMagic);
}

std::uint64_t Cr2Parser::measure(ByteCursor& input)
{
    unsigned char header[windowSize];
    if (!input.read(header, sizeof header) || !detect(header) || !input.seek(0)) {
        return 0;
    }
    TiffParser tiff;
    const std::uint64_t length = tiff.measure(input, TiffParser::classicMagic);
    return length > 0 && tiff.hasImageData() ? length : 0;
}
