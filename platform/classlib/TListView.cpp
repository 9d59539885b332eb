#include "platform/classlib/TListView.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TImageList.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TStrings.h"

#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QTreeWidget>

#include <algorithm>
#include <set>
#include <vector>

namespace {

const int itemRole = Qt::UserRole + 1;

// The list as Qt shows it: a flat tree. Clicks and double clicks anywhere on it are the list's.
class ListTree : public QTreeWidget {
public:
    TListView* view = nullptr;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        if (view != nullptr && event->button() == Qt::LeftButton) {
            TListView* list = view;
            classlib::dispatch(list, [list] { list->Click(); });
        }
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QTreeWidget::mouseDoubleClickEvent(event);
        if (view != nullptr && event->button() == Qt::LeftButton) {
            TListView* list = view;
            classlib::dispatch(list, [list] { list->DblClick(); });
        }
    }
};


}  // namespace

struct TListView::Impl {
    ListTree* tree = nullptr;
    // Qt's signals are ignored while the class library changes the rows itself.
    int suppress = 0;
    std::set<const TListItem*> deleting;

    static QTreeWidgetItem* row(const TListItem* item) { return item != nullptr ? static_cast<QTreeWidgetItem*>(item->row) : nullptr; }
    static TListItem* item(const QTreeWidgetItem* row)
    {
        return row != nullptr ? reinterpret_cast<TListItem*>(row->data(0, itemRole).value<quintptr>()) : nullptr;
    }
    QModelIndex index(const TListItem* item) const { return tree->indexFromItem(row(item)); }
};

namespace {

struct Suppress {
    explicit Suppress(int& counter) : counter(counter) { ++counter; }
    ~Suppress() { --counter; }
    int& counter;
};

bool captionBefore(const std::string& a, const std::string& b)
{
    return QString::localeAwareCompare(classlib::toQ(a), classlib::toQ(b)) < 0;
}

}  // namespace

TListView::TListView(TComponent* owner)
    : TWinControl(owner, classlib::makeWidget<ListTree>())
    , impl(new Impl)
    , columns(new TListColumns(this))
    , items(new TListItems(this))
{
    ListTree* tree = static_cast<ListTree*>(Widget());
    impl->tree = tree;
    tree->view = this;
    tree->setRootIsDecorated(false);
    tree->setItemsExpandable(false);
    tree->setUniformRowHeights(true);
    tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    applyColumns();

    QObject::connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, tree,
                     [this](const QItemSelection& selected, const QItemSelection& deselected) {
                         if (impl->suppress > 0) {
                             return;
                         }
                         auto rowsOf = [this](const QItemSelection& selection) {
                             std::vector<TListItem*> found;
                             for (const QModelIndex& index : selection.indexes()) {
                                 if (index.column() == 0) {
                                     if (TListItem* item = Impl::item(impl->tree->itemFromIndex(index))) {
                                         found.push_back(item);
                                     }
                                 }
                             }
                             return found;
                         };
                         std::vector<TListItem*> lost = rowsOf(deselected);
                         std::vector<TListItem*> gained = rowsOf(selected);
                         auto report = [this](TListItem* item, bool nowSelected) {
                             // A handler may have deleted a row that is still to be reported.
                             if (items->IndexOf(item) < 0 || impl->deleting.count(item) != 0) {
                                 return;
                             }
                             classlib::dispatch(this, [this, item, nowSelected] {
                                 Change(item, ctState);
                                 if (items->IndexOf(item) >= 0) {
                                     DoSelectItem(item, nowSelected);
                                 }
                             });
                         };
                         for (TListItem* item : lost) {
                             report(item, false);
                         }
                         for (TListItem* item : gained) {
                             report(item, true);
                         }
                     });
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
        if (impl->suppress > 0) {
            return;
        }
        TListItem* now = Impl::item(current);
        TListItem* before = Impl::item(previous);
        for (TListItem* item : {before, now}) {
            if (item != nullptr && items->IndexOf(item) >= 0 && impl->deleting.count(item) == 0) {
                classlib::dispatch(this, [this, item] { Change(item, ctState); });
            }
        }
    });
    QObject::connect(tree, &QTreeWidget::itemChanged, tree, [this](QTreeWidgetItem* row, int column) {
        if (impl->suppress > 0 || column != 0 || !checkboxes) {
            return;
        }
        TListItem* item = Impl::item(row);
        if (item == nullptr) {
            return;
        }
        bool nowChecked = row->checkState(0) == Qt::Checked;
        if (nowChecked != item->checked) {
            item->checked = nowChecked;
            classlib::dispatch(this, [this, item] { Change(item, ctState); });
        }
    });
}

TListView::~TListView()
{
    // Rows that are left go without the deletion handler: a subclass is gone already.
    impl->suppress = 1;
    impl->tree->view = nullptr;
    QObject::disconnect(impl->tree, nullptr, nullptr, nullptr);
    QObject::disconnect(impl->tree->selectionModel(), nullptr, nullptr, nullptr);
    items.reset();
}

void TListView::BeforeDestruction()
{
    TWinControl::BeforeDestruction();
    items->Clear();
}

