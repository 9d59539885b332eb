#include "app/Closeviewcontroller.h"
#include "app/Fileoptionokcontroller.h"
#include "app/Fileoptionview.h"
#include "app/IGlintfetchFactory.h"
#include "app/Openfileoptioncontroller.h"
#include "app/Tfileoptionform.h"
#include "engine/IConfigModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/Valueobject.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TCheckBox.h"
#include "platform/classlib/TEdit.h"
#include "platform/classlib/TFont.h"
#include "platform/classlib/TGroupBox.h"
#include "platform/classlib/TLabel.h"
#include "tests/app/DialogFixture.h"

#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

// The file-option dialog as the builder wires it: the view observes the settings model, OK
// applies and saves, Cancel only closes.
class FileOptionDialogTest : public DialogTest {
protected:
    FileOptionDialogTest()
    {
        TComponent* noOwner = nullptr;
        form = new TFileOptionForm(noOwner);
        view.reset(new FileOptionView(form));
        configModel->addObserver(view.get());
        open.reset(new OpenFileOptionController(view.get(), configModel));
        ok.reset(new FileOptionOKController(view.get(), configModel));
        cancel.reset(new CloseViewController(view.get()));
        view->setOKController(ok.get());
        view->setCancelController(cancel.get());
    }

    ~FileOptionDialogTest() override
    {
        view.reset();
        delete form;
    }

    // Opens the dialog as the main window's menu item does, runs the steps in it and returns
    // once it has closed.
    bool openWith(ModalScript& script)
    {
        return script.run([this] { open->onEvent(nullptr); }, [this] { form->Close(); });
    }

    static void click(TControl* control) { QTest::mouseClick(control->Widget(), Qt::LeftButton); }

    static void retype(TEdit* edit, const std::string& text)
    {
        QLineEdit* line = static_cast<QLineEdit*>(edit->Widget());
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, QString::fromStdString(text));
    }

    void store(bool perFile, bool perData, const std::string& from, const std::string& to)
    {
        configModel->setCreateDirPerFile(perFile);
        configModel->setCreateDirPerData(perData);
        configModel->setLimitFromText(from);
        configModel->setLimitToText(to);
        configModel->save();
    }

    std::string configText() const
    {
        std::ifstream file(environment.configPath());
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    TFileOptionForm* form = nullptr;
    std::unique_ptr<FileOptionView> view;
    std::unique_ptr<OpenFileOptionController> open;
    std::unique_ptr<FileOptionOKController> ok;
    std::unique_ptr<CloseViewController> cancel;
};

