#include "platform/classlib/TForm.h"
#include "platform/classlib/TImageList.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "platform/classlib/TTreeView.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;
using classlibtest::drainEvents;

// A tree that lets a test answer the can-expand hook and logs both hooks, as the folder tree
// uses them: the expansion hook reads children in place of a placeholder, the deletion hook frees
// what a node holds.
class HookedTree : public TTreeView {
public:
    HookedTree(TComponent* owner, std::vector<std::string>& log) : TTreeView(owner), log(log) {}

    std::function<bool(TTreeNode*)> onCanExpand;

protected:
    bool CanExpand(TTreeNode* node) override
    {
        log.push_back("can expand " + node->Text());
        return onCanExpand ? onCanExpand(node) : TTreeView::CanExpand(node);
    }

    void Delete(TTreeNode* node) override
    {
        log.push_back("delete " + node->Text());
        delete static_cast<std::string*>(node->Data());
        node->SetData(nullptr);
        TTreeView::Delete(node);
    }

private:
    std::vector<std::string>& log;
};

std::vector<std::string> texts(const TTreeNode* node)
{
    std::vector<std::string> result;
    for (int index = 0; index < node->Count(); ++index) {
        result.push_back(node->Item(index)->Text());
    }
    return result;
}

class TTreeViewTest : public ClasslibTest {
protected:
    TTreeViewTest() : form(new TForm(static_cast<TComponent*>(nullptr))), tree(new HookedTree(form, log))
    {
        form->SetClientSize(300, 300);
        tree->SetParent(form);
        tree->SetBounds(0, 0, 300, 300);
        tree->OnChange = TTVChangedEvent::FromFunction(nullptr, [this](TObject* sender, TTreeNode* node) {
            EXPECT_EQ(tree, sender);
            log.push_back("change " + (node != nullptr ? node->Text() : std::string("none")));
        });
        tree->OnDeletion = TTVChangedEvent::FromFunction(nullptr, [this](TObject*, TTreeNode* node) {
            log.push_back("deletion " + node->Text());
        });
    }
    ~TTreeViewTest() override { delete form; }

    QTreeWidget* widget() const { return static_cast<QTreeWidget*>(tree->Widget()); }

    QTreeWidgetItem* rowOf(const std::string& text) const
    {
        const QList<QTreeWidgetItem*> rows =
            widget()->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
        return rows.isEmpty() ? nullptr : rows.first();
    }

    void show()
    {
        form->Show();
        QCoreApplication::processEvents();
    }

    // A press on the expansion button, which lies in the indentation left of the row's text.
    void clickButtonOf(const std::string& text)
    {
        const QRect row = widget()->visualItemRect(rowOf(text));
        const QPoint button(row.left() - widget()->indentation() / 2, row.center().y());
        QTest::mouseClick(widget()->viewport(), Qt::LeftButton, Qt::NoModifier, button);
    }

