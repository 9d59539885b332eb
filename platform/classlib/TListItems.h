#pragma once

#include <memory>
#include <vector>

class TListItem;
class TListView;

// The rows of a list view, in the order shown. With a sorting list view a new or renamed row
// moves to its place by caption.
class TListItems {
public:
    ~TListItems();
    TListItems(const TListItems&) = delete;
    TListItems& operator=(const TListItems&) = delete;

    // A new row at the end (or at its sorted place) with an empty caption.
    TListItem* Add();
    TListItem* Insert(int index);
    int Count() const { return static_cast<int>(rows.size()); }
    TListItem* Item(int index) const;
    TListItem* operator[](int index) const { return Item(index); }
    int IndexOf(const TListItem* item) const;
    // Each deleted row passes through the list view's row-deletion handler first.
    void Delete(int index);
    void Clear();
    // Drawing stops until the matching EndUpdate; events are still raised.
    void BeginUpdate();
    void EndUpdate();
    TListView* Owner() const { return owner; }

private:
    friend class TListView;
    friend class TListItem;
    explicit TListItems(TListView* owner);
    void place(TListItem* item, int index);
    void removeRow(TListItem* item);

    TListView* owner;
    std::vector<TListItem*> rows;  // owned
    int updateCount = 0;
};
