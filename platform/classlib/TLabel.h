#pragma once

#include "platform/classlib/TControl.h"

// A static text (Caption). "&" marks no accelerator here: the caption is shown as it is.
//
// With AutoSize (the default) the label takes the size of its caption. Without it the label keeps
// its bounds, and an EllipsisPosition other than epNone shortens a caption that does not fit with
// "…" (the whole caption then shows as the label's tooltip); Caption stays the whole text.
class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);
    ~TLabel() override;

    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool value);
    TEllipsisPosition EllipsisPosition() const;
    void SetEllipsisPosition(TEllipsisPosition position);

private:
    bool autoSize = true;
};
