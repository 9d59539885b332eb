#include "plugins/odp/Odpparser.h"

#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{}, "application/vnd.oasis.opendocument.presentation", {"content.xml"}});
    return kind;
}

}

const SignatureSet& OdpParser::signatures()
{
    return layout().signatures();
}

bool OdpParser::detect(const unsigned char* data)
{
    return layout().detect(data);
}

std::uint64_t OdpParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& OdpParser::members() const
{
    return zip.members();
}