TEST_F(FileOptionDialogTest, FormIsBuiltAsDesigned)
{
    EXPECT_EQ(form->Caption(), "ファイル設定");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(form->Position(), poMainFormCenter);
    EXPECT_EQ(form->ClientWidth(), 322);
    EXPECT_EQ(form->ClientHeight(), 264);
    EXPECT_EQ(form->Font()->Name(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(form->Font()->Height(), -12);
    EXPECT_EQ(form->Font()->Charset(), SHIFTJIS_CHARSET);

    const struct {
        TControl* control;
        const char* caption;
        TWinControl* parent;
    } controls[] = {
        {form->OKBtn, "OK", form},
        {form->CancelBtn, "キャンセル", form},
        {form->FolderMethods, "ディレクトリ作成", form},
        {form->PerFile, "ファイル毎", form->FolderMethods},
        {form->PerFormat, "データ種類毎", form->FolderMethods},
        {form->ExtFileSize, "抽出するファイルサイズ", form},
        {form->Label1, "ＭＢ　～", form->ExtFileSize},
        {form->Label2, "ＭＢ", form->ExtFileSize},
        {form->KeepDamaged, "破損ファイルも保存", form},
        {form->DiskOptions, "ディスクとカード", form},
        {form->ReadFileSystems, "ファイルシステムから元の名前で復元する", form->DiskOptions},
        {form->CarveWholeVolumes, "ボリューム全体を探索する（既存のファイルも）", form->DiskOptions},
        {form->VolumesLabel, "対象ボリューム（空欄はすべて）", form->DiskOptions},
    };
    for (const auto& expected : controls) {
        EXPECT_EQ(expected.control->Caption(), expected.caption);
        EXPECT_EQ(expected.control->Parent(), expected.parent) << expected.caption;
        EXPECT_EQ(expected.control->Owner(), form) << expected.caption;
    }
    EXPECT_TRUE(form->OKBtn->Default());
    EXPECT_EQ(form->OKBtn->ModalResult(), mrOk);
    EXPECT_TRUE(form->CancelBtn->Cancel());
    EXPECT_EQ(form->CancelBtn->ModalResult(), mrCancel);
    for (TEdit* edit : {form->ExtSizeFrom, form->ExtSizeTo}) {
        EXPECT_EQ(edit->Parent(), form->ExtFileSize);
        // Long enough for every size the settings write, and for a small one as typed.
        EXPECT_EQ(edit->MaxLength(), 24);
        EXPECT_EQ(edit->ImeMode(), imDisable);
        retype(edit, "1.23456789012345E-300");
        EXPECT_EQ(edit->Text(), "1.23456789012345E-300");
        retype(edit, std::string(30, '1'));
        EXPECT_EQ(edit->Text(), std::string(24, '1'));
    }
}

// Opening shows what config.xml holds; OK stores the edits there, with an emptied size as no
// bound ("-1" in the file).
TEST_F(FileOptionDialogTest, RoundTripThroughConfigXml)
{
    store(true, false, "", "5");

    ModalScript script;
    bool shownAsStored = false;
    script
        .then([this] { return form->Visible(); },
              [&] {
                  shownAsStored = form->PerFile->Checked() && !form->PerFormat->Checked()
                      && form->ExtSizeFrom->Text().empty() && form->ExtSizeTo->Text() == "5";
                  click(form->PerFile);
                  click(form->PerFormat);
                  retype(form->ExtSizeFrom, "2");
                  retype(form->ExtSizeTo, "");
              })
        .then([this] { click(form->OKBtn); });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(shownAsStored);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(messages.shown.empty());

    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
    IConfigModel* reread = other->createConfigModel();
    reread->load();
    EXPECT_FALSE(reread->isCreateDirPerFile());
    EXPECT_TRUE(reread->isCreateDirPerData());
    EXPECT_EQ(reread->getLimitFromText(), "2");
    EXPECT_EQ(reread->getLimitToText(), "");
    EXPECT_NE(configText().find("<limit_to>-1</limit_to>"), std::string::npos) << configText();
}

// The setting for finds over unreadable sectors: off as the defaults have it, on once checked and
// stored, shown as stored at the next opening.
TEST_F(FileOptionDialogTest, KeepingDamagedFindsIsStoredAndShown)
{
    store(true, true, "", "5");
    for (const bool wanted : {true, false}) {
        SCOPED_TRACE(wanted);
        ModalScript script;
        bool shownAsStored = false;
        script
            .then([this] { return form->Visible(); },
                  [&] {
                      shownAsStored = form->KeepDamaged->Checked() == !wanted;
                      click(form->KeepDamaged);
                  })
            .then([this] { click(form->OKBtn); });
        ASSERT_TRUE(openWith(script));
        EXPECT_TRUE(shownAsStored);
        std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
        IConfigModel* reread = other->createConfigModel();
        reread->load();
        EXPECT_EQ(reread->isKeepDamaged(), wanted);
        EXPECT_NE(configText().find(std::string("<keep_damaged>") + (wanted ? "true" : "false") + "</keep_damaged>"),
                  std::string::npos)
            << configText();
    }
}

// The disk options start as suits a card (names first, carving only where no live file lies, every
// volume), and a change goes to config.xml; a volume list that is none is refused.
TEST_F(FileOptionDialogTest, DiskOptionsRoundTripAndABadVolumeListIsRefused)
{
    store(true, true, "", "");
    ModalScript script;
    bool shownAsDefaults = false;
    bool stayedOpen = false;
    script
        .then([this] { return form->Visible(); },
              [&] {
                  shownAsDefaults = form->ReadFileSystems->Checked() && !form->CarveWholeVolumes->Checked()
                      && form->Volumes->Text().empty();
                  click(form->CarveWholeVolumes);
                  retype(form->Volumes, "1,,2");
                  click(form->OKBtn);
              })
        .then([&] {
            stayedOpen = form->Visible();
            click(form->ReadFileSystems);
            retype(form->Volumes, "2, 3");
            click(form->OKBtn);
        });
    ASSERT_TRUE(openWith(script));
    EXPECT_TRUE(shownAsDefaults);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].Text.find("「1,,2」"), std::string::npos) << messages.shown[0].Text;

    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
    IConfigModel* reread = other->createConfigModel();
    reread->load();
    EXPECT_FALSE(reread->isReadFileSystems());
    EXPECT_TRUE(reread->isCarveWholeVolumes());
    EXPECT_EQ(reread->getVolumeChoice(), "2, 3");
}

