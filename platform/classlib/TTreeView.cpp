#include "platform/classlib/TTreeView.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TImageList.h"
#include "platform/classlib/TTreeNodes.h"

#include <QFocusEvent>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMetaObject>
#include <QStyledItemDelegate>
#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The row that shows a node. Qt sorts rows by the rank that CustomSort gave their nodes, so the
// rows move as the nodes moved and keep their expansion and selection.
class NodeRow : public QTreeWidgetItem {
public:
    explicit NodeRow(TTreeNode* node) : QTreeWidgetItem(UserType), node(node) {}

    bool operator<(const QTreeWidgetItem& other) const override
    {
        return rank < static_cast<const NodeRow&>(other).rank;
    }

    TTreeNode* const node;
    std::size_t rank = 0;
};

struct Suppress {
    explicit Suppress(int& counter) : counter(counter) { ++counter; }
    ~Suppress() { --counter; }
    int& counter;
};

}  // namespace

// Draws the rows as Qt does; an edited caption goes to the tree view's Edit hook instead of
// straight into the row.
class NodeDelegate : public QStyledItemDelegate {
public:
    NodeDelegate(TTreeView* view, QObject* parent) : QStyledItemDelegate(parent), view(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            view->editCommitted(classlib::fromQ(line->text()));
        }
    }

protected:
    // The window losing the focus to another window or to a menu leaves the edit open, for when
    // the focus comes back; the focus going elsewhere in the window ends it.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) {
                return false;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TTreeView* view;
};

struct TTreeView::Impl {
    QTreeWidget* tree = nullptr;
    // Qt's signals are ignored while the class library changes the rows itself.
    int suppress = 0;
    std::set<const TTreeNode*> deleting;
    // Nested deletions (a handler may delete further nodes); the selection is settled once the
    // outermost ends, when no half-deleted node can be reported.
    int deletionDepth = 0;
    // The selection last reported to Change, so that each move is reported once.
    TTreeNode* reported = nullptr;
    bool reportedDeleted = false;
    // Nodes whose expansion is being asked for; deleting one clears its entry.
    std::vector<TTreeNode*> expanding;
    // The node whose caption editor is open, and the one whose edit waits for the Edit hook.
    TTreeNode* editing = nullptr;
    TTreeNode* committed = nullptr;

    static NodeRow* row(const TTreeNode* node) { return node != nullptr ? static_cast<NodeRow*>(node->row) : nullptr; }
    static TTreeNode* node(const QTreeWidgetItem* row)
    {
        return row != nullptr && row->type() == QTreeWidgetItem::UserType ? static_cast<const NodeRow*>(row)->node : nullptr;
    }

    void settleSelection(TTreeView* view)
    {
        TTreeNode* now = view->Selected();
        if (now == reported && !reportedDeleted) {
            return;
        }
        reported = now;
        reportedDeleted = false;
        if (view->Destroying()) {
            return;
        }
        classlib::dispatch(view, [view, now] { view->Change(now); });
    }

    void sortLevel(TTreeView* view, TTreeNode* parent, TTVCompare compare, std::intptr_t data, bool recurse)
    {
        std::vector<TTreeNode*>& level = view->items->siblingsOf(parent);
        // Sorted aside: a comparison that throws leaves the level as it was.
        std::vector<TTreeNode*> sorted = level;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [compare, data](TTreeNode* a, TTreeNode* b) { return compare(a, b, data) < 0; });
        level = sorted;
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            row(sorted[i])->rank = i;
        }
        QTreeWidgetItem* parentRow = parent != nullptr ? row(parent) : tree->invisibleRootItem();
        {
            Suppress quiet(suppress);
            parentRow->sortChildren(0, Qt::AscendingOrder);
        }
        if (recurse) {
            for (TTreeNode* child : sorted) {
                sortLevel(view, child, compare, data, true);
            }
        }
    }

    void announceRemaining(TTreeView* view, TTreeNode* node)
    {
        for (TTreeNode* child : node->children) {
            announceRemaining(view, child);
        }
        classlib::dispatch(view, [view, node] { view->TTreeView::Delete(node); });
    }
};

