#include "platform/classlib/TFont.h"

namespace {

// The class library converts between points and pixels at the screen's resolution; ours is the
// usual 96 dots per inch.
const int pixelsPerInch = 96;

}  // namespace

void TFont::SetName(const std::string& fontName)
{
    name = fontName;
    changed();
}

void TFont::SetHeight(int fontHeight)
{
    height = fontHeight;
    changed();
}

int TFont::Size() const
{
    return (-height * 72 + (height < 0 ? pixelsPerInch / 2 : -pixelsPerInch / 2)) / pixelsPerInch;
}

void TFont::SetSize(int points)
{
    SetHeight(-((points * pixelsPerInch + 36) / 72));
}

void TFont::changed()
{
    if (OnChange) {
        OnChange();
    }
}
