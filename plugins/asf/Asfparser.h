#pragma once

#include "plugins/common/Asfobjectparser.h"

// An ASF file that carries neither video nor sound (a data or script stream alone).
class AsfParser final : public AsfObjectParser {
public:
    AsfParser() : AsfObjectParser(Kind::other)
    {
    }
};
