#pragma once

#include <string>
#include <vector>

class TTreeNode;
class TTreeView;

// The nodes of a tree view. Add puts a node at the end of the sibling's level (a root when the
// sibling is null); AddChild at the end of the parent's children (a root when the parent is null).
class TTreeNodes {
public:
    ~TTreeNodes();
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    TTreeNode* Add(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddObject(TTreeNode* sibling, const std::string& text, void* data);
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text, void* data);

    // Every node, roots and descendants, counted and indexed depth first.
    int Count() const;
    TTreeNode* Item(int absoluteIndex) const;
    TTreeNode* operator[](int absoluteIndex) const { return Item(absoluteIndex); }
    TTreeNode* GetFirstNode() const;
    int RootCount() const { return static_cast<int>(roots.size()); }
    TTreeNode* Root(int index) const;

    void Delete(TTreeNode* node);
    void Clear();
    // Drawing stops until the matching EndUpdate; events are still raised.
    void BeginUpdate();
    void EndUpdate();
    TTreeView* Owner() const { return owner; }

private:
    friend class TTreeNode;
    friend class TTreeView;
    explicit TTreeNodes(TTreeView* owner);
    TTreeNode* addNode(TTreeNode* parent, const std::string& text, void* data);
    void deleteNode(TTreeNode* node);
    std::vector<TTreeNode*>& siblingsOf(TTreeNode* parent);

    TTreeView* owner;
    std::vector<TTreeNode*> roots;  // owned
    int updateCount = 0;
};