TTreeView::TTreeView(TComponent* owner)
    : TWinControl(owner, classlib::makeWidget<QTreeWidget>())
    , impl(new Impl)
    , items(new TTreeNodes(this))
{
    auto* tree = static_cast<QTreeWidget*>(Widget());
    impl->tree = tree;
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(true);
    tree->setSortingEnabled(false);
    tree->setAnimated(false);
    tree->setUniformRowHeights(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* delegate = new NodeDelegate(this, tree);
    tree->setItemDelegate(delegate);
    QObject::connect(delegate, &QAbstractItemDelegate::closeEditor, tree, [this] { impl->editing = nullptr; });

    // Qt opens a row (a click on its button, a key, a double click) before it says so; the row is
    // shut again at once and opens only when CanExpand allows, as the class library's tree asks
    // first.
    QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [this](QTreeWidgetItem* row) {
        if (impl->suppress > 0) {
            return;
        }
        TTreeNode* node = Impl::node(row);
        if (node == nullptr) {
            return;
        }
        {
            Suppress quiet(impl->suppress);
            row->setExpanded(false);
        }
        classlib::dispatch(this, [this, node] { expandNode(node); });
    });
    QObject::connect(tree, &QTreeWidget::itemSelectionChanged, tree, [this] {
        if (impl->suppress == 0) {
            impl->settleSelection(this);
        }
    });
}

TTreeView::~TTreeView()
{
    impl->suppress = 1;
    QObject::disconnect(impl->tree, nullptr, nullptr, nullptr);
    // A bare delete: the subclass is gone, but this class's handler still hears of every node.
    for (TTreeNode* root : items->roots) {
        impl->announceRemaining(this, root);
    }
    items.reset();
}

void TTreeView::BeforeDestruction()
{
    TWinControl::BeforeDestruction();
    items->Clear();
}

TTreeNode* TTreeView::Selected() const
{
    const QList<QTreeWidgetItem*> rows = impl->tree->selectedItems();
    return rows.isEmpty() ? nullptr : Impl::node(rows.first());
}

void TTreeView::SetSelected(TTreeNode* node)
{
    Select(node);
}

void TTreeView::Select(TTreeNode* node, TShiftState)
{
    if (node == nullptr) {
        impl->tree->selectionModel()->clear();
        return;
    }
    impl->tree->setCurrentItem(Impl::row(node));
}

void TTreeView::SetImages(TImageList* imageList)
{
    images = imageList;
    for (int index = 0, count = items->Count(); index < count; ++index) {
        refreshNode(items->Item(index));
    }
}

bool TTreeView::CustomSort(TTVCompare compare, std::intptr_t data, bool recurse)
{
    if (compare == nullptr) {
        return false;
    }
    impl->sortLevel(this, nullptr, compare, data, recurse);
    impl->settleSelection(this);
    return true;
}

QWidget* TTreeView::DropTarget() const
{
    return impl->tree->viewport();
}

bool TTreeView::CanExpand(TTreeNode* node)
{
    bool allow = true;
    OnExpanding(this, node, allow);
    return allow;
}

void TTreeView::Delete(TTreeNode* node)
{
    OnDeletion(this, node);
}

void TTreeView::Change(TTreeNode* node)
{
    OnChange(this, node);
}

bool TTreeView::CanEdit(TTreeNode* node)
{
    bool allow = true;
    OnEditing(this, node, allow);
    return allow;
}

void TTreeView::Edit(TTreeNode* node, std::string& text)
{
    OnEdited(this, node, text);
}

bool TTreeView::IsEditing() const
{
    return impl->editing != nullptr;
}

