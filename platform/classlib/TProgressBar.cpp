#include "platform/classlib/TProgressBar.h"

#include "platform/classlib/Qtsupport.h"

#include <QProgressBar>

#include <algorithm>

namespace {

QProgressBar* bar(QWidget* widget)
{
    return static_cast<QProgressBar*>(widget);
}

}  // namespace

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner, classlib::makeWidget<QProgressBar>())
{
    bar(Widget())->setRange(0, 100);
    bar(Widget())->setValue(0);
    bar(Widget())->setTextVisible(false);
}

TProgressBar::~TProgressBar() = default;

int TProgressBar::Min() const
{
    return bar(Widget())->minimum();
}

int TProgressBar::Max() const
{
    return bar(Widget())->maximum();
}

int TProgressBar::Position() const
{
    // Qt reports minimum - 1 for a bar that was reset; ours always holds a position.
    return std::max(bar(Widget())->value(), Min());
}

void TProgressBar::SetMin(int value)
{
    int position = Position();
    bar(Widget())->setMinimum(value);
    SetPosition(position);
}

void TProgressBar::SetMax(int value)
{
    int position = Position();
    bar(Widget())->setMaximum(value);
    SetPosition(position);
}

void TProgressBar::SetPosition(int value)
{
    bar(Widget())->setValue(std::clamp(value, Min(), std::max(Min(), Max())));
}
