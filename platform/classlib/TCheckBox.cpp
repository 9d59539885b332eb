#include "platform/classlib/TCheckBox.h"

#include "platform/classlib/Qtsupport.h"

#include <QCheckBox>

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, classlib::makeWidget<QCheckBox>())
{
    auto* box = static_cast<QCheckBox*>(Widget());
    QObject::connect(box, &QCheckBox::toggled, box, [this](bool) { classlib::dispatch(this, [this] { Click(); }); });
}

TCheckBox::~TCheckBox() = default;

std::string TCheckBox::Caption() const
{
    return classlib::fromQ(static_cast<QCheckBox*>(Widget())->text());
}

void TCheckBox::SetCaption(const std::string& caption)
{
    static_cast<QCheckBox*>(Widget())->setText(classlib::toQ(caption));
}

bool TCheckBox::Checked() const
{
    return static_cast<QCheckBox*>(Widget())->isChecked();
}

void TCheckBox::SetChecked(bool checked)
{
    static_cast<QCheckBox*>(Widget())->setChecked(checked);
}
