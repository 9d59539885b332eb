#include "app/Glintfetchmain.h"
#include "app/Tmainform.h"
#include "controls/FolderTreeView.h"
#include "controls/Shellitem.h"
#include "engine/IConfigModel.h"
#include "framework/Exception.h"
#include "framework/IController.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TTreeNode.h"
#include "tests/app/AppProgram.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

const char* const brokenSettings = "<glintfetch><file_options><create_folder_method><per_file>fa";

class StartupTest : public AppProgramFixture {
protected:
    // Runs the entry function; once the main window is up, notes what it shows, does what the
    // user does (if anything) and closes it.
    int runEntry(std::function<void(TForm*)> act = {}) {
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, [this, act] {
            TForm* form = Application->MainForm();
            if (form == nullptr || !Application->Running() || !form->Visible()) return;
            if (shown) {
                form->Close();
                return;
            }
            shown = true;
            openedWidth = form->ClientWidth();
            openedHeight = form->ClientHeight();
            openedMaximized = form->WindowState() == wsMaximized;
            if (act) {
                act(form);
                QCoreApplication::processEvents();
            }
            shownWidth = form->ClientWidth();
            shownHeight = form->ClientHeight();
            auto* main = dynamic_cast<TMainForm*>(form);
            if (main != nullptr && main->outputList->Selected() != nullptr) {
                auto* item = static_cast<ShellItem*>(main->outputList->Selected()->Data());
                selectedFolder = item != nullptr ? item->getPath() : "";
            }
            form->Close();
        });
        closer.start();
        return glintfetchMain();
    }

    bool shown = false;
    int openedWidth = 0;
    int openedHeight = 0;
    bool openedMaximized = false;
    int shownWidth = 0;
    int shownHeight = 0;
    std::string selectedFolder;
};

TEST_F(StartupTest, MissingSettingsAreReplacedByTheDefaultsWithoutABackup) {
    start();
    EXPECT_TRUE(messages.empty());
    const std::string saved = readText(settingsPath());
    EXPECT_NE(saved.find("<per_file>true</per_file>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<limit_to>500</limit_to>"), std::string::npos) << saved;
    EXPECT_FALSE(exists(settingsPath() + ".bak"));
    // Start-up does not show the main window; the message loop does.
    ASSERT_NE(mainForm, nullptr);
    EXPECT_FALSE(mainForm->Visible());
}

TEST_F(StartupTest, BrokenSettingsAreKeptAsABackupBesideTheDefaults) {
    writeFile("broken", brokenSettings);
    fs::copy_file(scratch() + "/broken", settingsPath());
    // An older backup gives way to the newer one.
    fs::copy_file(scratch() + "/broken", settingsPath() + ".bak");
    std::ofstream(settingsPath() + ".bak") << "older";
    start();
    EXPECT_EQ(readText(settingsPath() + ".bak"), brokenSettings);
    EXPECT_NE(readText(settingsPath()).find("<per_data>true</per_data>"), std::string::npos);
    // The user is told, with both files.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Type, mtWarning);
    EXPECT_NE(messages[0].Text.find(settingsPath() + "を"), std::string::npos) << messages[0].Text;
    EXPECT_NE(messages[0].Text.find(settingsPath() + ".bak"), std::string::npos) << messages[0].Text;
}

