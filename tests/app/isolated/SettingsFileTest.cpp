// What the user sees for each kind of config.xml: at start-up, in the file-option dialog, and
// when its OK saves.
#include "app/IFileOptionView.h"
#include "app/Tfileoptionform.h"
#include "app/Tmainform.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TMenuItem.h"
#include "tests/app/AppProgram.h"

#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string settings(const std::string& perFile, const std::string& perData, const std::string& from,
                     const std::string& to) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<glintfetch><file_options><create_folder_method>"
           "<per_file>" + perFile + "</per_file><per_data>" + perData + "</per_data></create_folder_method>"
           "<size_limit><limit_from>" + from + "</limit_from><limit_to>" + to + "</limit_to></size_limit>"
           "</file_options><plugin_options/></glintfetch>\n";
}

std::string nestedSettings(int depth) {
    std::string xml = "<?xml version=\"1.0\"?>\n<glintfetch>";
    for (int i = 0; i < depth; ++i) xml += "<n>";
    for (int i = 0; i < depth; ++i) xml += "</n>";
    return xml + "<plugin_options/></glintfetch>";
}

// What the dialog showed when it opened.
struct Shown {
    bool perFile = false;
    bool perData = false;
    std::string from;
    std::string to;
    bool operator==(const Shown& other) const {
        return perFile == other.perFile && perData == other.perData && from == other.from && to == other.to;
    }
};

std::ostream& operator<<(std::ostream& out, const Shown& shown) {
    return out << shown.perFile << " " << shown.perData << " [" << shown.from << "] [" << shown.to << "]";
}

class SettingsFileTest : public AppProgramFixture {
protected:
    void TearDown() override {
        removePath(scratch() + "/elsewhere");
        AppProgramFixture::TearDown();
    }

    TFileOptionForm* fileOptionForm() {
        return dynamic_cast<TFileOptionForm*>(factory->createFileOptionView(nullptr)->getComponent());
    }

    // Opens the file-option dialog from the menu, notes what it shows and presses OK; should the
    // OK be refused, the dialog is left by Cancel. Returns whether OK closed it.
    bool openAndPressOk(Shown& shown) {
        TFileOptionForm* form = fileOptionForm();
        int step = 0;
        bool closedByOk = false;
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (!form->Visible()) return;
            if (step == 0) {
                shown = {form->PerFile->Checked(), form->PerFormat->Checked(), form->ExtSizeFrom->Text(),
                         form->ExtSizeTo->Text()};
                step = 1;
                click(form->OKBtn);
                closedByOk = !form->Visible();
            } else if (step == 1) {
                step = 2;
                click(form->CancelBtn);
            }
        });
        driver.start();
        choose(static_cast<TMenuItem*>(mainForm->FindComponent("FileSpec")));
        driver.stop();
        return step == 1 || closedByOk;
    }
};

