#include "plugins/ico/Icoparser.h"

#include "plugins/common/Signatureset.h"

const SignatureSet& IcoParser::signatures()
{
    // The reserved word and the type.
    static const SignatureSet set = SignatureSet().add(0, {0, 0, 1, 0});
    return set;
}

bool IcoParser::detect(const unsigned char* data)
{
    return IconParser::detect(data, IconParser::icon);
}

std::uint64_t IcoParser::measure(ByteCursor& input)
{
    IconParser parser;
    return parser.measure(input, IconParser::icon);
}
