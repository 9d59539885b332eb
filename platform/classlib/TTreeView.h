#pragma once

#include "platform/classlib/Events.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TWinControl.h"
#include "platform/classlib/Types.h"

#include <cstdint>
#include <memory>

class TImageList;
class TTreeNodes;

// A tree of nodes with expansion buttons and one selected node.
//
// Hooks for subclasses, run for the program's changes and the user's alike:
// - CanExpand (node): asked before a node expands (by Expand or by the user); false keeps it
//   collapsed. The default raises OnExpanding and answers its allow. A hook may add and delete
//   children of the node while it answers.
// - Delete (node): run for every node just before it leaves the tree (Delete, DeleteChildren,
//   Clear, or with the tree itself), children before their parent; the default raises
//   OnDeletion. When the tree is destroyed by its owner, by its parent or by Free, the hook
//   reaches the subclass; a bare delete reaches only this class's handler.
// - Change (node): the selection moved to node (null: none); the default raises OnChange.
class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;
    void BeforeDestruction() override;

    TTreeNodes* Items() const { return items.get(); }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    // Selects node (null: none); the shift state is accepted for the class library's form and not
    // used, as a single-selection tree has no use for it.
    void Select(TTreeNode* node, TShiftState shift = TShiftState());
    TImageList* Images() const { return images; }
    void SetImages(TImageList* imageList);
    // Orders the roots by compare; with recurse every level below them too.
    bool CustomSort(TTVCompare compare, std::intptr_t data, bool recurse = true);

    TTVChangedEvent OnChange;
    TTVExpandingEvent OnExpanding;
    TTVChangedEvent OnDeletion;

    QWidget* DropTarget() const override;

protected:
    virtual bool CanExpand(TTreeNode* node);
    virtual void Delete(TTreeNode* node);
    virtual void Change(TTreeNode* node);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    struct Impl;
    bool expandNode(TTreeNode* node);
    void nodeDeleting(TTreeNode* node);
    void refreshNode(TTreeNode* node);

    std::unique_ptr<Impl> impl;
    std::unique_ptr<TTreeNodes> items;
    TImageList* images = nullptr;
};
