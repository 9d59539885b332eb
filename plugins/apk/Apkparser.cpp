#include "plugins/apk/Apkparser.h"

#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{"AndroidManifest.xml", "META-INF/", "META-INF/MANIFEST.MF", "classes.dex", "resources.arsc"}, "", {"AndroidManifest.xml"}});
    return kind;
}

}

const SignatureSet& ApkParser::signatures()
{
    return layout().signatures();
}

bool ApkParser::detect(const unsigned char* data)
{
    // Almost every position fails here, before the layout is looked at.
    return loadWord32(data) == magic32('P', 'K', 3, 4) && layout().detect(data);
}

std::uint64_t ApkParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& ApkParser::members() const
{
    return zip.members();
}

const std::vector<std::uint64_t>& ApkParser::refused() const
{
    return zip.refused();
}
