#include "platform/classlib/TTreeNode.h"

#include "platform/classlib/TTreeNodes.h"
#include "platform/classlib/TTreeView.h"

#include <algorithm>

// The node's Qt side (its row, expansion and selection) lives in TTreeView.cpp, beside the widget.

TTreeNode::TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner(owner), parent(parent) {}

TTreeView* TTreeNode::TreeView() const
{
    return owner->Owner();
}

void TTreeNode::SetText(const std::string& value)
{
    if (value == text) {
        return;
    }
    text = value;
    TreeView()->refreshNode(this);
}

void TTreeNode::SetImageIndex(int index)
{
    if (index == imageIndex) {
        return;
    }
    imageIndex = index;
    TreeView()->refreshNode(this);
}

void TTreeNode::SetSelectedIndex(int index)
{
    if (index == selectedIndex) {
        return;
    }
    selectedIndex = index;
    TreeView()->refreshNode(this);
}

TTreeNode* TTreeNode::Item(int index) const
{
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return children[static_cast<std::size_t>(index)];
}

TTreeNode* TTreeNode::getNextSibling() const
{
    const std::vector<TTreeNode*>& siblings = owner->siblingsOf(parent);
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at == siblings.end() || at + 1 == siblings.end() ? nullptr : *(at + 1);
}

TTreeNode* TTreeNode::getPrevSibling() const
{
    const std::vector<TTreeNode*>& siblings = owner->siblingsOf(parent);
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at == siblings.end() || at == siblings.begin() ? nullptr : *(at - 1);
}

int TTreeNode::Index() const
{
    const std::vector<TTreeNode*>& siblings = owner->siblingsOf(parent);
    auto at = std::find(siblings.begin(), siblings.end(), this);
    return at == siblings.end() ? -1 : static_cast<int>(at - siblings.begin());
}

int TTreeNode::Level() const
{
    int level = 0;
    for (const TTreeNode* above = parent; above != nullptr; above = above->parent) {
        ++level;
    }
    return level;
}

void TTreeNode::Expand(bool recurse)
{
    TreeView()->expandNode(this);
    if (!recurse) {
        return;
    }
    // By position: expanding a child may change the children (a hook may read or drop them).
    for (int index = 0; index < Count(); ++index) {
        Item(index)->Expand(true);
    }
}

void TTreeNode::SetExpanded(bool value)
{
    if (value) {
        Expand(false);
    } else {
        Collapse(false);
    }
}

void TTreeNode::SetSelected(bool value)
{
    if (value) {
        TreeView()->Select(this);
    } else if (Selected()) {
        TreeView()->Select(nullptr);
    }
}

void TTreeNode::Delete()
{
    owner->Delete(this);
}

void TTreeNode::DeleteChildren()
{
    owner->BeginUpdate();
    while (!children.empty()) {
        owner->Delete(children.front());
    }
    owner->EndUpdate();
}
