#include "app/Adddevicecontroller.h"
#include "app/Addextractfilecontroller.h"
#include "app/Closeviewcontroller.h"
#include "app/Extractcancelcontroller.h"
#include "app/Extractcontroller.h"
#include "app/Fileoptionokcontroller.h"
#include "app/IExtractView.h"
#include "app/IFileOptionView.h"
#include "app/IPluginOptionView.h"
#include "app/Openfileoptioncontroller.h"
#include "app/Openmaincontroller.h"
#include "app/Openpluginoptioncontroller.h"
#include "app/Openpluginpropertycontroller.h"
#include "app/Openversioncontroller.h"
#include "app/Pluginoptionokcontroller.h"
#include "app/Pluginrefreshcontroller.h"
#include "app/Pluginswitchenabledcontroller.h"
#include "app/Removeextractfilecontroller.h"
#include "app/Textractform.h"
#include "app/Tfileoptionform.h"
#include "app/Tmainform.h"
#include "app/Tpluginoptionform.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TMenuItem.h"
#include "tests/app/AppProgram.h"

#include <functional>
#include <string>

namespace {

class BuilderTest : public AppProgramFixture {
protected:
    void SetUp() override {
        AppProgramFixture::SetUp();
        Application->Initialize();
        factory = createGlintfetchFactory();
        builder = std::make_unique<GlintfetchBuilder>(factory.get());
        startup = builder->build();
        mainForm = dynamic_cast<TMainForm*>(Application->MainForm());
        ASSERT_NE(mainForm, nullptr);
        fileOptionForm = dynamic_cast<TFileOptionForm*>(
            factory->createFileOptionView(nullptr)->getComponent());
        pluginOptionForm = dynamic_cast<TPluginOptionForm*>(
            factory->createPluginOptionView(nullptr)->getComponent());
        extractForm =
            dynamic_cast<TExtractForm*>(factory->createExtractView(nullptr)->getComponent());
        ASSERT_NE(fileOptionForm, nullptr);
        ASSERT_NE(pluginOptionForm, nullptr);
        ASSERT_NE(extractForm, nullptr);
    }

    static EventController* wired(const TNotifyEvent& event) {
        return static_cast<EventController*>(const_cast<void*>(event.Data()));
    }
    TMenuItem* item(const char* name) {
        return static_cast<TMenuItem*>(mainForm->FindComponent(name));
    }

    TFileOptionForm* fileOptionForm = nullptr;
    TPluginOptionForm* pluginOptionForm = nullptr;
    TExtractForm* extractForm = nullptr;
};

template <typename Controller>
bool is(EventController* controller) {
    return dynamic_cast<Controller*>(controller) != nullptr;
}

TEST_F(BuilderTest, EveryControlIsServedByItsControllerAndNothingIsShownYet) {
    struct Case {
        const char* what;
        TNotifyEvent* event;
        std::function<bool(EventController*)> right;
    };
    const Case cases[] = {
        {"Insert", &item("Insert")->OnClick, is<AddExtractFileController>},
        {"PopInsert", &item("PopInsert")->OnClick, is<AddExtractFileController>},
        {"AddDevice", &item("AddDevice")->OnClick, is<AddDeviceController>},
        {"Delete", &item("Delete")->OnClick, is<RemoveExtractFileController>},
        {"PopDelete", &item("PopDelete")->OnClick, is<RemoveExtractFileController>},
        {"Exit", &item("Exit")->OnClick, is<CloseViewController>},
        {"FileSpec", &item("FileSpec")->OnClick, is<OpenFileOptionController>},
        {"DataSpec", &item("DataSpec")->OnClick, is<OpenPluginOptionController>},
        {"Version", &item("Version")->OnClick, is<OpenVersionController>},
        {"extractButton", &mainForm->extractButton->OnClick, is<ExtractController>},
        {"file OK", &fileOptionForm->OKBtn->OnClick, is<FileOptionOKController>},
        {"file Cancel", &fileOptionForm->CancelBtn->OnClick, is<CloseViewController>},
        {"plug-in OK", &pluginOptionForm->OKBtn->OnClick, is<PluginOptionOKController>},
        {"plug-in Cancel", &pluginOptionForm->CancelBtn->OnClick, is<CloseViewController>},
        {"Switch", &pluginOptionForm->SwitchBtn->OnClick, is<PluginSwitchEnabledController>},
        {"Refresh", &pluginOptionForm->RefreshBtn->OnClick, is<PluginRefreshController>},
        {"Property", &pluginOptionForm->PropertyBtn->OnClick, is<OpenPluginPropertyController>},
        {"extraction Cancel", &extractForm->CancelBtn->OnClick, is<ExtractCancelController>},
    };
    for (const Case& c : cases) {
        EventController* controller = wired(*c.event);
        ASSERT_NE(controller, nullptr) << c.what;
        EXPECT_TRUE(c.right(controller)) << c.what;
    }
    // The twins share one controller; the two add and the two delete items do not mix.
    EXPECT_EQ(wired(item("Insert")->OnClick), wired(item("PopInsert")->OnClick));
    EXPECT_EQ(wired(item("Delete")->OnClick), wired(item("PopDelete")->OnClick));
    EXPECT_NE(wired(fileOptionForm->CancelBtn->OnClick), wired(item("Exit")->OnClick));

    for (TForm* form : {static_cast<TForm*>(mainForm), static_cast<TForm*>(fileOptionForm),
                        static_cast<TForm*>(pluginOptionForm), static_cast<TForm*>(extractForm)}) {
        EXPECT_FALSE(form->Visible()) << form->Name();
        if (form != mainForm) {
            EXPECT_EQ(form->ParentWindow(), mainForm->Handle()) << form->Name();
        }
    }
}

TEST_F(BuilderTest, TheStartUpControllerIsReturnedAndWiredToNoControl) {
    ASSERT_NE(dynamic_cast<OpenMainController*>(startup), nullptr);
    const void* startupObject = static_cast<EventController*>(dynamic_cast<OpenMainController*>(startup));
    for (TForm* form : {static_cast<TForm*>(mainForm), static_cast<TForm*>(fileOptionForm),
                        static_cast<TForm*>(pluginOptionForm), static_cast<TForm*>(extractForm)}) {
        EXPECT_NE(form->OnClose.Data(), startupObject);
        for (int i = 0; i < form->ComponentCount(); ++i) {
            TComponent* component = form->Components(i);
            if (auto* menuItem = dynamic_cast<TMenuItem*>(component)) {
                EXPECT_NE(menuItem->OnClick.Data(), startupObject) << menuItem->Name();
            }
            if (auto* control = dynamic_cast<TControl*>(component)) {
                EXPECT_NE(control->OnClick.Data(), startupObject) << control->Name();
                EXPECT_NE(control->OnDblClick.Data(), startupObject) << control->Name();
            }
        }
    }
    // Nothing was loaded or written while building.
    EXPECT_FALSE(exists(settingsPath()));
    EXPECT_EQ(startup->execute(), "Success");
    EXPECT_TRUE(exists(settingsPath()));
}

}  // namespace
