#include "controls/FolderListView.h"

#include "controls/Shellitem.h"
#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/shell/ShellAllocator.h"
#include "platform/shell/ShellImageList.h"
#include "tests/controls/FolderFixture.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

class FolderListViewTest : public FolderFixture {
protected:
    void SetUp() override {
        FolderFixture::SetUp();
        classlib::ensureApplication();
        list = new TFolderListView(nullptr);
    }

    void TearDown() override {
        if (list != nullptr) {
            list->Free();
        }
        FolderFixture::TearDown();
    }

    std::vector<std::string> captions() const {
        std::vector<std::string> result;
        for (int index = 0; index < list->Items()->Count(); ++index) {
            result.push_back(list->Items()->Item(index)->Caption());
        }
        return result;
    }

    std::vector<std::string> paths() const {
        std::vector<std::string> result;
        for (int index = 0; index < list->Items()->Count(); ++index) {
            result.push_back(static_cast<ShellItem*>(list->Items()->Item(index)->Data())->getPath());
        }
        return result;
    }

    // What a file manager sends when the user drops its selection on the list.
    bool drop(const std::vector<QUrl>& urls) {
        list->HandleNeeded();
        QMimeData data;
        data.setUrls(QList<QUrl>(urls.begin(), urls.end()));
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->DropTarget(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->DropTarget(), &dropEvent);
        return dropEvent.isAccepted();
    }

    QUrl url(const std::string& relative) const {
        return QUrl::fromLocalFile(QString::fromStdString(pathOf(relative)));
    }

    TFolderListView* list = nullptr;
};

TEST_F(FolderListViewTest, PathIsListedOnceAndAgainAfterItsRowIsGone) {
    list->AddItem(pathOf("alpha.txt"));
    list->AddItem(pathOf("alpha.txt"));
    list->AddItem(pathOf("visible"));
    ASSERT_EQ(captions(), (std::vector<std::string>{"alpha.txt", "visible"}));
    TListItem* file = list->Items()->Item(0);
    EXPECT_EQ(paths()[0], pathOf("alpha.txt"));
    EXPECT_EQ(file->ImageIndex(), static_cast<ShellItem*>(file->Data())->getIconIndex());

    file->Delete();
    EXPECT_EQ(captions(), std::vector<std::string>{"visible"});
    list->AddItem(pathOf("alpha.txt"));
    EXPECT_EQ(captions(), (std::vector<std::string>{"visible", "alpha.txt"}));

    list->Items()->Item(0)->SetSelected(true);
    list->DeleteSelected();
    list->AddItem(pathOf("visible"));
    EXPECT_EQ(captions(), (std::vector<std::string>{"alpha.txt", "visible"}));
}

TEST_F(FolderListViewTest, ClearReleasesEveryItemAndForgetsEveryPath) {
    const std::vector<std::string> added{pathOf("alpha.txt"), pathOf("visible"), pathOf("Beta")};
    for (const std::string& path : added) {
        list->AddItem(path);
    }
    list->Clear();
    EXPECT_EQ(list->Items()->Count(), 0);
    for (const std::string& path : added) {
        list->AddItem(path);
    }
    EXPECT_EQ(paths(), added);
}

TEST_F(FolderListViewTest, PathTheNamespaceCannotNameGivesARowThatCanBeRemovedAndAddedAgain) {
    const std::string missing = pathOf("missing.bin");
    list->AddItem(missing);
    list->AddItem(missing);
    ASSERT_EQ(captions(), std::vector<std::string>{missing});
    auto* item = static_cast<ShellItem*>(list->Items()->Item(0)->Data());
    EXPECT_EQ(item->getPath(), "");
    EXPECT_FALSE(item->isFolder());

    list->Items()->Item(0)->Delete();
    list->AddItem(missing);
    EXPECT_EQ(captions(), std::vector<std::string>{missing});
}

TEST_F(FolderListViewTest, PathSpelledOtherwiseIsFiledUnderItsOwnText) {
    const std::string otherSpelling = home.string() + "//visible/";
    list->AddItem(otherSpelling);
    list->AddItem(pathOf("visible"));
    ASSERT_EQ(paths(), (std::vector<std::string>{pathOf("visible"), pathOf("visible")}));

    // Its row leaves under the text it came with, not under the path the namespace writes.
    list->Items()->Item(0)->Delete();
    list->AddItem(pathOf("visible"));
    EXPECT_EQ(list->Items()->Count(), 1);
    list->AddItem(otherSpelling);
    EXPECT_EQ(list->Items()->Count(), 2);
}

TEST_F(FolderListViewTest, RowOfTheCaptionAndObjectFormKeepsItsObject) {
    struct Watched : TObject {
        explicit Watched(bool& destroyed) : destroyed(destroyed) {}
        ~Watched() override { destroyed = true; }
        bool& destroyed;
    };
    bool destroyed = false;
    Watched object(destroyed);
    list->AddItem("caption only", &object);
    list->AddItem(pathOf("alpha.txt"));
    ASSERT_EQ(list->Items()->Count(), 2);
    EXPECT_EQ(list->Items()->Item(0)->Data(), &object);
    list->Clear();
    EXPECT_FALSE(destroyed);
    list->AddItem(pathOf("alpha.txt"));
    EXPECT_EQ(list->Items()->Count(), 1);
}

TEST_F(FolderListViewTest, DropAddsFilesAndFoldersNotYetListed) {
    list->AddItem(pathOf("alpha.txt"));
    ASSERT_TRUE(drop({url("visible"), url("alpha.txt"), url("visible/note.txt")}));
    EXPECT_EQ(paths(), (std::vector<std::string>{pathOf("alpha.txt"), pathOf("visible"), pathOf("visible/note.txt")}));
    EXPECT_EQ(captions()[1], "visible");

    // A folder dragged as ".../visible/" is the same path.
    ASSERT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(pathOf("visible") + "/"))}));
    EXPECT_EQ(list->Items()->Count(), 3);

    EXPECT_FALSE(drop({QUrl("https://example.com/file.txt")}));
    EXPECT_EQ(list->Items()->Count(), 3);
}

TEST_F(FolderListViewTest, WindowTakesTheShellIconsEachTimeItIsMade) {
    list->HandleNeeded();
    EXPECT_EQ(list->SmallImages(), ShellImageList::get());
    list->SetSmallImages(nullptr);
    list->RecreateWnd();
    EXPECT_EQ(list->SmallImages(), ShellImageList::get());
}

TEST_F(FolderListViewTest, BareDeleteStillReleasesTheRowsItems) {
    const std::size_t before = ShellAllocator::outstanding();
    list->AddItem(pathOf("alpha.txt"));
    list->AddItem(pathOf("visible"));
    ASSERT_EQ(list->Items()->Count(), 2);
    EXPECT_GT(ShellAllocator::outstanding(), before);
    delete list;
    list = nullptr;
    // Every item-id list of the rows' items went back to the allocator.
    EXPECT_EQ(ShellAllocator::outstanding(), before);
}

}  // namespace