// Sizes that cannot be taken are refused with a message that names the field, and the dialog
// stays open with what was typed; nothing reaches the settings until the values are sound.
TEST_F(FileOptionDialogTest, SizesThatCannotBeTakenAreRefusedAndTheDialogStaysOpen)
{
    const struct {
        const char* from;
        const char* to;
        std::string message;
    } cases[] = {
        {"1", "abc", "上限の「abc」は数値として読めません。MB 単位の数値を入力してください（空欄は制限なし）。"},
        {"1,5", "", "下限の「1,5」は数値として読めません。MB 単位の数値を入力してください（空欄は制限なし）。"},
        {"  ", "5", "下限の「  」は数値として読めません。MB 単位の数値を入力してください（空欄は制限なし）。"},
        {"-2", "5", "下限の「-2」は負の値です。0 以上の数値を入力してください（空欄は制限なし）。"},
        {"1", "1e999", "上限の「1e999」は大きすぎます。"},
        {"0.0000001", "5",
         "下限の「0.0000001」MB は 1 バイトに満たないため指定できません。0.000001 以上の数値を入力してください。"},
        {"", "1E-7", "上限の「1E-7」MB は 1 バイトに満たないため指定できません。0.000001 以上の数値を入力してください。"},
        {"10", "1", "下限の 10 MB が上限の 1 MB より大きいため、何も抽出されません。下限を上限以下にしてください。"},
    };
    store(false, false, "1", "5");
    const std::string saved = configText();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " .. " + c.to);
        messages.shown.clear();
        bool stayedOpen = false;
        bool keptAsTyped = false;
        ModalScript script;
        script
            .then([this] { return form->Visible(); },
                  [&] {
                      click(form->PerFile);
                      retype(form->ExtSizeFrom, c.from);
                      retype(form->ExtSizeTo, c.to);
                      click(form->OKBtn);
                  })
            .then([&] {
                stayedOpen = form->Visible();
                keptAsTyped = form->PerFile->Checked() && form->ExtSizeFrom->Text() == c.from
                    && form->ExtSizeTo->Text() == c.to;
                click(form->CancelBtn);
            });
        ASSERT_TRUE(openWith(script));
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(keptAsTyped);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].Type, mtError);
        EXPECT_EQ(messages.shown[0].Text, c.message);
        EXPECT_FALSE(configModel->isCreateDirPerFile());
        EXPECT_EQ(configModel->getLimitToText(), "5");
        EXPECT_EQ(configText(), saved);
    }

    // Corrected, the same opening takes the values.
    messages.shown.clear();
    ModalScript script;
    script
        .then([this] { return form->Visible(); },
              [this] {
                  retype(form->ExtSizeFrom, "10");
                  retype(form->ExtSizeTo, "1");
                  click(form->OKBtn);
              })
        .then([this] {
            retype(form->ExtSizeFrom, "0.00001");
            retype(form->ExtSizeTo, "0");
            click(form->OKBtn);
        });
    ASSERT_TRUE(openWith(script));
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(messages.shown.size(), 1u);
    configModel->load();
    EXPECT_EQ(configModel->getLimitFromText(), "1E-5");
    EXPECT_EQ(configModel->getMinExtractSize(), 10);
    EXPECT_EQ(configModel->getLimitToText(), "0");
    EXPECT_EQ(configModel->getMaxExtractSize(), -1);
}

