#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "app/Tmainform.h"
#include "controls/FolderListView.h"
#include "framework/IController.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/shell/ShellPlaces.h"
#include "tests/app/MainWindowFixture.h"

#include <memory>
#include <string>
#include <vector>

namespace {

class MainControllersTest : public MainWindowFixture {};

TEST_F(MainControllersTest, AddingAsksForSeveralFilesAndListsThemSorted) {
    IController* add = factory->createAddExtractFileController(view);
    view->setAddExtractFileController(add);
    const std::string zulu = writeFile("zulu.dat", "z");
    const std::string echo = writeFile("echo.dat", "e");
    openFiles = {zulu, echo};
    choose(item("Insert"));
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_TRUE(opens[0].Options.Contains(ofAllowMultiSelect));
    EXPECT_FALSE(opens[0].Options.Contains(ofForceShowHidden));
    EXPECT_EQ(opens[0].Filter, "");
    // At first in the home folder, then where the last file added came from.
    EXPECT_EQ(opens[0].InitialDir, ShellPlaces::homePath());
    EXPECT_EQ(opens[0].FileName, "");
    EXPECT_EQ(captions(), (std::vector<std::string>{"echo.dat", "zulu.dat"}));

    // The pop-up twin, an already listed file, and a cancelled dialog.
    openFiles = {echo};
    choose(item("PopInsert"));
    EXPECT_EQ(captions().size(), 2u);
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[1].InitialDir, scratch());
    openCancelled = true;
    EXPECT_EQ(add->execute(), "Success");
    EXPECT_EQ(captions().size(), 2u);
    EXPECT_EQ(opens.size(), 3u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainControllersTest, AChoiceWhileTheDialogIsOpenIsIgnored) {
    IController* add = factory->createAddExtractFileController(view);
    view->setAddExtractFileController(add);
    openFiles = {writeFile("one.dat", "1")};
    duringOpen = [&] {
        if (opens.size() == 1) choose(item("PopInsert"));
    };
    choose(item("Insert"));
    EXPECT_EQ(opens.size(), 1u);
    EXPECT_EQ(captions().size(), 1u);
    // The flag is down again: the next choice opens the dialog.
    choose(item("Insert"));
    EXPECT_EQ(opens.size(), 2u);
}

// The machine's list of block devices and its device folder, made in the scratch folder.
class DeviceFolders {
public:
    DeviceFolders(const std::string& list, const std::string& devices) { ShellPlaces::setDeviceFolders(list, devices); }
    ~DeviceFolders() { ShellPlaces::setDeviceFolders("", ""); }
};

TEST_F(MainControllersTest, AddingADeviceOffersTheBlockDevicesAndTellsOfOneThatCannotBeRead) {
    view->setAddDeviceController(factory->createAddDeviceController(view));
    for (const char* name : {"sdb", "mmcblk0p1", "loop3"}) writeFile(std::string("block/") + name + "/dev", "8:16");
    const std::string sdb = writeFile("dev/sdb", "a disk");
    writeFile("dev/loop3", "an image");
    DeviceFolders folders(scratch() + "/block", scratch() + "/dev");
    // The SD card's partition is listed by the kernel but its device cannot be opened.
    const std::string card = scratch() + "/dev/mmcblk0p1";
    openFiles = {sdb, card};
    choose(item("AddDevice"));
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].InitialDir, scratch() + "/dev");
    EXPECT_EQ(opens[0].Filter, "デバイス|mmcblk0p1;sdb");
    EXPECT_TRUE(opens[0].Options.Contains(ofShowDevices));
    EXPECT_TRUE(opens[0].Options.Contains(ofAllowMultiSelect));
    EXPECT_EQ(captions(), std::vector<std::string>{"sdb"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Type, mtError);
    EXPECT_NE(messages[0].Text.find("権限"), std::string::npos) << messages[0].Text;
    EXPECT_NE(messages[0].Text.find(card), std::string::npos) << messages[0].Text;
}

TEST_F(MainControllersTest, WithoutBlockDevicesNoDialogOpens) {
    view->setAddDeviceController(factory->createAddDeviceController(view));
    writeFile("block/loop0/dev", "7:0");
    DeviceFolders folders(scratch() + "/block", scratch() + "/dev");
    choose(item("AddDevice"));
    EXPECT_TRUE(opens.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Type, mtInformation);
    EXPECT_TRUE(captions().empty());
}

TEST_F(MainControllersTest, RemovingTakesOnlyTheSelectedRows) {
    view->setRemoveExtractFileController(factory->createRemoveExtractFileController(view));
    for (const char* name : {"a.dat", "b.dat", "c.dat"}) view->addExtractFile(writeFile(name, "x"));
    choose(item("Delete"));
    EXPECT_EQ(captions().size(), 3u);
    form->targetList->Items()->Item(1)->SetSelected(true);
    choose(item("PopDelete"));
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dat", "c.dat"}));
    form->targetList->Items()->Item(0)->SetSelected(true);
    form->targetList->Items()->Item(1)->SetSelected(true);
    choose(item("Delete"));
    EXPECT_TRUE(captions().empty());
}

TEST_F(MainControllersTest, TheVersionBoxShowsTheVersionLineFirstAndWaitsForOk) {
    view->setVersionController(factory->createOpenVersionController());
    choose(item("Version"));
    ASSERT_EQ(messages.size(), 1u);
    const TMessageDlgRequest& box = messages[0];
    EXPECT_EQ(box.Type, mtInformation);
    EXPECT_EQ(box.Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(box.HelpContext, 0);
    const std::string first = "Quellmark Glintfetch Version 1.00\n";
    EXPECT_EQ(box.Text.substr(0, first.size()), first);
    // Three lines, the last without a line break.
    const std::string rest = box.Text.substr(first.size());
    const std::size_t second = rest.find('\n');
    ASSERT_NE(second, std::string::npos);
    EXPECT_GT(second, 0u);
    EXPECT_EQ(rest.find('\n', second + 1), std::string::npos);
    EXPECT_NE(rest.back(), '\n');
}

}  // namespace