void TListView::SetViewStyle(TViewStyle style)
{
    viewStyle = style;
    applyColumns();
}

void TListView::SetCheckboxes(bool value)
{
    checkboxes = value;
    for (int i = 0; i < items->Count(); ++i) {
        refreshRow(items->Item(i));
    }
}

void TListView::SetMultiSelect(bool value)
{
    multiSelect = value;
    impl->tree->setSelectionMode(value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TListView::SetRowSelect(bool value)
{
    rowSelect = value;
    impl->tree->setAllColumnsShowFocus(value);
}

void TListView::SetShowColumnHeaders(bool value)
{
    showColumnHeaders = value;
    applyColumns();
}

void TListView::SetSortType(TSortType type)
{
    sortType = type;
    resort();
}

void TListView::SetSmallImages(TImageList* images)
{
    smallImages = images;
    for (int i = 0; i < items->Count(); ++i) {
        refreshRow(items->Item(i));
    }
}

int TListView::ItemIndex() const
{
    TListItem* item = Selected();
    return item != nullptr ? item->Index() : -1;
}

void TListView::SetItemIndex(int index)
{
    SetSelected(items->Item(index));
}

TListItem* TListView::Selected() const
{
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* item = items->Item(i);
        if (Impl::row(item)->isSelected()) {
            return item;
        }
    }
    return nullptr;
}

void TListView::SetSelected(TListItem* item)
{
    if (item == nullptr) {
        ClearSelection();
        return;
    }
    impl->tree->selectionModel()->select(impl->index(item), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TListItem* TListView::ItemFocused() const
{
    return Impl::item(impl->tree->currentItem());
}

void TListView::SetItemFocused(TListItem* item)
{
    impl->tree->selectionModel()->setCurrentIndex(item != nullptr ? impl->index(item) : QModelIndex(), QItemSelectionModel::NoUpdate);
}

int TListView::SelCount() const
{
    int count = 0;
    for (int i = 0; i < items->Count(); ++i) {
        if (Impl::row(items->Item(i))->isSelected()) {
            ++count;
        }
    }
    return count;
}

void TListView::ClearSelection()
{
    impl->tree->selectionModel()->clearSelection();
}

void TListView::DeleteSelected()
{
    std::vector<TListItem*> selected;
    for (int i = 0; i < items->Count(); ++i) {
        if (Impl::row(items->Item(i))->isSelected()) {
            selected.push_back(items->Item(i));
        }
    }
    items->BeginUpdate();
    for (TListItem* item : selected) {
        int index = items->IndexOf(item);
        if (index >= 0) {
            items->Delete(index);
        }
    }
    items->EndUpdate();
}

void TListView::Clear()
{
    items->Clear();
}

void TListView::AddItem(const std::string& caption, TObject* object)
{
    TListItem* item = items->Add();
    item->SetCaption(caption);
    item->SetData(object);
}

QWidget* TListView::DropTarget() const
{
    return impl->tree->viewport();
}

void TListView::Delete(TListItem* item)
{
    OnDeletion(this, item);
}

void TListView::Change(TListItem* item, TItemChange change)
{
    OnChange(this, item, change);
}

void TListView::DoSelectItem(TListItem* item, bool selected)
{
    OnSelectItem(this, item, selected);
}

bool TListView::rowDeleting(TListItem* item)
{
    if (!impl->deleting.insert(item).second) {
        return false;
    }
    classlib::dispatch(this, [this, item] { Delete(item); });
    impl->deleting.erase(item);
    return true;
}

void TListView::applyColumns()
{
    QTreeWidget* tree = impl->tree;
    bool report = viewStyle == vsReport;
    int count = report ? std::max(1, columns->Count()) : 1;
    tree->setColumnCount(count);
    QStringList labels;
    for (int i = 0; i < count; ++i) {
        TListColumn* column = columns->Items(i);
        labels << (column != nullptr ? classlib::toQ(column->Caption()) : QString());
    }
    tree->setHeaderLabels(labels);
    for (int i = 0; i < count; ++i) {
        if (TListColumn* column = columns->Items(i)) {
            if (column->Width() > 0) {
                tree->setColumnWidth(i, column->Width());
            } else {
                tree->resizeColumnToContents(i);
            }
        }
    }
    tree->setHeaderHidden(!report || !showColumnHeaders);
}

void TListView::itemChanged(TListItem* item, TItemChange change)
{
    if (Impl::row(item) == nullptr) {
        return;
    }
    refreshRow(item);
    if (change == ctText) {
        reposition(item);
    }
    if (impl->deleting.count(item) == 0) {
        classlib::dispatch(this, [this, item, change] { Change(item, change); });
    }
}

void TListView::refreshRow(TListItem* item)
{
    QTreeWidgetItem* row = Impl::row(item);
    Suppress quiet(impl->suppress);
    row->setText(0, classlib::toQ(item->caption));
    int subItems = item->subItems->Count();
    for (int i = 0; i < subItems; ++i) {
        row->setText(i + 1, classlib::toQ(item->subItems->Get(i)));
    }
    for (int i = subItems + 1; i < row->columnCount(); ++i) {
        row->setText(i, QString());
    }
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (checkboxes) {
        flags |= Qt::ItemIsUserCheckable;
        row->setFlags(flags);
        row->setCheckState(0, item->checked ? Qt::Checked : Qt::Unchecked);
    } else {
        row->setFlags(flags);
        row->setData(0, Qt::CheckStateRole, QVariant());
    }
    row->setIcon(0, smallImages != nullptr ? smallImages->Icon(item->imageIndex) : QIcon());
}

void TListView::reposition(TListItem* item)
{
    if (!sorted()) {
        return;
    }
    std::vector<TListItem*>& rows = items->rows;
    int from = items->IndexOf(item);
    rows.erase(rows.begin() + from);
    auto place = std::upper_bound(rows.begin(), rows.end(), item,
                                  [](const TListItem* a, const TListItem* b) { return captionBefore(a->caption, b->caption); });
    int to = static_cast<int>(place - rows.begin());
    rows.insert(place, item);
    if (to == from) {
        return;
    }
    Suppress quiet(impl->suppress);
    QTreeWidget* tree = impl->tree;
    QTreeWidgetItem* row = Impl::row(item);
    bool wasSelected = row->isSelected();
    bool wasCurrent = tree->currentItem() == row;
    tree->takeTopLevelItem(from);
    tree->insertTopLevelItem(to, row);
    row->setSelected(wasSelected);
    if (wasCurrent) {
        tree->selectionModel()->setCurrentIndex(tree->indexFromItem(row), QItemSelectionModel::NoUpdate);
    }
}

void TListView::resort()
{
    if (!sorted() || items->Count() < 2) {
        return;
    }
    std::vector<TListItem*>& rows = items->rows;
    std::stable_sort(rows.begin(), rows.end(), [](const TListItem* a, const TListItem* b) { return captionBefore(a->caption, b->caption); });
    Suppress quiet(impl->suppress);
    QTreeWidget* tree = impl->tree;
    std::vector<TListItem*> selected;
    TListItem* current = ItemFocused();
    for (TListItem* item : rows) {
        if (Impl::row(item)->isSelected()) {
            selected.push_back(item);
        }
    }
    while (tree->topLevelItemCount() > 0) {
        tree->takeTopLevelItem(0);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        tree->insertTopLevelItem(static_cast<int>(i), Impl::row(rows[i]));
    }
    for (TListItem* item : selected) {
        Impl::row(item)->setSelected(true);
    }
    if (current != nullptr) {
        tree->selectionModel()->setCurrentIndex(impl->index(current), QItemSelectionModel::NoUpdate);
    }
}

// The rows' Qt side lives here, beside the widget.

void TListItems::BeginUpdate()
{
    if (updateCount++ == 0) {
        owner->Widget()->setUpdatesEnabled(false);
    }
}

void TListItems::EndUpdate()
{
    if (updateCount > 0 && --updateCount == 0) {
        owner->Widget()->setUpdatesEnabled(true);
    }
}

void TListItems::place(TListItem* item, int index)
{
    if (owner->sorted()) {
        auto place = std::upper_bound(rows.begin(), rows.end(), item,
                                      [](const TListItem* a, const TListItem* b) { return captionBefore(a->caption, b->caption); });
        index = static_cast<int>(place - rows.begin());
    }
    rows.insert(rows.begin() + index, item);
    auto* row = new QTreeWidgetItem();
    row->setData(0, itemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    item->row = row;
    Suppress quiet(owner->impl->suppress);
    owner->impl->tree->insertTopLevelItem(index, row);
    owner->refreshRow(item);
}

void TListItems::removeRow(TListItem* item)
{
    {
        Suppress quiet(owner->impl->suppress);
        rows.erase(std::find(rows.begin(), rows.end(), item));
        delete TListView::Impl::row(item);
        item->row = nullptr;
    }
    delete item;
}

void TListItem::SetSelected(bool value)
{
    if (Selected() == value) {
        return;
    }
    TListView* view = ListView();
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::Rows;
    if (!value) {
        flags |= QItemSelectionModel::Deselect;
    } else if (view->MultiSelect()) {
        flags |= QItemSelectionModel::Select;
    } else {
        flags |= QItemSelectionModel::ClearAndSelect;
    }
    view->impl->tree->selectionModel()->select(view->impl->index(this), flags);
}

bool TListItem::Selected() const
{
    QTreeWidgetItem* r = TListView::Impl::row(this);
    return r != nullptr && r->isSelected();
}

bool TListItem::Focused() const
{
    QTreeWidgetItem* r = TListView::Impl::row(this);
    return r != nullptr && r->treeWidget() != nullptr && r->treeWidget()->currentItem() == r;
}

void TListItem::SetFocused(bool value)
{
    if (Focused() == value) {
        return;
    }
    TListView* view = ListView();
    view->impl->tree->selectionModel()->setCurrentIndex(value ? view->impl->index(this) : QModelIndex(), QItemSelectionModel::NoUpdate);
}

void TListItem::MakeVisible(bool)
{
    if (QTreeWidgetItem* r = TListView::Impl::row(this)) {
        ListView()->impl->tree->scrollToItem(r);
    }
}
