#pragma once

#include <memory>
#include <string>

class TListItems;
class TListView;
class TStrings;

// A row of a list view: its caption, its sub-items (one per further column), its small image,
// check box, selection and focus, and a pointer of the program's own (Data), which the list never
// reads or frees. Changing any of these raises the list view's OnChange (and, for the selection,
// OnSelectItem), whoever changes it.
class TListItem {
public:
    ~TListItem();
    TListItem(const TListItem&) = delete;
    TListItem& operator=(const TListItem&) = delete;

    std::string Caption() const { return caption; }
    void SetCaption(const std::string& text);
    TStrings* SubItems() const { return subItems.get(); }
    int ImageIndex() const { return imageIndex; }
    void SetImageIndex(int index);
    bool Checked() const { return checked; }
    void SetChecked(bool value);
    void* Data() const { return data; }
    void SetData(void* value) { data = value; }
    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const;
    void SetFocused(bool value);

    // The row's position in the list as shown (after sorting).
    int Index() const;
    TListItems* Owner() const { return owner; }
    TListView* ListView() const;
    // Deletes the row (the list view's row-deletion handler runs first); the object is gone after.
    void Delete();
    void MakeVisible(bool partialOK);

private:
    friend class TListItems;
    friend class TListView;
    class SubItemList;
    explicit TListItem(TListItems* owner);

    TListItems* owner;
    std::string caption;
    std::unique_ptr<TStrings> subItems;
    int imageIndex = -1;
    bool checked = false;
    void* data = nullptr;
    void* row = nullptr;  // the Qt row (QTreeWidgetItem) that shows it
};
