#include "plugins/cur/Curparser.h"

#include "plugins/common/Signatureset.h"

const SignatureSet& CurParser::signatures()
{
    // The reserved word and the type.
    static const SignatureSet set = SignatureSet().add(0, {0, 0, 2, 0});
    return set;
}

bool CurParser::detect(const unsigned char* data)
{
    return IconParser::detect(data, IconParser::cursor);
}

std::uint64_t CurParser::measure(ByteCursor& input)
{
    IconParser parser;
    return parser.measure(input, IconParser::cursor);
}
