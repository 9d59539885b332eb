#include "plugins/docx/Docxparser.h"

#include "plugins/common/Bytes.h"
#include "plugins/zip/Zipkind.h"

namespace {

const ZipKind& layout()
{
    static const ZipKind kind(ZipKind::Layout{{"[Content_Types].xml", "_rels/.rels"}, "", {"[Content_Types].xml", "word/"}});
    return kind;
}

}

const SignatureSet& DocxParser::signatures()
{
    return layout().signatures();
}

bool DocxParser::detect(const unsigned char* data)
{
    // Almost every position fails here, before the layout is looked at.
    return loadWord32(data) == magic32('P', 'K', 3, 4) && layout().detect(data);
}

std::uint64_t DocxParser::measure(ByteCursor& input)
{
    return layout().measure(input, zip);
}

const std::vector<std::uint64_t>& DocxParser::members() const
{
    return zip.members();
}

const std::vector<std::uint64_t>& DocxParser::refused() const
{
    return zip.refused();
}
