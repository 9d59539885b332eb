#pragma once

#include "platform/classlib/TWinControl.h"

// A check box with its caption. OnClick is raised whenever Checked changes, by the user or by the
// program.
class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    ~TCheckBox() override;

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    bool Checked() const;
    void SetChecked(bool checked);
};
