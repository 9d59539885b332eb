#include "framework/Fileselectview.h"
#include "framework/Formview.h"
#include "framework/ITarnwickFactory.h"
#include "framework/Tarnwickfactory.h"
#include "framework/Tbaseform.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TOpenDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The main window's form and view own the dialog as the add-file controller's short-lived
// factory makes it; the dialog is answered by the seam.
class FileSelectViewTest : public ::testing::Test {
protected:
    FileSelectViewTest()
        : form(static_cast<TComponent*>(nullptr))
        , ownerView(&form)
        , factory(createTarnwickFactory())
        , view(factory->createFileSelectView(&ownerView))
        , previous(TDialogSeam::SetOpenHandler([this](const TOpenDialogRequest& request, std::vector<std::string>& files) {
              requests.push_back(request);
              files = choice;
              return !cancel;
          }))
    {
        folder = fs::temp_directory_path() / ("fileselect-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        std::ofstream(folder / "a.bin") << "a";
    }

    ~FileSelectViewTest() override
    {
        TDialogSeam::SetOpenHandler(std::move(previous));
        factory.reset();
        fs::remove_all(folder);
    }

    TOpenDialog* dialog() { return dynamic_cast<TOpenDialog*>(view->getComponent()); }

    TBaseForm form;
    FormView ownerView;
    std::unique_ptr<ITarnwickFactory> factory;
    IFileSelectView* view;
    TDialogSeam::OpenHandler previous;
    std::vector<TOpenDialogRequest> requests;
    std::vector<std::string> choice;
    bool cancel = false;
    fs::path folder;
};

TEST_F(FileSelectViewTest, TheDialogIsAComponentOfTheOwnersFormAndLeavesItWithTheView)
{
    ASSERT_NE(nullptr, dialog());
    EXPECT_EQ(&form, dialog()->Owner());
    EXPECT_EQ(1, form.ComponentCount());
    EXPECT_EQ(0u, view->getFileCount());
    EXPECT_EQ("", view->getFileName());
    EXPECT_EQ("", view->getPath());
    EXPECT_FALSE(view->isMultiSelect());
    view->setTitle("追加するファイル");
    EXPECT_EQ("追加するファイル", view->getTitle());
    factory.reset();
    EXPECT_EQ(0, form.ComponentCount());
}

TEST_F(FileSelectViewTest, ACancelledShowReportsNoFileEvenAfterAnEarlierChoice)
{
    choice = {"/tmp/x.bin"};
    view->show();
    ASSERT_EQ(1u, view->getFileCount());
    cancel = true;
    view->show();
    EXPECT_EQ(0u, view->getFileCount());
    EXPECT_EQ("", view->getFileName());
    EXPECT_EQ("", view->getFileName(0));
}

// The show's own options replace whatever was set before, through the component too.
TEST_F(FileSelectViewTest, EachShowSetsExactlyItsOwnOptionsAndReportsTheChosenFiles)
{
    const struct {
        bool multiSelect;
        std::vector<std::string> answer;
        TOpenOptions options;
        std::vector<std::string> reported;
    } cases[] = {
        {true, {"/d/1", "/d/2", "/d/3"}, {ofHideReadOnly, ofForceShowHidden, ofAllowMultiSelect}, {"/d/1", "/d/2", "/d/3"}},
        {false, {"/d/1", "/d/2"}, {ofHideReadOnly, ofForceShowHidden}, {"/d/1"}},
        {false, {"/d/only"}, {ofHideReadOnly, ofForceShowHidden}, {"/d/only"}},
    };
    for (const auto& c : cases) {
        requests.clear();
        dialog()->SetOptions(TOpenOptions{ofEnableSizing, ofReadOnly, ofAllowMultiSelect, ofNoChangeDir});
        view->setMultiSelect(c.multiSelect);
        EXPECT_EQ(c.multiSelect, view->isMultiSelect());
        choice = c.answer;
        view->show();
        ASSERT_EQ(1u, requests.size());
        EXPECT_TRUE(c.options == requests[0].Options) << c.reported.size();
        ASSERT_EQ(c.reported.size(), view->getFileCount());
        for (unsigned i = 0; i < c.reported.size(); ++i) {
            EXPECT_EQ(c.reported[i], view->getFileName(i));
        }
        EXPECT_EQ(c.reported[0], view->getFileName());
        EXPECT_EQ("", view->getFileName(view->getFileCount()));
        EXPECT_EQ("", view->getFileName(~0u));
    }
}

// Told not to, the dialog lists no hidden files; the choice holds for every later show.
TEST_F(FileSelectViewTest, HiddenFilesCanBeLeftOutOfTheList)
{
    choice = {"/d/1"};
    view->setHiddenShown(false);
    view->show();
    view->show();
    ASSERT_EQ(2u, requests.size());
    for (const auto& request : requests) {
        EXPECT_TRUE(request.Options == (TOpenOptions{ofHideReadOnly}));
    }
    view->setHiddenShown(true);
    view->show();
    ASSERT_EQ(3u, requests.size());
    EXPECT_TRUE(requests[2].Options == (TOpenOptions{ofHideReadOnly, ofForceShowHidden}));
}

// Where the dialog opens: a folder (one trailing "/" allowed), an existing file's folder with its
// name, and for a path that names nothing where it would have opened anyway.
TEST_F(FileSelectViewTest, SetPathPresetsTheFolderAndNameAndKeepsThePathAsGiven)
{
    const std::string dir = folder.string();
    const struct {
        std::string path;
        std::string initialDir;
        std::string fileName;
    } cases[] = {
        {dir + "/", dir, ""},
        {dir, dir, ""},
        {dir + "/a.bin", dir, "a.bin"},
        {dir + "/missing.bin", "/preset", "preset.bin"},
        {"", "/preset", "preset.bin"},
    };
    for (const auto& c : cases) {
        dialog()->SetInitialDir("/preset");
        dialog()->SetFileName(c.fileName.empty() ? "" : "preset.bin");
        view->setPath(c.path);
        EXPECT_EQ(c.path, view->getPath());
        requests.clear();
        cancel = true;
        view->show();
        ASSERT_EQ(1u, requests.size());
        EXPECT_EQ(c.initialDir, requests[0].InitialDir) << c.path;
        EXPECT_EQ(c.fileName, requests[0].FileName) << c.path;
    }
}

TEST_F(FileSelectViewTest, SetFilterReachesTheDialog)
{
    view->setFilter("全て|*");
    cancel = true;
    view->show();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("全て|*", requests[0].Filter);
}

}  // namespace
