#pragma once

#include <memory>
#include <vector>

class TListColumn;
class TListView;

// The columns of a list view, by position.
class TListColumns {
public:
    ~TListColumns();
    TListColumns(const TListColumns&) = delete;
    TListColumns& operator=(const TListColumns&) = delete;

    TListColumn* Add();
    int Count() const { return static_cast<int>(columns.size()); }
    TListColumn* Items(int index) const;
    TListColumn* operator[](int index) const { return Items(index); }
    void Clear();
    TListView* Owner() const { return owner; }

private:
    friend class TListView;
    friend class TListColumn;
    explicit TListColumns(TListView* owner);
    int indexOf(const TListColumn* column) const;
    void changed();

    TListView* owner;
    std::vector<std::unique_ptr<TListColumn>> columns;
};