bool TTreeView::editNode(TTreeNode* node)
{
    if (Impl::row(node) == nullptr || impl->editing != nullptr || !CanEdit(node)) {
        return false;
    }
    impl->editing = node;
    // At the next pass of the message loop: a menu that asked for it gives the focus back as it
    // closes, which would close an editor opened at once.
    QMetaObject::invokeMethod(
        impl->tree,
        [this, node] {
            if (impl->editing != node) {
                return;
            }
            NodeRow* row = Impl::row(node);
            {
                Suppress quiet(impl->suppress);
                row->setFlags(row->flags() | Qt::ItemIsEditable);
            }
            impl->tree->scrollToItem(row);
            impl->tree->editItem(row, 0);
        },
        Qt::QueuedConnection);
    return true;
}

void TTreeView::editCommitted(const std::string& text)
{
    TTreeNode* node = impl->editing;
    if (node == nullptr) {
        return;
    }
    impl->committed = node;
    // After the editor has closed: the hook may show a dialog, which would take the focus from an
    // editor still open and commit it once more.
    QMetaObject::invokeMethod(
        impl->tree,
        [this, node, text] {
            if (impl->committed != node) {
                return;
            }
            std::string shown = text;
            classlib::dispatch(this, [this, node, &shown] {
                Edit(node, shown);
                if (impl->committed == node) {
                    node->SetText(shown);
                }
            });
            if (impl->committed == node) {
                impl->committed = nullptr;
            }
        },
        Qt::QueuedConnection);
}

bool TTreeView::expandNode(TTreeNode* node)
{
    if (Impl::row(node) == nullptr) {
        return false;
    }
    if (Impl::row(node)->isExpanded()) {
        return true;
    }
    // No button, nothing to open: the hook is not asked.
    if (!node->HasChildren()) {
        return false;
    }
    // Asked already: Qt opens the parents of a row that becomes current, also while the hook
    // answers for one of them.
    if (std::find(impl->expanding.begin(), impl->expanding.end(), node) != impl->expanding.end()) {
        return false;
    }
    impl->expanding.push_back(node);
    bool allowed = false;
    try {
        allowed = CanExpand(node);
    } catch (...) {
        impl->expanding.pop_back();
        throw;
    }
    const bool alive = impl->expanding.back() == node;
    impl->expanding.pop_back();
    // The hook may have deleted the node, or read it and found it empty.
    if (!allowed || !alive || !node->HasChildren()) {
        return false;
    }
    Suppress quiet(impl->suppress);
    Impl::row(node)->setExpanded(true);
    return true;
}

void TTreeView::nodeDeleting(TTreeNode* node)
{
    classlib::dispatch(this, [this, node] { Delete(node); });
}

void TTreeView::refreshNode(TTreeNode* node)
{
    NodeRow* row = Impl::row(node);
    if (row == nullptr) {
        return;
    }
    QIcon icon;
    if (images != nullptr) {
        icon = images->Icon(node->imageIndex);
        if (node->selectedIndex >= 0 && node->selectedIndex != node->imageIndex) {
            // Qt draws a selected row's icon in the Selected mode: that is where the selected
            // image goes.
            const QSize size(images->Width(), images->Height());
            QIcon both;
            both.addPixmap(icon.pixmap(size), QIcon::Normal);
            both.addPixmap(images->Icon(node->selectedIndex).pixmap(size), QIcon::Selected);
            icon = both;
        }
    }
    Suppress quiet(impl->suppress);
    row->setText(0, classlib::toQ(node->text));
    row->setIcon(0, icon);
}

// The nodes' Qt side lives here, beside the widget.

TTreeNode::~TTreeNode()
{
    // Children first: deleting a Qt row deletes the rows below it too.
    for (TTreeNode* child : children) {
        delete child;
    }
    delete TTreeView::Impl::row(this);
}

bool TTreeNode::Expanded() const
{
    NodeRow* r = TTreeView::Impl::row(this);
    return r != nullptr && r->isExpanded();
}

