#pragma once

#include "tests/plugins/Temporaryfolder.h"

#include <string>

// Sound, video and picture files of the media plug-ins' kinds, written by real tools (ffmpeg from
// a generated test picture and tone, ImageMagick for HEIC) the first time a test asks for one and
// kept for the rest of the test program; a few are derived from those by hand where no tool
// writes the variant (QuickTime without ftyp, a CR3 laid out as Canon's cameras do, ASF with a
// stream that is neither sound nor picture). Each is a few kilobytes.
class MediaFiles {
public:
    // name is one of names(); throws std::runtime_error when the tool fails.
    static const Bytes& get(const std::string& name);

    // "mp4", "mov", "3gp", "m4a", "heic", "avif", "cr3", "mov-bare", "mkv", "mkv-live", "webm",
    // "wmv", "wma", "asf", "flv", "mpg", "vob", "jp2", "j2k", and "mkv-attached": a Matroska file
    // carrying the mp4 as an attachment.
    static const std::vector<std::string>& names();

    // A small JPEG inside a CR3's preview box, found on its own as well.
    static Bytes cr3WithPreview(const Bytes& preview, std::size_t& previewOffset);
};
