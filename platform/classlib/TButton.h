#pragma once

#include "platform/classlib/TWinControl.h"
#include "platform/classlib/Types.h"

// A push button. Clicking it first sets its form's ModalResult to the button's (when that is not
// mrNone), then raises OnClick. Default: Enter on the form clicks it; Cancel: Esc does.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    ~TButton() override;

    void Click() override;
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;

    bool Default() const { return isDefault; }
    void SetDefault(bool value);
    bool Cancel() const { return isCancel; }
    void SetCancel(bool value) { isCancel = value; }
    TModalResult ModalResult() const { return modalResult; }
    void SetModalResult(TModalResult result) { modalResult = result; }

private:
    bool isDefault = false;
    bool isCancel = false;
    TModalResult modalResult = mrNone;
};
