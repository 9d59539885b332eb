#include "platform/classlib/TListItems.h"

#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListView.h"

#include <algorithm>

TListItems::TListItems(TListView* owner) : owner(owner) {}

TListItems::~TListItems()
{
    for (TListItem* item : rows) {
        delete item;
    }
}

TListItem* TListItems::Add()
{
    return Insert(Count());
}

TListItem* TListItems::Insert(int index)
{
    auto* item = new TListItem(this);
    place(item, std::clamp(index, 0, Count()));
    return item;
}

TListItem* TListItems::Item(int index) const
{
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return rows[static_cast<std::size_t>(index)];
}

int TListItems::IndexOf(const TListItem* item) const
{
    auto found = std::find(rows.begin(), rows.end(), item);
    return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

void TListItems::Delete(int index)
{
    TListItem* item = Item(index);
    if (item == nullptr) {
        return;
    }
    if (!owner->rowDeleting(item)) {
        return;
    }
    // The handler may have deleted the row itself.
    if (IndexOf(item) >= 0) {
        removeRow(item);
    }
}

void TListItems::Clear()
{
    BeginUpdate();
    while (!rows.empty()) {
        Delete(0);
    }
    EndUpdate();
}
