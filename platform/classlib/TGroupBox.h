#pragma once

#include "platform/classlib/TWinControl.h"

// A framed group with a caption; its children are placed relative to its top left corner.
class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);
    ~TGroupBox() override;

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
};
