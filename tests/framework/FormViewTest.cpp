#include "framework/Formview.h"
#include "framework/Exception.h"
#include "framework/Tbaseform.h"
#include "framework/Valueobject.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "raised" when getView raises the framework's IllegalStatusException with its message, else
// "view".
std::string askView(TBaseForm* form)
{
    try {
        form->getView();
        return "view";
    } catch (const IllegalStatusException& exception) {
        EXPECT_EQ("このフォームは削除されているフォームです。", exception.getMessage());
        return "raised";
    }
}

// A window of the program: a form class of its own with a list on it, whose destructor and row
// deletions note what the form answers while it goes away.
class ProbeForm : public TBaseForm {
public:
    ProbeForm(std::vector<std::string>& log) : TBaseForm(static_cast<TComponent*>(nullptr)), log(log), list(new TListView(this))
    {
        list->SetParent(this);
        list->Items()->Add()->SetCaption("row");
        // Only the component part of the form is still there when its rows go.
        TComponent* self = this;
        list->OnDeletion = TLVDeletedEvent::FromFunction(nullptr, [&log, self](TObject*, TListItem*) {
            log.push_back(std::string("row deleted, form destroying: ") + (self->Destroying() ? "yes" : "no"));
        });
    }
    ~ProbeForm() override { log.push_back("form destructor: " + askView(this)); }

    std::vector<std::string>& log;
    TListView* list;
};

TEST(FormViewTest, AFormWithoutAViewRaisesAndAViewAttachesItselfAsItsIView)
{
    TBaseForm form(static_cast<TComponent*>(nullptr));
    EXPECT_EQ("raised", askView(&form));

    FormView view(&form);
    EXPECT_EQ(static_cast<IView*>(&view), form.getView());
    EXPECT_EQ(&form, view.getComponent());

    form.setView(nullptr);
    EXPECT_EQ("raised", askView(&form));
}

// Free (an owner's way) and a bare delete (the factory's) both leave the form without a view for
// the whole teardown, while the view object itself still exists.
TEST(FormViewTest, AFormGoingAwayAnswersWithoutAViewThroughoutItsTeardown)
{
    for (bool bareDelete : {false, true}) {
        std::vector<std::string> log;
        auto* form = new ProbeForm(log);
        FormView view(form);
        ASSERT_EQ("view", askView(form));
        if (bareDelete) {
            delete form;
        } else {
            form->Free();
        }
        const std::vector<std::string> expected = {
            std::string("form destructor: ") + (bareDelete ? "view" : "raised"),
            "row deleted, form destroying: yes",
        };
        EXPECT_EQ(expected, log) << (bareDelete ? "delete" : "Free");
    }
}

TEST(FormViewTest, TitleValuesAndShowingGoToTheForm)
{
    TBaseForm form(static_cast<TComponent*>(nullptr));
    FormView view(&form);
    EXPECT_EQ("", view.getTitle());
    view.setTitle("プラグイン設定");
    EXPECT_EQ("プラグイン設定", view.getTitle());
    EXPECT_EQ("プラグイン設定", form.Caption());

    ValueObject values;
    values.setValue("outputDirectory", "/tmp");
    view.getValues(&values);
    view.refresh(&values);
    EXPECT_EQ("/tmp", values.getValue("outputDirectory"));
    EXPECT_EQ(1u, values.getValueCount("outputDirectory"));
    EXPECT_EQ(0u, values.getValueCount("inputFiles"));

    view.show();
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(form.Modal());
    view.close();
    EXPECT_FALSE(form.Visible());
}

}  // namespace
