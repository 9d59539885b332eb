#include "platform/classlib/EInvalidOperation.h"

EInvalidOperation::~EInvalidOperation() = default;
