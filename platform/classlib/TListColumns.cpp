#include "platform/classlib/TListColumns.h"

#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListView.h"

TListColumns::TListColumns(TListView* owner) : owner(owner) {}

TListColumns::~TListColumns() = default;

TListColumn* TListColumns::Add()
{
    columns.emplace_back(new TListColumn(this));
    changed();
    return columns.back().get();
}

TListColumn* TListColumns::Items(int index) const
{
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return columns[static_cast<std::size_t>(index)].get();
}

void TListColumns::Clear()
{
    columns.clear();
    changed();
}

int TListColumns::indexOf(const TListColumn* column) const
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].get() == column) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TListColumns::changed()
{
    owner->applyColumns();
}
