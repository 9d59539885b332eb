#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TTreeNode;
class TTreeNodes;
class TTreeView;

// The comparison callback of CustomSort: negative when node1 comes first, 0 when equal, positive
// when node2 comes first. data is the value given to CustomSort.
typedef int (*TTVCompare)(TTreeNode* node1, TTreeNode* node2, std::intptr_t data);

// A node of a tree view: its text, its image (ImageIndex) and the image shown while it is selected
// (SelectedIndex), its children, and a pointer of the program's own (Data), which the tree never
// reads or frees. A node that has children draws an expansion button.
class TTreeNode {
public:
    ~TTreeNode();
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    std::string Text() const { return text; }
    void SetText(const std::string& value);
    int ImageIndex() const { return imageIndex; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return selectedIndex; }
    void SetSelectedIndex(int index);
    void* Data() const { return data; }
    void SetData(void* value) { data = value; }

    TTreeNode* Parent() const { return parent; }
    int Count() const { return static_cast<int>(children.size()); }
    TTreeNode* Item(int index) const;
    TTreeNode* operator[](int index) const { return Item(index); }
    bool HasChildren() const { return !children.empty(); }
    TTreeNode* getFirstChild() const { return Item(0); }
    TTreeNode* GetLastChild() const { return Item(Count() - 1); }
    TTreeNode* getNextSibling() const;
    TTreeNode* getPrevSibling() const;
    // Position among its siblings, and depth (0 for a root).
    int Index() const;
    int Level() const;

    bool Expanded() const;
    // Expanding asks the tree view's CanExpand first; a refusal leaves the node collapsed.
    void Expand(bool recurse);
    void Collapse(bool recurse);
    void SetExpanded(bool value);
    bool Selected() const;
    void SetSelected(bool value);
    void MakeVisible();
    // Opens the editor on the caption when the tree view's CanEdit allows; see TTreeView::Edit.
    bool EditText();

    // Deletes the node with its children; each passes through the tree view's node-deletion
    // handler first, children before their parent. The object is gone after.
    void Delete();
    void DeleteChildren();
    // Orders the children by compare (a stable sort); with recurse their children too.
    bool CustomSort(TTVCompare compare, std::intptr_t data, bool recurse = false);

    TTreeNodes* Owner() const { return owner; }
    TTreeView* TreeView() const;

private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeNode(TTreeNodes* owner, TTreeNode* parent);

    TTreeNodes* owner;
    TTreeNode* parent;
    std::vector<TTreeNode*> children;  // owned
    std::string text;
    int imageIndex = -1;
    int selectedIndex = -1;
    void* data = nullptr;
    void* row = nullptr;  // the Qt item (QTreeWidgetItem) that shows it
};
