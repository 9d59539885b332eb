#include "platform/classlib/TGroupBox.h"

#include "platform/classlib/Qtsupport.h"

#include <QGroupBox>

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner, classlib::makeWidget<QGroupBox>()) {}

TGroupBox::~TGroupBox() = default;

std::string TGroupBox::Caption() const
{
    return classlib::fromQ(static_cast<QGroupBox*>(Widget())->title());
}

void TGroupBox::SetCaption(const std::string& caption)
{
    static_cast<QGroupBox*>(Widget())->setTitle(classlib::toQ(caption));
}
