#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TForm.h"
#include "platform/classlib/core/Sysutils.h"

#include "tests/platform/classlib/ClasslibFixture.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using classlibtest::ClasslibTest;
using classlibtest::later;

// A form class as the program writes them: its controls made in the constructor, its creation
// handler stored there and raised by CreateForm.
class ProbeForm : public TForm {
public:
    explicit ProbeForm(TComponent* owner) : TForm(owner), button(new TButton(this))
    {
        button->SetParent(this);
        button->SetBounds(10, 10, 80, 24);
        OnCreate = TNotifyEvent(this, &ProbeForm::FormCreate);
        if (failCreation) {
            OnCreate = TNotifyEvent::FromFunction(this, [](TObject*) { throw Sysutils::Exception("作成失敗"); });
        }
    }

    void FormCreate(TObject*) { ++created; }

    TButton* button;
    int created = 0;
    static bool failCreation;
};

bool ProbeForm::failCreation = false;

struct ForeignException {
    std::string message;
};

class ApplicationTest : public ClasslibTest {
protected:
    ~ApplicationTest() override
    {
        for (TForm* form : forms) {
            delete form;
        }
    }

    ProbeForm* create()
    {
        ProbeForm* form = nullptr;
        Application->CreateForm(form);
        forms.push_back(form);
        return form;
    }

    std::vector<TForm*> forms;
};

TEST_F(ApplicationTest, TheFirstFormCreatedIsTheMainFormAndEachFormsCreationHandlerRuns)
{
    ASSERT_EQ(nullptr, Application->MainForm());
    ProbeForm* first = create();
    ProbeForm* second = create();
    EXPECT_EQ(first, Application->MainForm());
    EXPECT_EQ(Application, first->Owner());
    EXPECT_EQ(1, first->created);
    EXPECT_EQ(1, second->created);
    EXPECT_FALSE(first->Visible());

    // The main form that goes away leaves the application without one.
    delete first;
    forms.erase(forms.begin());
    EXPECT_EQ(nullptr, Application->MainForm());
}

TEST_F(ApplicationTest, AFormWhoseCreationFailsIsFreedAndTheReferenceCleared)
{
    ProbeForm::failCreation = true;
    ProbeForm* form = reinterpret_cast<ProbeForm*>(1);
    EXPECT_THROW(Application->CreateForm(form), Sysutils::Exception);
    ProbeForm::failCreation = false;
    EXPECT_EQ(nullptr, form);
    EXPECT_EQ(nullptr, Application->MainForm());
    EXPECT_EQ(0, Application->ComponentCount());
}

// Exceptions of every family that leave an event handler are shown, and the loop goes on; Run
// ends when the main form is closed.
TEST_F(ApplicationTest, RunShowsEachHandlersExceptionGoesOnAndEndsWhenTheMainFormCloses)
{
    ProbeForm* form = create();
    Application->SetTitle("試験");
    std::vector<std::function<void()>> failures = {
        [] { throw Sysutils::Exception("失敗しました"); },
        [] { throw Sysutils::Exception("Failed."); },
        // Of a family the class library does not know, as the framework's is.
        [] { throw ForeignException{"枠の例外"}; },
        [] { throw std::runtime_error("standard"); },
    };
    std::size_t clicks = 0;
    form->button->OnClick = TNotifyEvent::FromFunction(nullptr, [&](TObject*) { failures.at(clicks++)(); });
    bool visibleDuringRun = false;
    for (std::size_t i = 0; i < failures.size(); ++i) {
        later([&] {
            visibleDuringRun = form->Widget()->isVisible();
            QTest::mouseClick(form->button->Widget(), Qt::LeftButton);
        });
    }
    later([&] { form->Widget()->close(); });

    Application->Run();

    EXPECT_TRUE(visibleDuringRun);
    EXPECT_EQ(failures.size(), clicks);
    EXPECT_FALSE(Application->Running());
    ASSERT_EQ(4u, boxes.size());
    const char* const texts[] = {"失敗しました.", "Failed.", "", "standard."};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(mtError, boxes[i].Type);
        EXPECT_EQ("試験", boxes[i].Caption);
        EXPECT_EQ(texts[i], boxes[i].Text);
        EXPECT_TRUE(boxes[i].Buttons.Contains(mbOK));
    }
}

TEST_F(ApplicationTest, OnExceptionTakesTheExceptionInsteadOfTheBox)
{
    ProbeForm* form = create();
    std::string seen;
    TObject* sender = nullptr;
    Application->OnException = TExceptionEvent::FromFunction(nullptr, [&](TObject* from, Sysutils::Exception& exception) {
        sender = from;
        seen = exception.Message;
    });
    form->button->OnClick = TNotifyEvent::FromFunction(nullptr, [](TObject*) { throw Sysutils::Exception("捕捉"); });
    form->Show();
    QTest::mouseClick(form->button->Widget(), Qt::LeftButton);
    Application->OnException = nullptr;
    EXPECT_EQ("捕捉", seen);
    EXPECT_EQ(form->button, sender);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ApplicationTest, ShowExceptionAddsAFullStopOnlyAfterACharacterSortingAfterIt)
{
    Application->SetTitle("題");
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"abc", "abc."}, {"abc.", "abc."}, {"abc!", "abc!"}, {"", ""}, {"読めません", "読めません."}, {"1+", "1+"},
    };
    for (const auto& c : cases) {
        Application->ShowException(Sysutils::Exception(c.message));
        ASSERT_FALSE(boxes.empty());
        EXPECT_EQ(c.shown, boxes.back().Text) << c.message;
        EXPECT_EQ("題", boxes.back().Caption);
    }
}

// A modal form opened during Run is ended by Terminate too, and Run then returns.
TEST_F(ApplicationTest, TerminateEndsTheModalLoopsInsideRun)
{
    ProbeForm* main = create();
    auto* dialog = new TForm(main->Handle());
    forms.push_back(dialog);
    int result = -1;
    later([&] {
        later([&] { Application->Terminate(); });
        result = dialog->ShowModal();
    });
    Application->Run();
    EXPECT_EQ(mrCancel, result);
    EXPECT_FALSE(dialog->Visible());
}

}  // namespace

namespace {

// Qt's own texts (standard buttons, the file dialog) come in Japanese, from the translations that
// setup installs.
TEST(ApplicationTranslationTest, QtsOwnTextsAreJapanese)
{
    classlib::ensureApplication();
    const QString cancel = QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text();
    EXPECT_EQ(cancel.toStdString(), "キャンセル");
    const QString open = QDialogButtonBox(QDialogButtonBox::Open).button(QDialogButtonBox::Open)->text();
    EXPECT_NE(open.toStdString(), "&Open");
}

}  // namespace
