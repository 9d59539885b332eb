#pragma once

#include "platform/classlib/core/Sysutils.h"

// A class-library operation asked of an object in a state that does not allow it (showing a
// visible or modal form modally, for example).
class EInvalidOperation : public Sysutils::Exception {
public:
    using Sysutils::Exception::Exception;
    ~EInvalidOperation() override;
};
