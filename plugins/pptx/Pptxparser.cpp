#include "plugins/pptx/Pptxparser.h"

#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{"[Content_Types].xml", "_rels/.rels"}, "", {"[Content_Types].xml", "ppt/"}});
    return kind;
}

}

const SignatureSet& PptxParser::signatures()
{
    return layout().signatures();
}

bool PptxParser::detect(const unsigned char* data)
{
    // Almost every position fails here, before the layout is looked at.
    return loadWord32(data) == magic32('P', 'K', 3, 4) && layout().detect(data);
}

std::uint64_t PptxParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& PptxParser::members() const
{
    return zip.members();
}

const std::vector<std::uint64_t>& PptxParser::refused() const
{
    return zip.refused();
}
