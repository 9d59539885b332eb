#pragma once

#include "platform/classlib/TControl.h"

// A static text (Caption). "&" marks no accelerator here: the caption is shown as it is.
class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);
    ~TLabel() override;

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
};
