#include "platform/classlib/TForm.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TWinControl.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;

// A list that asks for dropped files as the folder list does, or not.
class DropList : public TListView {
public:
    DropList(TComponent* owner, bool accept) : TListView(owner), accept(accept) {}
    std::vector<std::vector<std::string>> drops;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TListView::CreateParams(params);
        if (accept) {
            params.ExStyle |= WS_EX_ACCEPTFILES;
        }
    }
    void WMDropFiles(TWMDropFiles& message) override { drops.push_back(message.Files); }

private:
    bool accept;
};

QMimeData* uriList(const QList<QUrl>& urls)
{
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

class DropTest : public ClasslibTest {
protected:
    DropTest() : form(new TForm(static_cast<TComponent*>(nullptr))) {}
    ~DropTest() override { delete form; }

    DropList* list(bool accept)
    {
        auto* made = new DropList(form, accept);
        made->SetParent(form);
        made->SetBounds(0, 0, 200, 100);
        form->Show();
        return made;
    }

    // Enters and drops data on the control's drop target; returns whether entry was accepted.
    bool dragAndDrop(DropList* target, const QMimeData* data)
    {
        QWidget* widget = target->DropTarget();
        QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        bool accepted = enter.isAccepted();
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &drop);
        return accepted;
    }

    TForm* form;
};

TEST_F(DropTest, LocalFilesAndFoldersDroppedArriveAsPathsInTheirOrder)
{
    DropList* target = list(true);
    EXPECT_TRUE(target->DropTarget()->acceptDrops());
    std::unique_ptr<QMimeData> data(uriList({QUrl::fromLocalFile("/tmp/b file.bin"), QUrl("https://example.org/x"),
                                             QUrl::fromLocalFile("/tmp/フォルダ/"), QUrl::fromLocalFile("/")}));
    EXPECT_TRUE(dragAndDrop(target, data.get()));
    ASSERT_EQ(1u, target->drops.size());
    EXPECT_EQ((std::vector<std::string>{"/tmp/b file.bin", "/tmp/フォルダ", "/"}), target->drops[0]);
}

TEST_F(DropTest, ADropWithoutLocalPathsIsRefused)
{
    DropList* target = list(true);
    std::unique_ptr<QMimeData> text(new QMimeData);
    text->setText("/tmp/a");
    std::unique_ptr<QMimeData> remote(uriList({QUrl("https://example.org/x")}));
    for (const QMimeData* data : {text.get(), remote.get()}) {
        EXPECT_FALSE(dragAndDrop(target, data));
    }
    EXPECT_TRUE(target->drops.empty());
}

TEST_F(DropTest, AControlThatDoesNotAskForFilesGetsNone)
{
    DropList* target = list(false);
    EXPECT_FALSE(target->DropTarget()->acceptDrops());
    std::unique_ptr<QMimeData> data(uriList({QUrl::fromLocalFile("/tmp/a")}));
    dragAndDrop(target, data.get());
    EXPECT_TRUE(target->drops.empty());
}

}  // namespace
