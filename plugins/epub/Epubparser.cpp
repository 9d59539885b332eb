#include "plugins/epub/Epubparser.h"

#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{}, "application/epub+zip", {"META-INF/container.xml"}});
    return kind;
}

}

const SignatureSet& EpubParser::signatures()
{
    return layout().signatures();
}

bool EpubParser::detect(const unsigned char* data)
{
    // Almost every position fails here, before the layout is looked at.
    return loadWord32(data) == magic32('P', 'K', 3, 4) && layout().detect(data);
}

std::uint64_t EpubParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& EpubParser::members() const
{
    return zip.members();
}

const std::vector<std::uint64_t>& EpubParser::refused() const
{
    return zip.refused();
}
