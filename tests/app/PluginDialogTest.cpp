#include "app/Closeviewcontroller.h"
#include "app/IGlintfetchFactory.h"
#include "app/Openpluginoptioncontroller.h"
#include "app/Openpluginpropertycontroller.h"
#include "app/Pluginoptionokcontroller.h"
#include "app/Pluginoptionview.h"
#include "app/Pluginrefreshcontroller.h"
#include "app/Pluginselectcontroller.h"
#include "app/Pluginswitchenabledcontroller.h"
#include "app/Tpluginoptionform.h"
#include "engine/ExtractPlugin.h"
#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/Valueobject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TLabel.h"
#include "platform/classlib/TListColumn.h"
#include "platform/classlib/TListColumns.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TStrings.h"
#include "tests/app/DialogFixture.h"

#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The plug-in settings dialog as the builder wires it, over the dialog test plug-ins: alpha and
// gamma have a property dialog, beta has none.
class PluginDialogTest : public DialogTest {
protected:
    PluginDialogTest()
    {
        TComponent* noOwner = nullptr;
        form = new TPluginOptionForm(noOwner);
        view.reset(new PluginOptionView(form));
        pluginModel->addObserver(view.get());
        open.reset(new OpenPluginOptionController(view.get(), pluginModel, configModel));
        ok.reset(new PluginOptionOKController(view.get(), configModel));
        cancel.reset(new CloseViewController(view.get()));
        switcher.reset(new PluginSwitchEnabledController(pluginModel));
        refresh.reset(new PluginRefreshController(pluginModel, configModel));
        selector.reset(new PluginSelectController(view.get(), pluginModel));
        property.reset(new OpenPluginPropertyController(pluginModel, view.get()));
        view->setOKController(ok.get());
        view->setCancelController(cancel.get());
        view->setSwitchEnabledController(switcher.get());
        view->setRefreshController(refresh.get());
        view->setPropertyController(property.get());
        view->setSelectController(selector.get());
    }

    ~PluginDialogTest() override
    {
        view.reset();
        delete form;
    }

    void install(const std::vector<std::string>& ids)
    {
        for (const std::string& id : ids) {
            environment.addPlugin(id);
        }
    }

    // Opens the dialog as the main window's menu item does and runs the steps in it; the last
    // step should close it.
    bool openWith(ModalScript& script)
    {
        return script.run([this] { open->onEvent(nullptr); }, [this] { form->Close(); });
    }

    bool visible() const { return form->Visible(); }

    TListView* list() const { return form->PluginsList; }
    TListItem* row(int index) const { return list()->Items()->Item(index); }
    static std::string idOf(TListItem* item) { return item->SubItems()->Get(2); }
    IExtractPlugin* pluginOf(TListItem* item) const { return pluginModel->getPlugin(idOf(item)); }
    QTreeWidget* tree() const { return static_cast<QTreeWidget*>(list()->Widget()); }

    QRect cellOf(int index) const
    {
        QRect rect = tree()->visualItemRect(tree()->topLevelItem(index));
        rect.setWidth(tree()->columnWidth(0));
        return rect;
    }

