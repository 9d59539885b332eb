#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TWinControl.h"
#include "platform/classlib/Types.h"

#include <memory>
#include <string>

class TImageList;
class TListColumns;
class TListItem;
class TListItems;

// A list of rows, shown in report style (columns) or as a plain list. Rows may have check boxes,
// several may be selected (MultiSelect), and with SortType stText or stBoth the rows are kept in
// the order of their captions (compared as the user's locale sorts text).
//
// Events, raised for the user's actions and the program's changes alike:
// - OnChange (row, ctText | ctImage | ctState): a row's caption or sub-items, its image, or its
//   state (check box, selection, focus) changed;
// - OnSelectItem (row, selected): a row became selected or lost its selection (deselections are
//   reported before selections);
// - OnClick, OnDblClick: the user clicked or double-clicked the list.
// No event is raised for a row while it is being deleted, except the row-deletion handler.
//
// Row deletion: every row that leaves the list, one at a time or all together, by Delete,
// DeleteSelected, Clear or with the list view itself, first passes through the virtual Delete
// (TListItem*), which a subclass overrides to release what the row's Data holds (and calls the
// inherited one, which raises OnDeletion). When the list view is destroyed by its owner, by its
// parent or by Free, the hook reaches the subclass; a bare delete reaches only this class's
// handler.
class TListView : public TWinControl {
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;
    void BeforeDestruction() override;

    TListItems* Items() const { return items.get(); }
    TListColumns* Columns() const { return columns.get(); }

    TViewStyle ViewStyle() const { return viewStyle; }
    void SetViewStyle(TViewStyle style);
    bool Checkboxes() const { return checkboxes; }
    void SetCheckboxes(bool value);
    bool MultiSelect() const { return multiSelect; }
    void SetMultiSelect(bool value);
    bool RowSelect() const { return rowSelect; }
    void SetRowSelect(bool value);
    // Read-only: the user cannot edit captions. No caption is ever edited in place here, so this
    // is kept only.
    bool ReadOnly() const { return readOnly; }
    void SetReadOnly(bool value) { readOnly = value; }
    bool ShowColumnHeaders() const { return showColumnHeaders; }
    void SetShowColumnHeaders(bool value);
    TSortType SortType() const { return sortType; }
    void SetSortType(TSortType type);
    TImageList* SmallImages() const { return smallImages; }
    void SetSmallImages(TImageList* images);

    // The first selected row's index, or -1. Setting it selects that row alone (-1: none).
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The first selected row, or null. Setting it selects that row alone (null: none).
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);
    int SelCount() const;
    void ClearSelection();

    virtual void DeleteSelected();
    virtual void Clear();
    // A row with that caption and the object as its Data.
    virtual void AddItem(const std::string& caption, TObject* object);

    TLVChangeEvent OnChange;
    TLVSelectItemEvent OnSelectItem;
    TLVDeletedEvent OnDeletion;

    QWidget* DropTarget() const override;

protected:
    // The row-deletion handler: runs for each row just before it leaves the list.
    virtual void Delete(TListItem* item);
    virtual void Change(TListItem* item, TItemChange change);
    virtual void DoSelectItem(TListItem* item, bool selected);

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumns;
    struct Impl;
    // Runs the row-deletion handler once per row; false when the row is being deleted already.
    bool rowDeleting(TListItem* item);
    void reposition(TListItem* item);
    void resort();
    void applyColumns();
    void itemChanged(TListItem* item, TItemChange change);
    void refreshRow(TListItem* item);
    bool sorted() const { return sortType == stText || sortType == stBoth; }

    std::unique_ptr<Impl> impl;
    std::unique_ptr<TListColumns> columns;
    std::unique_ptr<TListItems> items;
    TViewStyle viewStyle = vsIcon;
    bool checkboxes = false;
    bool multiSelect = false;
    bool rowSelect = false;
    bool readOnly = false;
    bool showColumnHeaders = true;
    TSortType sortType = stNone;
    TImageList* smallImages = nullptr;
};