    // What the window system sends for a double click: press, release, double click, release.
    void doubleClick(const QPoint& at)
    {
        const QPointF global = widget()->viewport()->mapToGlobal(QPointF(at));
        const struct {
            QEvent::Type type;
            Qt::MouseButtons buttons;
        } steps[] = {{QEvent::MouseButtonPress, Qt::LeftButton}, {QEvent::MouseButtonRelease, Qt::NoButton},
                     {QEvent::MouseButtonDblClick, Qt::LeftButton}, {QEvent::MouseButtonRelease, Qt::NoButton}};
        for (const auto& step : steps) {
            QMouseEvent event(step.type, QPointF(at), global, Qt::LeftButton, step.buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(widget()->viewport(), &event);
        }
    }

    // A root with a placeholder child, as a folder whose children are not read yet.
    TTreeNode* unreadFolder(const std::string& text = "folder")
    {
        TTreeNode* folder = tree->Items()->Add(nullptr, text);
        tree->Items()->AddChild(folder, "");
        return folder;
    }

    std::vector<std::string> log;
    TForm* form;
    HookedTree* tree;
};

// The hook is asked whoever opens the node; a refusal keeps it shut with its placeholder, an
// answer that reads the children in its place opens it with them, and a later opening asks again.
TEST_F(TTreeViewTest, EveryWayOfExpandingAsksTheHookFirst)
{
    show();
    const struct {
        const char* name;
        std::function<void(TTreeNode*)> expand;
    } ways[] = {
        {"click on the button", [this](TTreeNode*) { clickButtonOf("folder"); }},
        {"right arrow", [this](TTreeNode* node) {
             tree->Select(node);
             QTest::keyClick(widget(), Qt::Key_Right);
         }},
        {"plus key", [this](TTreeNode* node) {
             tree->Select(node);
             QTest::keyClick(widget(), Qt::Key_Plus);
         }},
        {"double click", [this](TTreeNode*) {
             doubleClick(widget()->visualItemRect(rowOf("folder")).center());
         }},
        {"program", [](TTreeNode* node) { node->Expand(false); }},
        {"property", [](TTreeNode* node) { node->SetExpanded(true); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        tree->Items()->Clear();
        TTreeNode* folder = unreadFolder();
        log.clear();

        tree->onCanExpand = [](TTreeNode*) { return false; };
        way.expand(folder);
        EXPECT_FALSE(folder->Expanded());
        EXPECT_FALSE(rowOf("folder")->isExpanded());
        EXPECT_EQ(texts(folder), std::vector<std::string>{""});
        ASSERT_EQ(std::count(log.begin(), log.end(), "can expand folder"), 1);

        tree->onCanExpand = [this](TTreeNode* node) {
            TTreeNode* placeholder = node->getFirstChild();
            tree->Items()->AddChild(node, "b");
            tree->Items()->AddChild(node, "a");
            placeholder->Delete();
            return true;
        };
        if (std::string(way.name) != "double click") {
            tree->Select(nullptr);
        }
        log.clear();
        way.expand(folder);
        EXPECT_TRUE(folder->Expanded());
        EXPECT_TRUE(rowOf("folder")->isExpanded());
        EXPECT_EQ(texts(folder), (std::vector<std::string>{"b", "a"}));
        EXPECT_EQ(std::count(log.begin(), log.end(), "can expand folder"), 1);
        EXPECT_EQ(widget()->visualItemRect(rowOf("a")).isValid(), true) << "the children are shown";

        folder->Collapse(false);
        EXPECT_FALSE(rowOf("folder")->isExpanded());
        log.clear();
        tree->onCanExpand = nullptr;
        folder->Expand(false);
        EXPECT_EQ(log, std::vector<std::string>{"can expand folder"});
    }
}

// The default hook raises OnExpanding, whose allow decides; a node without children shows no
// button and asks nothing; a hook that finds nothing to show or deletes the node leaves it shut.
TEST_F(TTreeViewTest, ExpansionWithoutChildrenOrThroughTheEventDecidesSoundly)
{
    show();
    TTreeNode* folder = unreadFolder();
    TTreeNode* leaf = tree->Items()->Add(nullptr, "leaf");
    EXPECT_EQ(rowOf("leaf")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    bool allow = false;
    tree->OnExpanding = TTVExpandingEvent::FromFunction(nullptr, [&](TObject*, TTreeNode* node, bool& answer) {
        log.push_back("expanding " + node->Text());
        answer = allow;
    });
    log.clear();
    leaf->Expand(false);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(leaf->Expanded());

    folder->Expand(false);
    EXPECT_FALSE(folder->Expanded());
    allow = true;
    folder->Expand(false);
    EXPECT_TRUE(folder->Expanded());
    EXPECT_EQ(log, (std::vector<std::string>{"can expand folder", "expanding folder", "can expand folder", "expanding folder"}));

    // Read and empty: the placeholder goes, no button, and the node is not left open.
    TTreeNode* empty = unreadFolder("empty");
    tree->onCanExpand = [](TTreeNode* node) {
        node->getFirstChild()->Delete();
        return true;
    };
    clickButtonOf("empty");
    EXPECT_EQ(empty->Count(), 0);
    EXPECT_FALSE(empty->Expanded());

    tree->onCanExpand = [](TTreeNode* node) {
        node->Delete();
        return true;
    };
    unreadFolder("gone")->Expand(false);
    EXPECT_EQ(tree->Items()->RootCount(), 3);
}

// Each node passes through the deletion hook before it leaves, children before their parent,
// whether one node goes, its children, all of them, or the tree with its owner.
TEST_F(TTreeViewTest, DeletionHookSeesChildrenBeforeParentsAlsoWhenTheOwnerGoes)
{
    TTreeNodes* nodes = tree->Items();
    TTreeNode* a = nodes->AddObject(nullptr, "a", new std::string("held by a"));
    TTreeNode* a1 = nodes->AddChildObject(a, "a1", new std::string("held by a1"));
    nodes->AddChild(a1, "a1x");
    nodes->AddChild(a, "a2");
    TTreeNode* b = nodes->Add(a, "b");
    nodes->AddChild(b, "b1");
    nodes->AddChild(b, "b2");
    nodes->Add(nullptr, "c");
    nodes->AddChild(nodes->Add(nullptr, "d"), "d1");
    ASSERT_EQ(nodes->Count(), 10);
    EXPECT_EQ(nodes->Item(3)->Text(), "a2");
    EXPECT_EQ(b->Index(), 1);
    EXPECT_EQ(a1->Level(), 1);

    log.clear();
    a->Delete();
    EXPECT_EQ(log, (std::vector<std::string>{"delete a1x", "deletion a1x", "delete a1", "deletion a1", "delete a2", "deletion a2",
                                             "delete a", "deletion a"}));
    EXPECT_EQ(widget()->topLevelItemCount(), 3);

    log.clear();
    b->DeleteChildren();
    EXPECT_EQ(log, (std::vector<std::string>{"delete b1", "deletion b1", "delete b2", "deletion b2"}));
    EXPECT_EQ(b->Count(), 0);

    log.clear();
    delete form;
    form = nullptr;
    EXPECT_EQ(log, (std::vector<std::string>{"delete b", "deletion b", "delete c", "deletion c", "delete d1", "deletion d1", "delete d",
                                             "deletion d"}));
}

// A bare delete cannot reach the subclass any more; the tree's own handler still hears of every
// node, children first, and nothing is left behind (the leak checker sees to that).
TEST_F(TTreeViewTest, BareDeleteRaisesTheDeletionEventForEveryNode)
{
    std::vector<std::string> events;
    auto* bare = new TTreeView(nullptr);
    bare->OnDeletion = TTVChangedEvent::FromFunction(nullptr, [&](TObject*, TTreeNode* node) { events.push_back(node->Text()); });
    bare->Items()->AddChild(bare->Items()->Add(nullptr, "p"), "q");
    bare->Items()->Add(nullptr, "r");
    delete bare;
    EXPECT_EQ(events, (std::vector<std::string>{"q", "p", "r"}));
}

int byFirstLetter(TTreeNode* first, TTreeNode* second, std::intptr_t data)
{
    const int order = first->Text()[0] - second->Text()[0];
    return data != 0 ? -order : order;
}

// CustomSort keeps equal keys in their order, reverses by its data, sorts a level or every level,
// and the rows follow with their expansion and selection kept.
TEST_F(TTreeViewTest, CustomSortIsStableAndTheRowsFollow)
{
    show();
    TTreeNodes* nodes = tree->Items();
    for (const char* text : {"b1", "a1", "c1", "a2", "b2"}) {
        nodes->Add(nullptr, text);
    }
    TTreeNode* parent = nodes->Root(0);
    for (const char* text : {"z", "y1", "x", "y2"}) {
        nodes->AddChild(parent, text);
    }
    parent->Expand(false);
    tree->Select(nodes->Root(4));
    log.clear();

    auto rows = [this] {
        std::vector<std::string> result;
        for (int index = 0; index < widget()->topLevelItemCount(); ++index) {
            result.push_back(widget()->topLevelItem(index)->text(0).toStdString());
        }
        return result;
    };
    auto roots = [nodes] {
        std::vector<std::string> result;
        for (int index = 0; index < nodes->RootCount(); ++index) {
            result.push_back(nodes->Root(index)->Text());
        }
        return result;
    };

    ASSERT_TRUE(tree->CustomSort(byFirstLetter, 0, false));
    EXPECT_EQ(roots(), (std::vector<std::string>{"a1", "a2", "b1", "b2", "c1"}));
    EXPECT_EQ(rows(), roots());
    EXPECT_EQ(texts(parent), (std::vector<std::string>{"z", "y1", "x", "y2"})) << "one level only";
    EXPECT_TRUE(parent->Expanded());
    EXPECT_EQ(tree->Selected()->Text(), "b2");
    EXPECT_TRUE(log.empty()) << "the selection did not move";

    tree->CustomSort(byFirstLetter, 1);
    EXPECT_EQ(roots(), (std::vector<std::string>{"c1", "b1", "b2", "a1", "a2"}));
    EXPECT_EQ(rows(), roots());
    EXPECT_EQ(texts(parent), (std::vector<std::string>{"z", "y1", "y2", "x"}));

    parent->CustomSort(byFirstLetter, 0);
    EXPECT_EQ(texts(parent), (std::vector<std::string>{"x", "y1", "y2", "z"}));
    QTreeWidgetItem* parentRow = rowOf("b1");
    EXPECT_EQ(parentRow->child(0)->text(0).toStdString(), "x");
    EXPECT_EQ(parentRow->child(3)->text(0).toStdString(), "z");
    EXPECT_EQ(parent->getFirstChild()->getNextSibling()->Text(), "y1");
    EXPECT_FALSE(tree->CustomSort(nullptr, 0));
}

// Change reports each move of the selection once, the user's and the program's alike, and a
// deleted selected node is never reported.
TEST_F(TTreeViewTest, SelectionChangesAreReportedOnce)
{
    show();
    TTreeNode* a = tree->Items()->Add(nullptr, "a");
    TTreeNode* b = tree->Items()->Add(nullptr, "b");
    tree->Items()->AddChild(b, "b1");
    log.clear();

    QTest::mouseClick(widget()->viewport(), Qt::LeftButton, Qt::NoModifier, widget()->visualItemRect(rowOf("b")).center());
    EXPECT_EQ(tree->Selected(), b);
    EXPECT_TRUE(b->Selected());
    QTest::mouseClick(widget()->viewport(), Qt::LeftButton, Qt::NoModifier, widget()->visualItemRect(rowOf("b")).center());
    tree->Select(a);
    tree->Select(a);
    a->SetSelected(false);
    EXPECT_EQ(tree->Selected(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"change b", "change a", "change none"}));

    tree->SetSelected(b);
    log.clear();
    b->Delete();
    EXPECT_EQ(log.front(), "delete b1");
    for (const std::string& entry : log) {
        EXPECT_NE(entry, "change b");
    }
    EXPECT_EQ(log.back(), tree->Selected() != nullptr ? "change a" : "change none");
}

// Texts and images show on the rows: the selected image where Qt draws a selected row.
TEST_F(TTreeViewTest, RowsShowTextsAndImages)
{
    auto* images = new TImageList(form);
    images->AddStockIcon(siFolder);
    images->AddStockIcon(siFolderOpen);
    TTreeNode* node = tree->Items()->Add(nullptr, "before");
    node->SetImageIndex(0);
    node->SetSelectedIndex(1);
    EXPECT_TRUE(rowOf("before")->icon(0).isNull()) << "no image list yet";
    tree->SetImages(images);
    node->SetText("after");
    QTreeWidgetItem* row = rowOf("after");
    ASSERT_NE(row, nullptr);
    EXPECT_FALSE(row->icon(0).isNull());
    EXPECT_EQ(row->icon(0).pixmap(16, 16, QIcon::Selected).toImage(), images->Icon(1).pixmap(16, 16).toImage());
    tree->SetImages(nullptr);
    EXPECT_TRUE(row->icon(0).isNull());
}

TEST_F(TTreeViewTest, CaptionsAreEditedInPlaceOnlyWhereTheHookAllowsAndTheHookHasTheLastWord)
{
    TTreeNode* first = tree->Items()->Add(nullptr, "first");
    TTreeNode* second = tree->Items()->Add(nullptr, "second");
    tree->OnEditing = TTVEditingEvent::FromFunction(nullptr, [&](TObject*, TTreeNode* node, bool& allow) {
        allow = node == first;
    });
    std::vector<std::string> typed;
    tree->OnEdited = TTVEditedEvent::FromFunction(nullptr, [&](TObject*, TTreeNode*, std::string& text) {
        typed.push_back(text);
        text = "[" + text + "]";
    });
    form->Show();
    EXPECT_FALSE(second->EditText());
    EXPECT_FALSE(tree->IsEditing());
    ASSERT_TRUE(first->EditText());
    drainEvents();
    QLineEdit* editor = widget()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "renamed");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(first->Text(), "first") << "the hook runs after the editor has closed";
    drainEvents();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(typed, std::vector<std::string>{"renamed"});
    EXPECT_EQ(first->Text(), "[renamed]");
    EXPECT_EQ(rowOf("[renamed]")->text(0).toStdString(), "[renamed]");

    // Esc leaves the caption as it was, without the hook.
    ASSERT_TRUE(first->EditText());
    drainEvents();
    QTest::keyClick(widget()->viewport()->findChild<QLineEdit*>(), Qt::Key_Escape);
    drainEvents();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(typed.size(), 1u);
    EXPECT_EQ(first->Text(), "[renamed]");
}

}  // namespace
