#include "platform/classlib/TObject.h"

TObject::~TObject() = default;

void TObject::AfterConstruction() {}

void TObject::BeforeDestruction() {}

void TObject::Free()
{
    BeforeDestruction();
    delete this;
}
