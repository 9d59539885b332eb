#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/isomedia/Isomediaparser.h"

// One plug-in for the whole family: the boxes are walked the same way whatever the brand, and
// the kind of each find is told by detect, which the program asks for it right after.
class IsoMediaPlugin final : public FormatPlugin<IsoMediaParser> {
public:
    IsoMediaPlugin();

    bool detect(const unsigned char* data) override;
    const char* getKind() override;

private:
    const char* kind = "mp4";
};
