#pragma once

#include "plugins/common/Chainplugin.h"
#include "plugins/isomedia/Isomediaparser.h"

#include <vector>

// One plug-in for the whole family: the boxes are walked the same way whatever the brand, and
// the kind of each find is told by detect, which the program asks for it right after. Each media
// data box of a fragmented movie is a candidate of its own (an old QuickTime file may begin with
// one), and each walks the boxes after it to the end: the boxes of a find, and of a walk that
// failed for a reason that holds for them too, are remembered and not walked again.
class IsoMediaPlugin final : public ChainPlugin<IsoMediaParser> {
public:
    IsoMediaPlugin();

    bool detect(const unsigned char* data) override;
    const char* getKind() override;

protected:
    std::vector<const char*> kinds() override;

private:
    const char* kind = "mp4";
};
