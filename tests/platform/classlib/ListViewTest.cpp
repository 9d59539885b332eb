#include "platform/classlib/TForm.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TStrings.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QApplication>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;

// A list view that frees what its rows hold, as the folder list does, and logs each row it sees
// leave.
class OwningList : public TListView {
public:
    OwningList(TComponent* owner, std::vector<std::string>& deleted) : TListView(owner), deleted(deleted) {}

protected:
    void Delete(TListItem* item) override
    {
        deleted.push_back(item->Caption() + (item->Data() != nullptr ? "+data" : ""));
        delete static_cast<std::string*>(item->Data());
        item->SetData(nullptr);
        TListView::Delete(item);
    }

private:
    std::vector<std::string>& deleted;
};

class ListViewTest : public ClasslibTest {
protected:
    ListViewTest() : form(new TForm(static_cast<TComponent*>(nullptr))), list(new OwningList(form, deleted))
    {
        form->SetClientSize(300, 200);
        list->SetParent(form);
        list->SetBounds(0, 0, 300, 200);
        list->SetViewStyle(vsReport);
        list->Columns()->Add()->SetCaption("名前");
        list->Columns()->Add()->SetCaption("版");
        list->OnChange = TLVChangeEvent::FromFunction(nullptr, [this](TObject* sender, TListItem* item, TItemChange change) {
            EXPECT_EQ(list, sender);
            log.push_back("change " + item->Caption() + " " + "tis"[change]);
        });
        list->OnSelectItem = TLVSelectItemEvent::FromFunction(nullptr, [this](TObject*, TListItem* item, bool selected) {
            log.push_back(std::string(selected ? "select " : "unselect ") + item->Caption());
        });
        list->OnDeletion = TLVDeletedEvent::FromFunction(nullptr, [this](TObject*, TListItem* item) {
            log.push_back("deletion " + item->Caption());
        });
    }
    ~ListViewTest() override { delete form; }

    TListItem* add(const std::string& caption)
    {
        TListItem* item = list->Items()->Add();
        item->SetCaption(caption);
        return item;
    }

    QTreeWidget* tree() const { return static_cast<QTreeWidget*>(list->Widget()); }

    TForm* form;
    std::vector<std::string> deleted;
    OwningList* list;
    std::vector<std::string> log;
};

// Every program change of a row raises OnChange with its kind, selection changes OnSelectItem as
// well; an unchanged value raises nothing.
TEST_F(ListViewTest, ProgramChangesOfARowRaiseTheListsEvents)
{
    list->SetCheckboxes(true);
    TListItem* a = add("a");
    TListItem* b = add("b");
    log.clear();
    const struct {
        const char* name;
        std::function<void()> change;
        std::vector<std::string> expected;
    } cases[] = {
        {"caption", [&] { a->SetCaption("a2"); }, {"change a2 t"}},
        {"same caption", [&] { a->SetCaption("a2"); }, {}},
        {"sub-item", [&] { a->SubItems()->Add("1.0"); }, {"change a2 t"}},
        {"image", [&] { a->SetImageIndex(1); }, {"change a2 i"}},
        {"check", [&] { a->SetChecked(true); }, {"change a2 s"}},
        {"same check", [&] { a->SetChecked(true); }, {}},
        {"select", [&] { b->SetSelected(true); }, {"change b s", "select b"}},
        {"already selected", [&] { b->SetSelected(true); }, {}},
        {"ItemIndex moves the selection", [&] { list->SetItemIndex(0); }, {"change b s", "unselect b", "change a2 s", "select a2"}},
        {"unselect then select again", [&] {
             a->SetSelected(false);
             a->SetSelected(true);
         },
         {"change a2 s", "unselect a2", "change a2 s", "select a2"}},
        {"focus", [&] { list->SetItemFocused(b); }, {"change b s"}},
        {"ItemIndex -1", [&] { list->SetItemIndex(-1); }, {"change a2 s", "unselect a2"}},
    };
    for (const auto& c : cases) {
        log.clear();
        c.change();
        EXPECT_EQ(c.expected, log) << c.name;
    }
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ("1.0", a->SubItems()->Get(0));
    EXPECT_EQ(b, list->ItemFocused());
    EXPECT_EQ(-1, list->ItemIndex());
    EXPECT_EQ("a2", tree()->topLevelItem(0)->text(0).toStdString());
    EXPECT_EQ("1.0", tree()->topLevelItem(0)->text(1).toStdString());
}