// A stored size longer than a few characters is shown whole, so OK without an edit keeps it.
TEST_F(FileOptionDialogTest, OkWithoutEditsKeepsEveryStoredSize)
{
    store(true, false, "0.000001", "2147.483647");
    ModalScript script;
    script.then([this] { return form->Visible(); }, [this] { click(form->OKBtn); });
    ASSERT_TRUE(openWith(script));
    configModel->load();
    EXPECT_EQ(configModel->getLimitFromText(), "1E-6");
    EXPECT_EQ(configModel->getLimitToText(), "2147.483647");
    EXPECT_EQ(configModel->getMaxExtractSize(), 2147483646);
    EXPECT_TRUE(messages.shown.empty());
}

// Cancel, Esc and the close box leave the model alone, and the next opening shows the stored
// settings again, not the abandoned edits.
TEST_F(FileOptionDialogTest, AbandonedEditsNeverSurvive)
{
    store(true, true, "3", "");
    const struct {
        const char* how;
        std::function<void(TFileOptionForm*)> leave;
    } ways[] = {
        {"Cancel", [](TFileOptionForm* f) { click(f->CancelBtn); }},
        {"Esc", [](TFileOptionForm* f) { QTest::keyClick(f->Widget()->window(), Qt::Key_Escape); }},
        {"close box", [](TFileOptionForm* f) { f->Widget()->window()->close(); }},
    };
    for (const auto& way : ways) {
        bool shownAsStored = false;
        ModalScript script;
        script.then([this] { return form->Visible(); },
                    [&] {
                        shownAsStored = form->PerFile->Checked() && form->PerFormat->Checked()
                            && form->ExtSizeFrom->Text() == "3" && form->ExtSizeTo->Text().empty();
                        click(form->PerFile);
                        retype(form->ExtSizeFrom, "9");
                        retype(form->ExtSizeTo, "10");
                        way.leave(form);
                    });
        ASSERT_TRUE(openWith(script)) << way.how;
        EXPECT_TRUE(shownAsStored) << way.how;
        EXPECT_TRUE(configModel->isCreateDirPerFile()) << way.how;
        EXPECT_EQ(configModel->getLimitFromText(), "3") << way.how;
        EXPECT_EQ(configModel->getLimitToText(), "") << way.how;
    }
}

// A config.xml that cannot be written is reported with the failure's own message; the dialog
// closes and the new values stay in memory.
TEST_F(FileOptionDialogTest, FailedSaveIsReportedWithItsMessage)
{
    store(false, false, "", "");
    std::filesystem::remove(environment.configPath());
    std::filesystem::create_directory(environment.configPath());

    std::string expectedMessage;
    try {
        configModel->save();
    } catch (const Exception& e) {
        expectedMessage = e.getMessage();
    }
    ASSERT_FALSE(expectedMessage.empty());

    ModalScript script;
    script.then([this] { return form->Visible(); },
                [this] {
                    click(form->PerFormat);
                    click(form->OKBtn);
                });
    ASSERT_TRUE(openWith(script));
    EXPECT_FALSE(form->Visible());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Type, mtError);
    EXPECT_EQ(messages.shown[0].Text, expectedMessage);
    EXPECT_TRUE(configModel->isCreateDirPerData());
    std::filesystem::remove(environment.configPath());
}

class NotAnEventController : public Controller {
protected:
    std::string doExecute(IValueObject*) override { return "Success"; }
};

TEST_F(FileOptionDialogTest, OnlyTheSettingsModelAndEventControllersAreHeard)
{
    store(true, true, "1", "2");
    configModel->notifyObservers();
    ASSERT_TRUE(form->PerFile->Checked());

    configModel->setCreateDirPerFile(false);
    ValueObject values;
    view->update(pluginModel, &values);
    EXPECT_TRUE(form->PerFile->Checked());

    NotAnEventController other;
    const void* wired = form->OKBtn->OnClick.Data();
    view->setOKController(&other);
    view->setCancelController(nullptr);
    EXPECT_EQ(form->OKBtn->OnClick.Data(), wired);
    EXPECT_EQ(form->CancelBtn->OnClick.Data(), static_cast<const void*>(static_cast<EventController*>(cancel.get())));

    ValueObject read;
    view->getValues(&read);
    EXPECT_EQ(read.getValue("isCreateDirPerFile"), "true");
    EXPECT_EQ(read.getValue("isCreateDirPerData"), "true");
    EXPECT_EQ(read.getValue("extractFileSizeFrom"), "1");
    EXPECT_EQ(read.getValue("extractFileSizeTo"), "2");
}

}  // namespace