    void clickRow(int index) const
    {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, cellOf(index).center());
    }

    void doubleClickRow(int index) const
    {
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, {}, cellOf(index).center());
    }

    void clickCheckBox(int index) const
    {
        QStyleOptionViewItem option;
        option.initFrom(tree());
        option.rect = cellOf(index);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = tree()->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree());
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, box.center());
    }

    static void click(TControl* control) { QTest::mouseClick(control->Widget(), Qt::LeftButton); }

    std::string pluginProperty(const std::string& id, const std::string& key) const
    {
        IExtractConfig* config = configModel;
        std::vector<char> buffer(static_cast<std::size_t>(config->getPropertyLength(key.c_str(), id.c_str())) + 1);
        config->getProperty(key.c_str(), buffer.data(), id.c_str());
        return buffer.data();
    }

    // The selected row, its check box, the switch button and its plug-in all tell one story.
    void expectInStep(const char* when) const
    {
        TListItem* selected = list()->Selected();
        ASSERT_NE(selected, nullptr) << when;
        IExtractPlugin* plugin = pluginOf(selected);
        EXPECT_EQ(selected->Checked(), plugin->isEnabled()) << when;
        EXPECT_EQ(selected->Data() != nullptr, plugin->isEnabled()) << when;
        EXPECT_EQ(form->SwitchBtn->Caption(), plugin->isEnabled() ? "無効にする" : "有効にする") << when;
        EXPECT_TRUE(form->SwitchBtn->Enabled()) << when;
        EXPECT_EQ(form->PropertyBtn->Enabled(), plugin->hasProperty()) << when;
    }

    // Every row stands for the model's plug-in at its index.
    void expectRowsMirrorModel() const
    {
        ASSERT_EQ(static_cast<unsigned>(list()->Items()->Count()), pluginModel->getPluginCount());
        for (unsigned i = 0; i < pluginModel->getPluginCount(); ++i) {
            IExtractPlugin* plugin = pluginModel->getPlugin(i);
            TListItem* item = row(static_cast<int>(i));
            EXPECT_EQ(item->Caption(), plugin->getName());
            ASSERT_EQ(item->SubItems()->Count(), 3);
            EXPECT_EQ(item->SubItems()->Get(0), plugin->getVersion());
            EXPECT_EQ(item->SubItems()->Get(1), plugin->getVendor());
            EXPECT_EQ(idOf(item), plugin->getID());
            EXPECT_EQ(item->Checked(), plugin->isEnabled());
        }
    }

    TPluginOptionForm* form = nullptr;
    std::unique_ptr<PluginOptionView> view;
    std::unique_ptr<OpenPluginOptionController> open;
    std::unique_ptr<PluginOptionOKController> ok;
    std::unique_ptr<CloseViewController> cancel;
    std::unique_ptr<PluginSwitchEnabledController> switcher;
    std::unique_ptr<PluginRefreshController> refresh;
    std::unique_ptr<PluginSelectController> selector;
    std::unique_ptr<OpenPluginPropertyController> property;
};

