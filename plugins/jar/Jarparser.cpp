#include "plugins/jar/Jarparser.h"

#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{"META-INF/", "META-INF/MANIFEST.MF"}, "", {"META-INF/MANIFEST.MF"}});
    return kind;
}

}

const SignatureSet& JarParser::signatures()
{
    return layout().signatures();
}

bool JarParser::detect(const unsigned char* data)
{
    // Almost every position fails here, before the layout is looked at.
    return loadWord32(data) == magic32('P', 'K', 3, 4) && layout().detect(data);
}

std::uint64_t JarParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& JarParser::members() const
{
    return zip.members();
}

const std::vector<std::uint64_t>& JarParser::refused() const
{
    return zip.refused();
}
