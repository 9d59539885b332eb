#include "app/IExtractView.h"
#include "app/Textractform.h"
#include "app/Tmainform.h"
#include "controls/FolderListView.h"
#include "controls/FolderTreeView.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TMemo.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TProgressBar.h"
#include "platform/classlib/TStrings.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "tests/app/AppProgram.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class EndToEndTest : public AppProgramFixture {
protected:
    void SetUp() override {
        AppProgramFixture::SetUp();
        output = homeDir() + "/end-to-end-output";
        removePath(output);
        fs::create_directories(output);
        start();
        ASSERT_NE(mainForm, nullptr);
        extractForm =
            dynamic_cast<TExtractForm*>(factory->createExtractView(nullptr)->getComponent());
        ASSERT_NE(extractForm, nullptr);
        mainForm->Show();
        answer = [this](const TMessageDlgRequest& request) {
            return request.Type == mtWarning ? confirm : int(mrOk);
        };
    }
    void TearDown() override {
        stop();
        removePath(output);
        AppProgramFixture::TearDown();
    }

    // Files dropped from another program onto the input list.
    bool drop(const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data.setUrls(urls);
        QWidget* target = mainForm->targetList->DropTarget();
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent event(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
        return event.isAccepted();
    }

    // Opens the home folder in the tree and clicks the output folder below it.
    void chooseOutputFolder() {
        ASSERT_TRUE(mainForm->outputList->SelectHome());
        mainForm->outputList->Selected()->Expand(false);
        auto* tree = qobject_cast<QTreeWidget*>(mainForm->outputList->Widget());
        ASSERT_NE(tree, nullptr);
        const auto found = tree->findItems("end-to-end-output", Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        tree->scrollToItem(found[0]);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualItemRect(found[0]).center());
        ASSERT_NE(mainForm->outputList->Selected(), nullptr);
        ASSERT_EQ(mainForm->outputList->Selected()->Text(), "end-to-end-output");
    }

    // Presses Extract; while the extraction dialog is up, waits for the run's end and presses
    // its button once it reads "ＯＫ" (or Cancel after a generous bound).
    void extract() {
        QTimer watcher;
        QDeadlineTimer deadline(120000);
        watcher.setInterval(20);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (!extractForm->Visible()) return;
            dialogShown = true;
            if (extractForm->CancelBtn->Caption() == "ＯＫ") {
                watcher.stop();
                click(extractForm->CancelBtn);
            } else if (deadline.hasExpired()) {
                timedOut = true;
                click(extractForm->CancelBtn);
            }
        });
        watcher.start();
        click(mainForm->extractButton);
    }

    std::vector<std::string> extractedPngs() {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(output)) {
            if (entry.is_regular_file() && readText(entry.path().string()) == smallPng()) {
                found.push_back(entry.path().string());
            }
        }
        return found;
    }

    std::string output;
    TExtractForm* extractForm = nullptr;
    int confirm = mrOk;
    bool dialogShown = false;
    bool timedOut = false;
};

TEST_F(EndToEndTest, FilesAddedByDialogAndDropAreExtractedIntoTheChosenFolder) {
    openFiles = {writeFile("in/first.bin", "leading bytes" + smallPng() + "trailing bytes")};
    choose(static_cast<TMenuItem*>(mainForm->FindComponent("Insert")));
    ASSERT_TRUE(drop({writeFile("in/second.bin", std::string(300, 'x') + smallPng())}));
    ASSERT_EQ(mainForm->targetList->Items()->Count(), 2);
    chooseOutputFolder();

    extract();
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(dialogShown);
    EXPECT_FALSE(extractForm->Visible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Type, mtWarning);
    EXPECT_EQ(messages[0].Text.rfind("総ファイルサイズ ", 0), 0u) << messages[0].Text;
    EXPECT_NE(messages[0].Text.find("\n実行します。よろしいですか。"), std::string::npos);

    EXPECT_EQ(extractedPngs().size(), 2u);
    EXPECT_EQ(extractForm->TotalProgress->Position(), 1000);
    EXPECT_EQ(extractForm->FileProgress->Max(), 1000);
    const std::string log = extractForm->Logger->Lines()->Text();
    EXPECT_NE(log.find("抽出完了."), std::string::npos) << log;
    EXPECT_EQ(extractForm->CancelBtn->Caption(), "ＯＫ");
}

TEST_F(EndToEndTest, RefusingTheConfirmationStartsNothingAndAsksAgainNextTime) {
    mainForm->targetList->AddItem(writeFile("in/only.bin", smallPng()));
    chooseOutputFolder();
    confirm = mrCancel;
    extract();
    extract();
    EXPECT_FALSE(dialogShown);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].Type, mtWarning);
    EXPECT_TRUE(extractedPngs().empty());
}

TEST_F(EndToEndTest, AMissingOutputFolderOrAnEmptyListIsReportedAlone) {
    mainForm->outputList->Select(nullptr);
    extract();
    chooseOutputFolder();
    extract();
    EXPECT_FALSE(dialogShown);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].Type, mtError);
    EXPECT_EQ(messages[0].Text, "\n出力先にディレクトリを指定して下さい。");
    EXPECT_EQ(messages[1].Type, mtError);
    EXPECT_EQ(messages[1].Text, "\n入力ファイルが指定されていません。");
}

}  // namespace