TEST_F(PluginDialogTest, FormIsBuiltAsDesigned)
{
    EXPECT_EQ(form->Caption(), "プラグイン設定");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(form->Position(), poMainFormCenter);
    EXPECT_EQ(form->ClientWidth(), 497);
    EXPECT_EQ(form->ClientHeight(), 377);
    EXPECT_EQ(form->Font()->Name(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(form->Font()->Height(), -12);
    EXPECT_EQ(form->Font()->Charset(), SHIFTJIS_CHARSET);

    const struct {
        TWinControl* control;
        const char* caption;
        int tabOrder;
    } buttons[] = {
        {form->OKBtn, "OK", 0},
        {form->CancelBtn, "キャンセル", 1},
        {form->SwitchBtn, "有効にする", 3},
        {form->RefreshBtn, "最新の状態にする", 4},
        {form->PropertyBtn, "プロパティ", 5},
    };
    for (const auto& button : buttons) {
        EXPECT_EQ(button.control->Caption(), button.caption);
        EXPECT_EQ(button.control->TabOrder(), button.tabOrder) << button.caption;
        EXPECT_EQ(button.control->Owner(), form) << button.caption;
    }
    EXPECT_TRUE(form->OKBtn->Default());
    EXPECT_EQ(form->OKBtn->ModalResult(), mrOk);
    EXPECT_TRUE(form->CancelBtn->Cancel());
    EXPECT_EQ(form->CancelBtn->ModalResult(), mrCancel);
    EXPECT_EQ(form->Label1->Caption(), "インストール済みプラグイン");

    TListView* plugins = list();
    EXPECT_EQ(plugins->Owner(), form);
    EXPECT_EQ(plugins->ViewStyle(), vsReport);
    EXPECT_TRUE(plugins->Checkboxes());
    EXPECT_TRUE(plugins->RowSelect());
    EXPECT_TRUE(plugins->ReadOnly());
    EXPECT_FALSE(plugins->MultiSelect());
    EXPECT_EQ(plugins->TabOrder(), 2);
    const struct {
        const char* caption;
        int width;
    } columns[] = {{"プラグイン", 250}, {"バージョン", 70}, {"ベンダ", 141}};
    ASSERT_EQ(plugins->Columns()->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(plugins->Columns()->Items(i)->Caption(), columns[i].caption);
        EXPECT_EQ(plugins->Columns()->Items(i)->Width(), columns[i].width);
    }
}

TEST_F(PluginDialogTest, FirstOpeningListsThePluginsInLoadOrderWithRowZeroSelected)
{
    install({"alpha", "beta", "gamma"});
    ModalScript script;
    script
        .then([this] { return visible(); },
              [this] {
                  expectRowsMirrorModel();
                  EXPECT_EQ(list()->Items()->Count(), 3);
                  EXPECT_EQ(list()->ItemIndex(), 0);
                  EXPECT_EQ(list()->ItemFocused(), row(0));
                  expectInStep("first opening");
              })
        .then([this] { click(form->CancelBtn); });
    ASSERT_TRUE(openWith(script));
    EXPECT_FALSE(visible());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PluginDialogTest, FirstOpeningWithoutPluginsSelectsNothing)
{
    ModalScript script;
    script.then([this] { return visible(); },
                [this] {
                    EXPECT_EQ(list()->Items()->Count(), 0);
                    EXPECT_EQ(list()->SelCount(), 0);
                    click(form->CancelBtn);
                });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PluginDialogTest, SwitchButtonTogglesTheSelectedPlugin)
{
    install({"alpha", "beta", "gamma"});
    ModalScript script;
    script
        .then([this] { return visible(); }, [this] { clickRow(1); })
        .then([this] { return list()->ItemIndex() == 1; },
              [this] {
                  IExtractPlugin* plugin = pluginOf(row(1));
                  ASSERT_TRUE(plugin->isEnabled());
                  click(form->SwitchBtn);
                  EXPECT_FALSE(plugin->isEnabled());
                  EXPECT_FALSE(row(1)->Checked());
                  EXPECT_EQ(form->SwitchBtn->Caption(), "有効にする");
                  expectInStep("switched off");
                  click(form->SwitchBtn);
                  EXPECT_TRUE(plugin->isEnabled());
                  EXPECT_EQ(form->SwitchBtn->Caption(), "無効にする");
                  expectInStep("switched on");
                  EXPECT_TRUE(pluginOf(row(0))->isEnabled());
                  EXPECT_TRUE(pluginOf(row(2))->isEnabled());
              })
        .then([this] { click(form->CancelBtn); });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(messages.shown.empty());
}

// A click on a check box toggles that row's plug-in once, on the selected row and on another
// alike, and selects the row.
TEST_F(PluginDialogTest, CheckBoxClickTogglesItsPluginOnce)
{
    install({"alpha", "beta", "gamma"});
    ModalScript script;
    script
        .then([this] { return visible(); },
              [this] {
                  ASSERT_EQ(list()->ItemIndex(), 0);
                  clickCheckBox(0);
                  EXPECT_FALSE(pluginOf(row(0))->isEnabled());
                  EXPECT_FALSE(row(0)->Checked());
                  expectInStep("selected row unchecked");

                  clickCheckBox(2);
                  EXPECT_EQ(list()->ItemIndex(), 2);
                  EXPECT_FALSE(pluginOf(row(2))->isEnabled());
                  expectInStep("other row unchecked");
                  EXPECT_FALSE(pluginOf(row(0))->isEnabled());
                  EXPECT_FALSE(row(0)->Checked());
                  EXPECT_TRUE(pluginOf(row(1))->isEnabled());

                  clickCheckBox(2);
                  EXPECT_TRUE(pluginOf(row(2))->isEnabled());
                  expectInStep("checked again");
              })
        .then([this] { click(form->CancelBtn); });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(messages.shown.empty());
}

// Refresh reloads every plug-in (a switch does not survive in a plug-in that keeps it only in
// its object), rebuilds the list and selects row 0.
TEST_F(PluginDialogTest, RefreshReloadsRebuildsAndSelectsRowZero)
{
    install({"alpha", "beta", "gamma"});
    ModalScript script;
    script
        .then([this] { return visible(); }, [this] { clickRow(2); })
        .then([this] { return list()->ItemIndex() == 2; },
              [this] {
                  click(form->SwitchBtn);
                  ASSERT_FALSE(row(2)->Checked());
                  row(1)->SetCaption("stale");
                  click(form->RefreshBtn);
                  expectRowsMirrorModel();
                  EXPECT_TRUE(row(2)->Checked());
                  EXPECT_NE(row(1)->Caption(), "stale");
                  EXPECT_EQ(list()->ItemIndex(), 0);
                  expectInStep("after refresh");
              })
        .then([this] { click(form->CancelBtn); });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(messages.shown.empty());
}

// Reopening reloads the plug-ins but keeps the rows; the row that was selected is selected again
// and its check box follows the new load.
TEST_F(PluginDialogTest, ReopeningKeepsTheRowsAndReloadsThePlugins)
{
    install({"alpha", "beta", "gamma"});
    TListItem* firstRows[3] = {};
    ModalScript first;
    first.then([this] { return visible(); }, [this] { clickRow(1); })
        .then([this] { return list()->ItemIndex() == 1; },
              [&] {
                  click(form->SwitchBtn);
                  ASSERT_FALSE(row(1)->Checked());
                  for (int i = 0; i < 3; ++i) {
                      firstRows[i] = row(i);
                  }
                  click(form->CancelBtn);
              });
    ASSERT_TRUE(openWith(first));

    ModalScript second;
    second.then([this] { return visible(); },
                [&] {
                    for (int i = 0; i < 3; ++i) {
                        EXPECT_EQ(row(i), firstRows[i]);
                    }
                    EXPECT_EQ(list()->ItemIndex(), 1);
                    EXPECT_TRUE(pluginOf(row(1))->isEnabled());
                    EXPECT_TRUE(row(1)->Checked());
                    expectInStep("reopened");
                    click(form->CancelBtn);
                });
    ASSERT_TRUE(openWith(second));
    EXPECT_TRUE(messages.shown.empty());
}

// Plug-ins added or removed while the program runs: the rows are built anew for the new load
// instead of a selection of a row that does not exist, and with every plug-in gone the list is
// empty instead of asking the model for a plug-in it no longer has.
TEST_F(PluginDialogTest, RowsAreRebuiltWhenThePluginSetChanged)
{
    const auto reopen = [this](const char* when, const std::function<void()>& check) {
        ModalScript script;
        script.then([this] { return visible(); },
                    [&] {
                        SCOPED_TRACE(when);
                        check();
                        click(form->CancelBtn);
                    });
        EXPECT_TRUE(openWith(script)) << when;
    };

    install({"beta"});
    reopen("one plug-in", [this] { ASSERT_EQ(list()->Items()->Count(), 1); });

    install({"alpha", "gamma"});
    reopen("two added", [this] {
        expectRowsMirrorModel();
        ASSERT_NE(list()->Selected(), nullptr);
        EXPECT_EQ(idOf(list()->Selected()), "beta");
        expectInStep("two added");
    });

    const int gammaRow = pluginModel->getPluginIndex("gamma");
    ASSERT_GE(gammaRow, 0);
    reopen("gamma selected", [&] {
        clickRow(gammaRow);
        EXPECT_EQ(idOf(list()->Selected()), "gamma");
    });

    environment.removePlugin("gamma");
    environment.removePlugin("beta");
    reopen("selected one removed", [this] {
        expectRowsMirrorModel();
        EXPECT_EQ(list()->Items()->Count(), 1);
        EXPECT_EQ(list()->ItemIndex(), 0);
        expectInStep("selected one removed");
    });

    environment.removePlugin("alpha");
    reopen("all removed", [this] {
        EXPECT_EQ(list()->Items()->Count(), 0);
        EXPECT_EQ(list()->SelCount(), 0);
    });
    EXPECT_TRUE(messages.shown.empty());
}

// The property button and a double click both open the plug-in's own dialog over the settings
// dialog; a double click does so also for a plug-in without one, whose button is disabled.
TEST_F(PluginDialogTest, PropertyButtonAndDoubleClickOpenThePluginsDialog)
{
    install({"alpha", "beta"});
    const std::string alpha = "alpha";
    const std::string beta = "beta";
    std::string formWindow;
    ModalScript script;
    script
        .then([this] { return visible(); },
              [&] {
                  char address[32];
                  std::snprintf(address, sizeof address, "%p", form->Handle());
                  formWindow = address;
                  clickRow(pluginModel->getPluginIndex(alpha));
              })
        .then([&] { return idOf(list()->Selected()) == alpha; },
              [&] {
                  ASSERT_TRUE(form->PropertyBtn->Enabled());
                  click(form->PropertyBtn);
                  EXPECT_EQ(pluginProperty(alpha, "shown"), "1");
                  EXPECT_EQ(pluginProperty(alpha, "parent"), formWindow);
                  expectInStep("after the property dialog");
                  doubleClickRow(pluginModel->getPluginIndex(beta));
              })
        .then([&] { return pluginProperty(beta, "shown") == "1"; },
              [&] {
                  EXPECT_EQ(idOf(list()->Selected()), beta);
                  EXPECT_FALSE(form->PropertyBtn->Enabled());
                  EXPECT_EQ(pluginProperty(alpha, "shown"), "1");
                  click(form->CancelBtn);
              });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(messages.shown.empty());
}

// With no row selected the dialog names no plug-in: switching and the property action do
// nothing, and the two buttons are disabled.
TEST_F(PluginDialogTest, NoSelectedRowNamesNoPlugin)
{
    install({"alpha", "beta"});
    ModalScript script;
    script
        .then([this] { return visible(); },
              [this] {
                  list()->ClearSelection();
                  EXPECT_FALSE(form->SwitchBtn->Enabled());
                  EXPECT_FALSE(form->PropertyBtn->Enabled());
                  ValueObject values;
                  view->getValues(&values);
                  EXPECT_EQ(values.getValueCount("selectedPluginID"), 0u);

                  EXPECT_EQ(switcher->execute(view.get()), "Success");
                  EXPECT_EQ(property->execute(view.get()), "Success");
                  for (unsigned i = 0; i < pluginModel->getPluginCount(); ++i) {
                      EXPECT_TRUE(pluginModel->getPlugin(i)->isEnabled());
                      EXPECT_EQ(pluginProperty(pluginModel->getPlugin(i)->getID(), "shown"), "");
                  }
              })
        .then([this] { click(form->CancelBtn); });
    ASSERT_TRUE(openWith(script));
}

// OK saves what the plug-ins keep in the settings; a save that fails is shown with its message
// and the dialog closes all the same.
TEST_F(PluginDialogTest, OkSavesAndReportsAFailedSave)
{
    install({"alpha"});
    configModel->save();
    ModalScript script;
    script.then([this] { return visible(); },
                [this] {
                    click(form->PropertyBtn);
                    click(form->OKBtn);
                });
    ASSERT_TRUE(openWith(script));
    EXPECT_FALSE(visible());
    EXPECT_TRUE(messages.shown.empty());
    {
        std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
        IConfigModel* reread = other->createConfigModel();
        reread->load();
        EXPECT_EQ(static_cast<IExtractConfig*>(reread)->getPropertyLength("shown", "alpha"), 2);
    }

    std::filesystem::remove(environment.configPath());
    std::filesystem::create_directory(environment.configPath());
    std::string expectedMessage;
    try {
        configModel->save();
    } catch (const Exception& e) {
        expectedMessage = e.getMessage();
    }
    ASSERT_FALSE(expectedMessage.empty());
    ModalScript failing;
    failing.then([this] { return visible(); }, [this] { click(form->OKBtn); });
    ASSERT_TRUE(openWith(failing));
    EXPECT_FALSE(visible());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Type, mtError);
    EXPECT_EQ(messages.shown[0].Text, expectedMessage);
    std::filesystem::remove(environment.configPath());
}

// A plug-in file that cannot be used is named, with why, in a warning as the dialog opens and at
// Refresh; the dialog lists the others. One case at a time, so each message shows its own file.
TEST_F(PluginDialogTest, EveryUnusableFileIsNamedWithItsReasonAndTheOthersAreListed)
{
    const std::string folder = environment.pluginFolder() + "/";
    const struct {
        const char* file;
        std::string reason;
    } cases[] = {
        {"notes.so", "共有ライブラリとして読み込めません：ELF 形式のファイルではありません。"},
        {"nocreate.so", "関数 _createExtractPlugin が見つかりません。"},
        {"norelease.so", "関数 _releaseExtractPlugin が見つかりません。"},
        {"nullobject.so", "関数 _createExtractPlugin がプラグインを返しませんでした。"},
        {"nullid.so", "プラグインの ID が空です。"},
        {"twin.so", "ID「alpha」は先に読み込んだ " + folder + "alpha.so と重複しています。"},
    };
    install({"alpha"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = folder + c.file;
        if (std::string(c.file) == "notes.so") {
            std::ofstream(path) << "not a shared library";
        } else {
            environment.addPlugin(std::string(c.file).substr(0, std::strlen(c.file) - 3));
        }
        messages.shown.clear();
        ModalScript script;
        script
            .then([this] { return visible(); },
                  [&] {
                      ASSERT_EQ(messages.shown.size(), 1u);
                      EXPECT_EQ(messages.shown[0].Type, mtWarning);
                      EXPECT_EQ(messages.shown[0].Text,
                                "次のプラグインは使用できないため、読み込みませんでした。\n\n" + path + "\n　" + c.reason);
                      ASSERT_EQ(list()->Items()->Count(), 1);
                      EXPECT_EQ(idOf(row(0)), "alpha");
                      expectInStep("beside an unusable file");
                      click(form->RefreshBtn);
                      ASSERT_EQ(messages.shown.size(), 2u);
                      EXPECT_EQ(messages.shown[1].Text, messages.shown[0].Text);
                      EXPECT_EQ(list()->Items()->Count(), 1);
                  })
            .then([this] { click(form->CancelBtn); });
        ASSERT_TRUE(openWith(script));
        std::filesystem::remove(path);
    }
}

// Cancel leaves the plug-ins as they were saved, which is what every run reads: a switch made
// and cancelled is undone at the next opening, on the row that was switched and was then left
// unselected too. OK keeps it.
TEST_F(PluginDialogTest, CancelLeavesThePluginsAsSavedAndOkKeepsTheSwitch)
{
    install({"alpha", "delta"});
    configModel->save();
    const int deltaRow = 1;
    const auto switchOffAndLeave = [&](TButton* leave) {
        ModalScript script;
        script
            .then([this] { return visible(); },
                  [&] {
                      ASSERT_EQ(idOf(row(deltaRow)), "delta");
                      ASSERT_TRUE(row(deltaRow)->Checked());
                      clickCheckBox(deltaRow);
                      ASSERT_FALSE(pluginOf(row(deltaRow))->isEnabled());
                      clickRow(0);
                  })
            .then([this] { return list()->ItemIndex() == 0; }, [=] { click(leave); });
        return openWith(script);
    };
    const auto shownOnReopening = [&] {
        bool checked = false;
        bool enabled = false;
        ModalScript script;
        script.then([this] { return visible(); },
                    [&] {
                        checked = row(deltaRow)->Checked();
                        enabled = pluginOf(row(deltaRow))->isEnabled();
                        click(form->CancelBtn);
                    });
        EXPECT_TRUE(openWith(script));
        EXPECT_EQ(checked, enabled);
        return checked;
    };

    ASSERT_TRUE(switchOffAndLeave(form->CancelBtn));
    EXPECT_TRUE(shownOnReopening());
    EXPECT_NE(pluginProperty("delta", "enabled"), "false");

    ASSERT_TRUE(switchOffAndLeave(form->OKBtn));
    EXPECT_FALSE(shownOnReopening());
    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
    IConfigModel* reread = other->createConfigModel();
    reread->load();
    std::vector<char> buffer(16);
    static_cast<IExtractConfig*>(reread)->getProperty("enabled", buffer.data(), "delta");
    EXPECT_STREQ(buffer.data(), "false");
    EXPECT_TRUE(messages.shown.empty());
}

class NotAnEventController : public Controller {
protected:
    std::string doExecute(IValueObject*) override { return "Success"; }
};

TEST_F(PluginDialogTest, SettersNeedTheirControllerClassAndOtherSourcesAreIgnored)
{
    NotAnEventController plain;
    CloseViewController close(view.get());
    const void* switchWired = form->SwitchBtn->OnClick.Data();
    const void* selectWired = list()->OnSelectItem.Data();
    view->setSwitchEnabledController(&close);
    view->setSelectController(&close);
    view->setOKController(&plain);
    view->setRefreshController(nullptr);
    EXPECT_EQ(form->SwitchBtn->OnClick.Data(), switchWired);
    EXPECT_EQ(list()->OnChange.Data(), static_cast<const void*>(switcher.get()));
    EXPECT_EQ(list()->OnSelectItem.Data(), selectWired);
    EXPECT_EQ(form->OKBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(ok.get())));
    EXPECT_EQ(form->RefreshBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(refresh.get())));

    install({"alpha"});
    pluginModel->loadPlugins(configModel);
    ValueObject values;
    values.setValue("Operation", "REFRESH");
    view->update(configModel, &values);
    EXPECT_EQ(list()->Items()->Count(), 0);
}

}  // namespace
