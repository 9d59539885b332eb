#include "plugins/ods/Odsparser.h"

#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{}, "application/vnd.oasis.opendocument.spreadsheet", {"content.xml"}});
    return kind;
}

}

const SignatureSet& OdsParser::signatures()
{
    return layout().signatures();
}

bool OdsParser::detect(const unsigned char* data)
{
    // Almost every position fails here, before the layout is looked at.
    return loadWord32(data) == magic32('P', 'K', 3, 4) && layout().detect(data);
}

std::uint64_t OdsParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& OdsParser::members() const
{
    return zip.members();
}

const std::vector<std::uint64_t>& OdsParser::refused() const
{
    return zip.refused();
}
