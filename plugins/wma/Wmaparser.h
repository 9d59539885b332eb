#pragma once

#include "plugins/common/Asfobjectparser.h"

// An ASF file that carries sound and no video.
class WmaParser final : public AsfObjectParser {
public:
    WmaParser() : AsfObjectParser(Kind::audio)
    {
    }
};
