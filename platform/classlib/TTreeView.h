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
// - CanEdit (node): asked when TTreeNode::EditText would open the editor on the node's caption;
//   the default raises OnEditing and answers its allow. The editor opens at the next pass of the
//   message loop, so that a menu or dialog that asked for it has closed by then.
// - Edit (node, text): the user ended an edit with Enter or by leaving the editor; text is what
//   was typed, and the node shows text as the hook leaves it. The default raises OnEdited. It
//   runs once the editor has closed, so that it may show a dialog. Esc ends without it.
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
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    // Whether a caption editor is open.
    bool IsEditing() const;

    QWidget* DropTarget() const override;

protected:
    virtual bool CanExpand(TTreeNode* node);
    virtual void Delete(TTreeNode* node);
    virtual void Change(TTreeNode* node);
    virtual bool CanEdit(TTreeNode* node);
    virtual void Edit(TTreeNode* node, std::string& text);

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend class NodeDelegate;
    struct Impl;
    bool expandNode(TTreeNode* node);
    void nodeDeleting(TTreeNode* node);
    void refreshNode(TTreeNode* node);
    bool editNode(TTreeNode* node);
    void editCommitted(const std::string& text);

    std::unique_ptr<Impl> impl;
    std::unique_ptr<TTreeNodes> items;
    TImageList* images = nullptr;
};