TEST_F(StartupTest, ReadOnlySettingsThatLoadAreNeitherRewrittenNorBackedUp) {
    const std::string mine =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><glintfetch><file_options><create_folder_method>"
        "<per_file>false</per_file><per_data>true</per_data></create_folder_method><size_limit>"
        "<limit_from>-1</limit_from><limit_to>7</limit_to></size_limit></file_options>"
        "<plugin_options/></glintfetch>";
    std::ofstream(settingsPath()) << mine;
    fs::permissions(settingsPath(), fs::perms::owner_read | fs::perms::group_read);
    start();
    EXPECT_EQ(readText(settingsPath()), mine);
    EXPECT_FALSE(exists(settingsPath() + ".bak"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartupTest, SettingsThatCannotBeMovedAsideAreNotOverwritten) {
    std::ofstream(settingsPath()) << brokenSettings;
    // A folder in the backup's place: the rename fails, whoever runs the test.
    fs::create_directories(settingsPath() + ".bak/taken");
    try {
        start();
        ADD_FAILURE() << "start-up went on";
    } catch (const IOException& exception) {
        EXPECT_NE(exception.getMessage().find("config.xml.bak"), std::string::npos);
    }
    EXPECT_EQ(readText(settingsPath()), brokenSettings);
}

// The folder that the last session's run wrote to is chosen again at the next start.
TEST_F(StartupTest, TheOutputFolderOfTheLastSessionIsChosenAgain) {
    const std::string kept = scratch() + "/kept output";
    fs::create_directories(kept);
    std::ofstream(settingsPath()) << "<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method>"
                                     "<per_file>true</per_file><per_data>true</per_data></create_folder_method>"
                                     "<size_limit><limit_from>0.0001</limit_from><limit_to>500</limit_to></size_limit>"
                                     "</file_options><plugin_options/><window_options><output_folder>"
                                  << kept << "</output_folder></window_options></glintfetch>";
    EXPECT_EQ(runEntry(), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(selectedFolder, kept);
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartupTest, TheMainWindowOpensAsLargeAsTheLastSessionLeftIt) {
    // The first session: the user makes the window larger and then closes it.
    EXPECT_EQ(runEntry([](TForm* form) { form->Widget()->resize(900, 600); }), 0);
    ASSERT_TRUE(shown);
    const std::string saved = readText(settingsPath());
    EXPECT_NE(saved.find("<main_window>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<maximized>false</maximized>"), std::string::npos) << saved;
    const int firstWidth = shownWidth;
    const int firstHeight = shownHeight;
    EXPECT_NE(firstWidth, 665);

    // The second opens at that size, and is left maximised.
    shown = false;
    EXPECT_EQ(runEntry([](TForm* form) { form->SetWindowState(wsMaximized); }), 0);
    ASSERT_TRUE(shown);
    EXPECT_EQ(openedWidth, firstWidth);
    EXPECT_EQ(openedHeight, firstHeight);
    EXPECT_NE(readText(settingsPath()).find("<maximized>true</maximized>"), std::string::npos);

    // The third opens maximised; its size to return to is still the first session's.
    shown = false;
    EXPECT_EQ(runEntry(), 0);
    EXPECT_TRUE(openedMaximized);
    const std::string third = readText(settingsPath());
    EXPECT_NE(third.find("<width>" + std::to_string(firstWidth) + "</width>"), std::string::npos) << third;
    EXPECT_TRUE(messages.empty());
}

TEST_F(StartupTest, ANormalRunShowsTheMainWindowWithTheHomeFolderChosen) {
    EXPECT_EQ(runEntry(), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(selectedFolder, homeDir());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(exists(settingsPath()));
    // Everything is gone again, the main form with its factory.
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(StartupTest, AFailedSaveOfTheDefaultsIsShownWithItsMessageAndEndsTheRun) {
    bool factoryGone = false;
    answer = [&](const TMessageDlgRequest&) {
        factoryGone = Application->MainForm() == nullptr;
        return int(mrOk);
    };
    // No file may grow past 0 bytes: the settings cannot be written, whoever runs the test.
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = previous;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
    const int result = runEntry();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, 0);
    EXPECT_FALSE(shown);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Type, mtError);
    EXPECT_EQ(messages[0].Caption, Application->Title());
    EXPECT_EQ(messages[0].Buttons, TMsgDlgButtons{mbOK});
    EXPECT_NE(messages[0].Text.find("XMLを保存中にエラーが発生しました。"), std::string::npos)
        << messages[0].Text;
    EXPECT_TRUE(factoryGone);
    EXPECT_FALSE(exists(settingsPath()));
}

// With no folder kept, or a kept one that is gone, the output goes to the user's home folder,
// never beside the program.
TEST_F(StartupTest, WithoutAKeptFolderThatStillExistsTheHomeFolderIsChosen) {
    const char* const header =
        "<?xml version=\"1.0\"?><glintfetch><file_options><create_folder_method>"
        "<per_file>true</per_file><per_data>true</per_data></create_folder_method>"
        "<size_limit><limit_from>0.0001</limit_from><limit_to>500</limit_to></size_limit>"
        "</file_options><plugin_options/>";
    const std::string cases[] = {
        std::string(header) + "</glintfetch>",
        std::string(header) + "<window_options><output_folder>" + scratch() +
            "/removed since</output_folder></window_options></glintfetch>",
    };
    for (const std::string& settings : cases) {
        SCOPED_TRACE(settings);
        std::ofstream(settingsPath()) << settings;
        shown = false;
        selectedFolder.clear();
        EXPECT_EQ(runEntry(), 0);
        EXPECT_TRUE(shown);
        EXPECT_EQ(selectedFolder, homeDir());
        EXPECT_NE(selectedFolder, programDir());
    }
}

}  // namespace
