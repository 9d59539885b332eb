#pragma once

#include "platform/classlib/TWinControl.h"

// A progress bar from Min to Max (0 and 100 after construction). Position is kept within them.
class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);
    ~TProgressBar() override;

    int Min() const;
    int Max() const;
    int Position() const;
    void SetMin(int value);
    void SetMax(int value);
    void SetPosition(int value);
    bool Smooth() const { return smooth; }
    void SetSmooth(bool value) { smooth = value; }

private:
    bool smooth = false;
};