TEST_F(ListViewTest, TheUsersClicksRaiseSelectionCheckAndDoubleClickEvents)
{
    list->SetCheckboxes(true);
    add("a");
    TListItem* b = add("b");
    int clicks = 0;
    int doubleClicks = 0;
    list->OnClick = TNotifyEvent::FromFunction(nullptr, [&](TObject*) { ++clicks; });
    list->OnDblClick = TNotifyEvent::FromFunction(nullptr, [&](TObject* sender) {
        EXPECT_EQ(list, sender);
        ++doubleClicks;
    });
    form->Show();
    QRect row = tree()->visualItemRect(tree()->topLevelItem(1));
    log.clear();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(row.center().x() + 40, row.center().y()));
    EXPECT_TRUE(b->Selected());
    EXPECT_EQ(1, list->ItemIndex());
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "select b"));
    EXPECT_EQ(1, clicks);

    QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(row.center().x() + 40, row.center().y()));
    EXPECT_EQ(1, doubleClicks);

    // The check box sits at the row's left edge.
    int indicator = tree()->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    log.clear();
    QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(row.left() + 3 + indicator / 2, row.center().y()));
    EXPECT_TRUE(b->Checked());
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "change b s"));
}

// The deletion hook sees every row that leaves, whichever way it leaves, and no other event is
// raised for a row while it goes.
TEST_F(ListViewTest, EveryRowLeavingPassesTheDeletionHookOnce)
{
    list->SetMultiSelect(true);
    for (const char* caption : {"a", "b", "c", "d", "e"}) {
        add(caption)->SetData(new std::string(caption));
    }
    list->Items()->Item(1)->SetSelected(true);
    list->Items()->Item(3)->SetSelected(true);
    EXPECT_EQ(2, list->SelCount());
    log.clear();

    list->DeleteSelected();
    EXPECT_EQ((std::vector<std::string>{"b+data", "d+data"}), deleted);
    EXPECT_EQ((std::vector<std::string>{"deletion b", "deletion d"}), log);
    EXPECT_EQ(3, list->Items()->Count());
    EXPECT_EQ(0, list->SelCount());

    list->Items()->Item(0)->Delete();
    EXPECT_EQ("a+data", deleted.back());
    list->Items()->Delete(5);
    EXPECT_EQ(2, list->Items()->Count());

    list->Clear();
    EXPECT_EQ((std::vector<std::string>{"b+data", "d+data", "a+data", "c+data", "e+data"}), deleted);
    EXPECT_EQ(0, tree()->topLevelItemCount());

    // With its form: the subclass's hook still runs, so nothing the rows held is leaked.
    add("f")->SetData(new std::string("f"));
    add("g")->SetData(new std::string("g"));
    delete form;
    form = nullptr;
    EXPECT_EQ("f+data", deleted[5]);
    EXPECT_EQ("g+data", deleted[6]);
}

TEST_F(ListViewTest, ARowDeletedByAHandlerOfItsOwnSelectionIsNotReportedAgain)
{
    TListItem* a = add("a");
    TListItem* b = add("b");
    a->SetSelected(true);
    list->OnSelectItem = TLVSelectItemEvent::FromFunction(nullptr, [this](TObject*, TListItem* item, bool selected) {
        log.push_back(std::string(selected ? "select " : "unselect ") + item->Caption());
        if (!selected) {
            item->Delete();
        }
    });
    log.clear();
    b->SetSelected(true);
    EXPECT_EQ(1, list->Items()->Count());
    EXPECT_EQ(b, list->Selected());
    EXPECT_EQ((std::vector<std::string>{"change a s", "unselect a", "deletion a", "change b s", "select b"}), log);
}

TEST_F(ListViewTest, ASortingListKeepsItsRowsInCaptionOrder)
{
    list->SetSortType(stBoth);
    add("/tmp/c");
    TListItem* a = add("/tmp/a");
    add("/tmp/b");
    auto captions = [this] {
        std::vector<std::string> shown;
        for (int i = 0; i < list->Items()->Count(); ++i) {
            shown.push_back(list->Items()->Item(i)->Caption());
            EXPECT_EQ(shown.back(), tree()->topLevelItem(i)->text(0).toStdString());
        }
        return shown;
    };
    EXPECT_EQ((std::vector<std::string>{"/tmp/a", "/tmp/b", "/tmp/c"}), captions());
    a->SetSelected(true);
    a->SetCaption("/tmp/d");
    EXPECT_EQ((std::vector<std::string>{"/tmp/b", "/tmp/c", "/tmp/d"}), captions());
    EXPECT_EQ(2, a->Index());
    EXPECT_TRUE(a->Selected());
    EXPECT_EQ(2, list->ItemIndex());
}

TEST_F(ListViewTest, BeginUpdateHoldsDrawingButStillRaisesEvents)
{
    list->Items()->BeginUpdate();
    list->Items()->BeginUpdate();
    add("a");
    list->Items()->EndUpdate();
    EXPECT_FALSE(list->Widget()->updatesEnabled());
    list->Items()->EndUpdate();
    EXPECT_TRUE(list->Widget()->updatesEnabled());
    EXPECT_EQ((std::vector<std::string>{"change a t"}), log);
}

}  // namespace
