#pragma once

#include "plugins/common/Asfobjectparser.h"

// An ASF file that carries video.
class WmvParser final : public AsfObjectParser {
public:
    WmvParser() : AsfObjectParser(Kind::video)
    {
    }
};
