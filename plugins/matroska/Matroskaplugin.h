#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/matroska/Matroskaparser.h"

#include <vector>

// Matroska and WebM share their structure; the DocType in the detector's window tells which one
// a find is, and the program asks for the kind right after detect.
class MatroskaPlugin final : public FormatPlugin<MatroskaParser> {
public:
    MatroskaPlugin();

    bool detect(const unsigned char* data) override;
    const char* getKind() override;

protected:
    std::vector<const char*> kinds() override;

private:
    const char* kind = "mkv";
};
