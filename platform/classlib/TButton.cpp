#include "platform/classlib/TButton.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TForm.h"

#include <QPushButton>

TButton::TButton(TComponent* owner) : TWinControl(owner, classlib::makeWidget<QPushButton>())
{
    auto* button = static_cast<QPushButton*>(Widget());
    // Enter and Esc are the form's (TForm::DefaultKey, CancelKey), not Qt's dialog logic.
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { classlib::dispatch(this, [this] { Click(); }); });
}

TButton::~TButton() = default;

void TButton::Click()
{
    if (modalResult != mrNone) {
        if (TForm* form = GetParentForm(this)) {
            form->SetModalResult(modalResult);
        }
    }
    TWinControl::Click();
}

void TButton::SetDefault(bool value)
{
    isDefault = value;
    static_cast<QPushButton*>(Widget())->setDefault(value);
}

std::string TButton::Caption() const
{
    return classlib::fromQ(static_cast<QPushButton*>(Widget())->text());
}

void TButton::SetCaption(const std::string& caption)
{
    static_cast<QPushButton*>(Widget())->setText(classlib::toQ(caption));
}
