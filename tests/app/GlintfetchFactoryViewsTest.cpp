#include "app/Glintfetchfactory.h"
#include "app/IExtractView.h"
#include "app/IFileOptionView.h"
#include "app/IMainView.h"
#include "app/IPluginOptionView.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"
#include "framework/Exception.h"
#include "framework/IController.h"
#include "framework/Tbaseform.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TForm.h"
#include "tests/app/AppFixture.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Owned by a form, so destroyed with it: records when that happens.
class DestructionProbe : public TComponent {
public:
    DestructionProbe(TComponent* owner, std::function<void()> onDestroy)
        : TComponent(owner), onDestroy(std::move(onDestroy)) {}
    ~DestructionProbe() override { onDestroy(); }

private:
    std::function<void()> onDestroy;
};

class GlintfetchFactoryViewsTest : public AppFixture {};

TForm* formOf(IView* view) { return dynamic_cast<TForm*>(view->getComponent()); }

TEST_F(GlintfetchFactoryViewsTest, EachViewIsMadeOnceAndTheDialogsStandOverTheMainWindow) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    std::unique_ptr<IGlintfetchFactory> other = createGlintfetchFactory();
    IMainView* mainView = factory->createMainView();
    EXPECT_EQ(factory->createMainView(), mainView);
    TForm* mainForm = formOf(mainView);
    ASSERT_NE(mainForm, nullptr);
    EXPECT_EQ(Application->MainForm(), mainForm);
    // A view is not a product that createThread or anyone else asks the registry about.
    EXPECT_FALSE(dynamic_cast<GlintfetchFactory&>(*factory).isCreatedObject(mainView));

    IView* otherParent = other->createMainView();
    struct Dialog {
        const char* what;
        std::function<IView*(IView*)> create;
    };
    const Dialog dialogs[] = {
        {"file options", [&](IView* p) -> IView* { return factory->createFileOptionView(p); }},
        {"plug-in settings",
         [&](IView* p) -> IView* { return factory->createPluginOptionView(p); }},
        {"extraction", [&](IView* p) -> IView* { return factory->createExtractView(p); }},
    };
    for (const Dialog& d : dialogs) {
        IView* view = d.create(mainView);
        EXPECT_EQ(d.create(otherParent), view) << d.what;
        TForm* form = formOf(view);
        ASSERT_NE(form, nullptr) << d.what;
        EXPECT_NE(form, mainForm);
        EXPECT_EQ(form->ParentWindow(), mainForm->Handle()) << d.what;
        EXPECT_EQ(form->Owner(), nullptr) << d.what;
        EXPECT_FALSE(form->Visible()) << d.what;
    }
}

TEST_F(GlintfetchFactoryViewsTest, EveryControllerRequestMakesANewRegisteredController) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    IMainView* mainView = factory->createMainView();
    IConfigModel* settings = factory->createConfigModel();
    IPluginModel* plugins = factory->createPluginModel();
    IExtractModel* extract = factory->createExtractModel(settings, plugins);
    IView* fileOptions = factory->createFileOptionView(mainView);
    IView* pluginOptions = factory->createPluginOptionView(mainView);
    IView* extraction = factory->createExtractView(mainView);
    IGlintfetchFactory* f = factory.get();
    const std::vector<std::function<IController*()>> creators = {
        [&] { return f->createAddExtractFileController(mainView); },
        [&] { return f->createRemoveExtractFileController(mainView); },
        [&] { return f->createOpenViewController(mainView); },
        [&] { return f->createCloseViewController(mainView); },
        [&] { return f->createOpenMainController(mainView, settings); },
        [&] { return f->createOpenFileOptionController(fileOptions, settings); },
        [&] { return f->createFileOptionOKController(fileOptions, settings); },
        [&] { return f->createOpenPluginOptionController(pluginOptions, plugins, settings); },
        [&] { return f->createPluginOptionOKController(pluginOptions, settings); },
        [&] { return f->createPluginRefreshController(plugins, settings); },
        [&] { return f->createPluginSelectController(pluginOptions, plugins); },
        [&] { return f->createPluginSwitchEnabledController(plugins); },
        [&] { return f->createOpenPluginPropertyController(plugins, pluginOptions); },
        [&] { return f->createExtractController(extraction, extract, f); },
        [&] { return f->createExtractCancelController(extract); },
        [&] { return f->createOpenVersionController(); },
    };
    std::set<IController*> seen;
    auto& concrete = dynamic_cast<GlintfetchFactory&>(*factory);
    for (const auto& create : creators) {
        for (int twice = 0; twice < 2; ++twice) {
            IController* controller = create();
            ASSERT_NE(controller, nullptr);
            EXPECT_TRUE(seen.insert(controller).second);
            EXPECT_TRUE(concrete.isCreatedObject(controller));
        }
    }
}

TEST_F(GlintfetchFactoryViewsTest, TheWindowsGoInTheirOrder) {
    std::vector<std::string> order;
    {
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        IMainView* mainView = factory->createMainView();
        // Made in another order than the one they are destroyed in.
        IView* extraction = factory->createExtractView(mainView);
        IView* pluginOptions = factory->createPluginOptionView(mainView);
        IView* fileOptions = factory->createFileOptionView(mainView);
        const std::pair<const char*, IView*> windows[] = {
            {"extraction", extraction},
            {"plug-in settings", pluginOptions},
            {"file options", fileOptions},
            {"main", mainView},
        };
        for (const auto& window : windows) {
            TBaseForm* form = dynamic_cast<TBaseForm*>(window.second->getComponent());
            ASSERT_NE(form, nullptr);
            const std::string name = window.first;
            new DestructionProbe(form, [&order, name] { order.push_back(name); });
        }
    }
    // The main window first, although the dialogs' windows stand over it: they outlive it.
    EXPECT_EQ(order, (std::vector<std::string>{"main", "file options", "plug-in settings",
                                               "extraction"}));
}

TEST_F(GlintfetchFactoryViewsTest, AFactoryThatMadeNothingOfItsOwnDiesCleanly) {
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    factory->createValueObject();
    factory.reset();
    EXPECT_EQ(Application->MainForm(), nullptr);
}

}  // namespace
