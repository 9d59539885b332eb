#include "platform/classlib/TListColumn.h"

#include "platform/classlib/TListColumns.h"

void TListColumn::SetCaption(const std::string& text)
{
    caption = text;
    owner->changed();
}

void TListColumn::SetWidth(int pixels)
{
    width = pixels;
    owner->changed();
}

int TListColumn::Index() const
{
    return owner->indexOf(this);
}
