#include "platform/classlib/TEdit.h"

#include "platform/classlib/Qtsupport.h"

#include <QLineEdit>

namespace {

// QLineEdit's "no limit".
const int unlimited = 32767;

}  // namespace

TEdit::TEdit(TComponent* owner) : TWinControl(owner, classlib::makeWidget<QLineEdit>())
{
    auto* edit = static_cast<QLineEdit*>(Widget());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString&) { classlib::dispatch(this, [this] { OnChange(this); }); });
}

TEdit::~TEdit() = default;

std::string TEdit::Caption() const
{
    return classlib::fromQ(static_cast<QLineEdit*>(Widget())->text());
}

void TEdit::SetCaption(const std::string& text)
{
    static_cast<QLineEdit*>(Widget())->setText(classlib::toQ(text));
}

int TEdit::MaxLength() const
{
    int length = static_cast<QLineEdit*>(Widget())->maxLength();
    return length >= unlimited ? 0 : length;
}

void TEdit::SetMaxLength(int length)
{
    static_cast<QLineEdit*>(Widget())->setMaxLength(length <= 0 ? unlimited : length);
}

void TEdit::SetImeMode(TImeMode mode)
{
    imeMode = mode;
    Widget()->setAttribute(Qt::WA_InputMethodEnabled, mode != imDisable && mode != imClose);
}

bool TEdit::ReadOnly() const
{
    return static_cast<QLineEdit*>(Widget())->isReadOnly();
}

void TEdit::SetReadOnly(bool readOnly)
{
    static_cast<QLineEdit*>(Widget())->setReadOnly(readOnly);
}
