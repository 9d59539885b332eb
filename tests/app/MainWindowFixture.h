#pragma once

#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "app/Tmainform.h"
#include "controls/FolderListView.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TMenuItem.h"
#include "tests/app/AppFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The main window made by an application factory of its own, as the builder makes it.
class MainWindowFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        factory = createGlintfetchFactory();
        view = factory->createMainView();
        form = dynamic_cast<TMainForm*>(view->getComponent());
        ASSERT_NE(form, nullptr);
    }
    void TearDown() override {
        factory.reset();
        AppFixture::TearDown();
    }

    TMenuItem* item(const char* name) { return static_cast<TMenuItem*>(form->FindComponent(name)); }

    // The input list's rows, in the order shown.
    std::vector<std::string> captions() {
        std::vector<std::string> result;
        for (int i = 0; i < form->targetList->Items()->Count(); ++i) {
            result.push_back(form->targetList->Items()->Item(i)->Caption());
        }
        return result;
    }

    std::unique_ptr<IGlintfetchFactory> factory;
    IMainView* view = nullptr;
    TMainForm* form = nullptr;
};
