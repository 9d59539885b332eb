#include "platform/classlib/TLabel.h"

#include "platform/classlib/Qtsupport.h"

#include <QLabel>

TLabel::TLabel(TComponent* owner) : TControl(owner, classlib::makeWidget<QLabel>())
{
    static_cast<QLabel*>(Widget())->setTextFormat(Qt::PlainText);
}

TLabel::~TLabel() = default;

std::string TLabel::Caption() const
{
    return classlib::fromQ(static_cast<QLabel*>(Widget())->text());
}

void TLabel::SetCaption(const std::string& caption)
{
    auto* label = static_cast<QLabel*>(Widget());
    label->setText(classlib::toQ(caption));
    // Labels size themselves to their text, as the class library's AutoSize does.
    label->adjustSize();
}
