#include "platform/classlib/TTreeNodes.h"

#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeView.h"

// Adding and deleting nodes touches their Qt rows: that part lives in TTreeView.cpp.

namespace {

int countWithChildren(const TTreeNode* node)
{
    int count = 1;
    for (int index = 0; index < node->Count(); ++index) {
        count += countWithChildren(node->Item(index));
    }
    return count;
}

}  // namespace

TTreeNodes::TTreeNodes(TTreeView* owner) : owner(owner) {}

TTreeNodes::~TTreeNodes()
{
    for (TTreeNode* node : roots) {
        delete node;
    }
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text)
{
    return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, void* data)
{
    return addNode(sibling != nullptr ? sibling->Parent() : nullptr, text, data);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text)
{
    return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data)
{
    return addNode(parent, text, data);
}

int TTreeNodes::Count() const
{
    int count = 0;
    for (const TTreeNode* root : roots) {
        count += countWithChildren(root);
    }
    return count;
}

TTreeNode* TTreeNodes::Item(int absoluteIndex) const
{
    if (absoluteIndex < 0) {
        return nullptr;
    }
    // Depth first, in the order shown.
    std::vector<TTreeNode*> pending(roots.rbegin(), roots.rend());
    while (!pending.empty()) {
        TTreeNode* node = pending.back();
        pending.pop_back();
        if (absoluteIndex-- == 0) {
            return node;
        }
        for (int index = node->Count() - 1; index >= 0; --index) {
            pending.push_back(node->Item(index));
        }
    }
    return nullptr;
}

TTreeNode* TTreeNodes::GetFirstNode() const
{
    return Root(0);
}

TTreeNode* TTreeNodes::Root(int index) const
{
    if (index < 0 || index >= RootCount()) {
        return nullptr;
    }
    return roots[static_cast<std::size_t>(index)];
}

void TTreeNodes::Delete(TTreeNode* node)
{
    if (node == nullptr || node->owner != this) {
        return;
    }
    deleteNode(node);
}

void TTreeNodes::Clear()
{
    BeginUpdate();
    while (!roots.empty()) {
        deleteNode(roots.front());
    }
    EndUpdate();
}

std::vector<TTreeNode*>& TTreeNodes::siblingsOf(TTreeNode* parent)
{
    return parent != nullptr ? parent->children : roots;
}
