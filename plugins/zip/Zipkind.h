#pragma once

#include "plugins/common/Signatureset.h"

#include <cstdint>
#include <string>
#include <vector>

class ByteCursor;
class ZipParser;

// A kind of document or package that is a ZIP archive laid out in a way of its own, told from
// other ZIP files by its first entry and by entries it must hold: an Office Open XML document
// begins with "[Content_Types].xml", an OpenDocument file or an EPUB book with an entry
// "mimetype" whose stored text names the kind, a Java archive with "META-INF/". Its plug-in comes
// before the generic ZIP one; a ZIP file of another layout is left to that one.
class ZipKind {
public:
    struct Layout {
        // The names of which the first entry's must be one.
        std::vector<std::string> firstEntries;
        // When not empty, the first entry is "mimetype", stored, and holds exactly this text.
        std::string mimetype;
        // Names that some entry must have; one ending in '/' is a folder that some entry lies in.
        std::vector<std::string> requiredEntries;
    };

    explicit ZipKind(Layout layout);

    // The local header and the longest first name.
    unsigned windowSize() const;
    const SignatureSet& signatures() const;
    bool detect(const unsigned char* data) const;
    std::uint64_t measure(ByteCursor& input, ZipParser& zip) const;

private:
    bool holdsMimetype(ByteCursor& input) const;

    Layout layout;
    SignatureSet set;
};
