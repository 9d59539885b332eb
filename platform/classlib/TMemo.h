#pragma once

#include "platform/classlib/TWinControl.h"
#include "platform/classlib/Types.h"

#include <memory>

class TStrings;

// A multi-line text. Lines gives its text line by line; Lines()->Add appends a line and keeps it
// in sight.
class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* owner);
    ~TMemo() override;

    TStrings* Lines() const { return lines.get(); }
    std::string Caption() const override;
    void SetCaption(const std::string& text) override;

    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    TScrollStyle ScrollBars() const { return scrollBars; }
    void SetScrollBars(TScrollStyle style);
    bool WordWrap() const;
    void SetWordWrap(bool wrap);
    // Whether Enter makes a new line (false: Enter goes to the form's default button).
    bool WantReturns() const { return wantReturns; }
    void SetWantReturns(bool want) { wantReturns = want; }

private:
    class MemoLines;
    std::unique_ptr<TStrings> lines;
    TScrollStyle scrollBars = ssNone;
    bool wantReturns = true;
};