void TTreeNode::Collapse(bool recurse)
{
    if (NodeRow* r = TTreeView::Impl::row(this)) {
        Suppress quiet(TreeView()->impl->suppress);
        r->setExpanded(false);
    }
    if (recurse) {
        for (TTreeNode* child : children) {
            child->Collapse(true);
        }
    }
}

bool TTreeNode::Selected() const
{
    NodeRow* r = TTreeView::Impl::row(this);
    return r != nullptr && r->isSelected();
}

bool TTreeNode::EditText()
{
    return TreeView()->editNode(this);
}

void TTreeNode::MakeVisible()
{
    std::vector<TTreeNode*> above;
    for (TTreeNode* node = parent; node != nullptr; node = node->parent) {
        above.push_back(node);
    }
    for (auto node = above.rbegin(); node != above.rend(); ++node) {
        (*node)->Expand(false);
    }
    TreeView()->impl->tree->scrollToItem(TTreeView::Impl::row(this));
}

bool TTreeNode::CustomSort(TTVCompare compare, std::intptr_t data, bool recurse)
{
    if (compare == nullptr) {
        return false;
    }
    TTreeView* view = TreeView();
    view->impl->sortLevel(view, this, compare, data, recurse);
    view->impl->settleSelection(view);
    return true;
}

void TTreeNodes::BeginUpdate()
{
    if (updateCount++ == 0) {
        owner->Widget()->setUpdatesEnabled(false);
    }
}

void TTreeNodes::EndUpdate()
{
    if (updateCount > 0 && --updateCount == 0) {
        owner->Widget()->setUpdatesEnabled(true);
    }
}

TTreeNode* TTreeNodes::addNode(TTreeNode* parent, const std::string& text, void* data)
{
    if (parent != nullptr && parent->owner != this) {
        parent = nullptr;
    }
    auto* node = new TTreeNode(this, parent);
    node->text = text;
    node->data = data;
    auto* row = new NodeRow(node);
    node->row = row;
    siblingsOf(parent).push_back(node);
    {
        Suppress quiet(owner->impl->suppress);
        if (parent != nullptr) {
            TTreeView::Impl::row(parent)->addChild(row);
        } else {
            owner->impl->tree->addTopLevelItem(row);
        }
    }
    owner->refreshNode(node);
    return node;
}

void TTreeNodes::deleteNode(TTreeNode* node)
{
    TTreeView::Impl& impl = *owner->impl;
    if (!impl.deleting.insert(node).second) {
        return;
    }
    ++impl.deletionDepth;
    // Children first, each through the handler; one that a handler deleted meanwhile is gone.
    const std::vector<TTreeNode*> children = node->children;
    for (TTreeNode* child : children) {
        if (std::find(node->children.begin(), node->children.end(), child) != node->children.end()) {
            deleteNode(child);
        }
    }
    owner->nodeDeleting(node);
    TTreeNode* parent = node->parent;
    {
        Suppress quiet(impl.suppress);
        std::vector<TTreeNode*>& siblings = siblingsOf(parent);
        siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
        std::replace(impl.expanding.begin(), impl.expanding.end(), node, static_cast<TTreeNode*>(nullptr));
        if (impl.editing == node) {
            impl.editing = nullptr;
        }
        if (impl.committed == node) {
            impl.committed = nullptr;
        }
        if (impl.reported == node) {
            impl.reported = nullptr;
            impl.reportedDeleted = true;
        }
        // With its row, and with any child a handler added meanwhile.
        delete node;
        // A node without children shows no button; it is shut, so new children ask again.
        if (parent != nullptr && parent->children.empty()) {
            TTreeView::Impl::row(parent)->setExpanded(false);
        }
    }
    impl.deleting.erase(node);
    if (--impl.deletionDepth == 0) {
        impl.settleSelection(owner);
    }
}