TEST_F(SettingsFileTest, WhatTheUserSeesForEachKindOfSettingsFile) {
    const std::string path = settingsPath();
    const std::string backup = path + ".bak";
    const Shown defaults{true, true, "0.0001", "500"};
    const std::string readOnly = "は読み取り専用のため保存できません。";
    const std::string tooLarge = "は大きすぎるため読み込みません（上限 1 MiB）。";
    const std::string tooDeep = "は要素の入れ子が深すぎるため読み込みません（上限 64 段）。";
    const std::string broken = "が壊れています。";
    const std::string fromAboveTo = "下限の 10 MB が上限の 1 MB より大きいため、何も抽出されません。";

    struct Case {
        const char* what;
        std::string contents;
        // Any further preparation of the file, after it was written.
        std::function<void()> prepare;
        // The reason named at start-up; empty: start-up says nothing and keeps no backup.
        std::string startupReason;
        Shown shown;
        // What OK says; empty: it saves and closes.
        std::string okMessage;
        // What must hold of the files afterwards.
        std::function<void()> check;
    };
    const std::vector<Case> cases = {
        {"empty", "", {}, broken, defaults, "", {}},
        {"garbage", "\x01\x02 not settings at all", {}, broken, defaults, "", {}},
        {"truncated", settings("false", "false", "1", "7").substr(0, 120), {}, broken, defaults, "", {}},
        {"wrong root", "<settings><limit_to>7</limit_to></settings>", {}, "", {true, true, "0.0001", "7"}, "",
         [&] { EXPECT_NE(readText(path).find("<settings>"), std::string::npos); }},
        {"no per_file", "<glintfetch><per_data>false</per_data><limit_from>1</limit_from><limit_to>7</limit_to>"
                        "<plugin_options/></glintfetch>",
         {}, "", {true, false, "1", "7"}, "", {}},
        {"no per_data", "<glintfetch><per_file>false</per_file><limit_from>1</limit_from><limit_to>7</limit_to>"
                        "<plugin_options/></glintfetch>",
         {}, "", {false, true, "1", "7"}, "", {}},
        {"no limit_from", "<glintfetch><per_file>false</per_file><per_data>false</per_data><limit_to>7</limit_to>"
                          "<plugin_options/></glintfetch>",
         {}, "", {false, false, "0.0001", "7"}, "", {}},
        {"no limit_to", "<glintfetch><per_file>false</per_file><per_data>false</per_data><limit_from>1"
                        "</limit_from><plugin_options/></glintfetch>",
         {}, "", {false, false, "1", "500"}, "", {}},
        {"no size_limit", "<glintfetch><per_file>false</per_file><per_data>false</per_data><plugin_options/>"
                          "</glintfetch>",
         {}, "", {false, false, "0.0001", "500"}, "", {}},
        {"no plugin_options", "<glintfetch><per_file>false</per_file><per_data>false</per_data><limit_from>1"
                              "</limit_from><limit_to>7</limit_to></glintfetch>",
         {}, "", {false, false, "1", "7"}, "",
         [&] { EXPECT_NE(readText(path).find("<plugin_options/>"), std::string::npos); }},
        {"empty limits", settings("false", "true", "", ""), {}, "", {false, true, "0.0001", "500"}, "", {}},
        {"huge", settings("true", "true", "1", "7") + std::string(2 * 1024 * 1024, ' '), {}, tooLarge, defaults,
         "", {}},
        {"deep", nestedSettings(100), {}, tooDeep, defaults, "", {}},
        {"INF", settings("true", "true", "INF", "1e999"), {}, "", {true, true, "", ""}, "",
         [&] { EXPECT_NE(readText(path).find("<limit_to>-1</limit_to>"), std::string::npos); }},
        {"from above to", settings("true", "true", "10", "1"), {}, "", {true, true, "10", "1"}, fromAboveTo,
         [&] { EXPECT_EQ(readText(path), settings("true", "true", "10", "1")); }},
        {"symbolic link", settings("false", "false", "1", "7"),
         [&] {
             fs::create_directories(scratch() + "/elsewhere");
             fs::rename(path, scratch() + "/elsewhere/real.xml");
             fs::create_symlink(scratch() + "/elsewhere/real.xml", path);
         },
         "", {false, false, "1", "7"}, "",
         [&] {
             EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path)));
             EXPECT_EQ(fs::read_symlink(path), fs::path(scratch() + "/elsewhere/real.xml"));
             EXPECT_NE(readText(scratch() + "/elsewhere/real.xml").find("<limit_to>7</limit_to>"),
                       std::string::npos);
             EXPECT_NE(readText(scratch() + "/elsewhere/real.xml"), settings("false", "false", "1", "7"));
         }},
        {"read-only", settings("false", "false", "1", "7"),
         [&] { fs::permissions(path, fs::perms::owner_read | fs::perms::group_read); }, "",
         {false, false, "1", "7"}, path + readOnly,
         [&] { EXPECT_EQ(readText(path), settings("false", "false", "1", "7")); }},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        removePath(path);
        removePath(backup);
        messages.clear();
        std::ofstream(path, std::ios::binary) << c.contents;
        if (c.prepare) c.prepare();

        start();
        if (c.startupReason.empty()) {
            EXPECT_TRUE(messages.empty());
            EXPECT_FALSE(exists(backup));
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].Type, mtWarning);
            EXPECT_EQ(messages[0].Text.rfind(path + "を読み込めなかったため、" + backup + "として残し、", 0), 0u)
                << messages[0].Text;
            EXPECT_NE(messages[0].Text.find(c.startupReason), std::string::npos) << messages[0].Text;
            EXPECT_EQ(readText(backup), c.contents);
        }
        messages.clear();

        Shown shown;
        const bool closed = openAndPressOk(shown);
        EXPECT_EQ(shown, c.shown);
        if (c.okMessage.empty()) {
            EXPECT_TRUE(closed);
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].Type, mtError);
            EXPECT_EQ(messages[0].Text.rfind(c.okMessage, 0), 0u) << messages[0].Text;
        }
        if (c.check) c.check();
        stop();
        std::error_code ignored;
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ignored);
    }
}

}  // namespace
