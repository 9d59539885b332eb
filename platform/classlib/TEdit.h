#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TWinControl.h"
#include "platform/classlib/Types.h"

// A one-line text field (Text). MaxLength 0 means no limit; it counts characters. OnChange is
// raised whenever the text changes, by the user or by the program.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    ~TEdit() override;

    std::string Caption() const override;
    void SetCaption(const std::string& text) override;
    int MaxLength() const;
    void SetMaxLength(int length);
    TImeMode ImeMode() const { return imeMode; }
    void SetImeMode(TImeMode mode);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);

    TNotifyEvent OnChange;

private:
    TImeMode imeMode = imDontCare;
};
