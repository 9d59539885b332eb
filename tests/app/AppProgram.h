#pragma once

#include "app/Glintfetchbuilder.h"
#include "app/IGlintfetchFactory.h"
#include "tests/app/AppFixture.h"

#include <memory>
#include <string>

class IController;
class TMainForm;

// For test programs that live alone in a folder with the plug-ins: the program's settings file
// beside the executable is put back as it was after each test.
class AppProgramFixture : public AppFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Everything made and wired as the entry function does it, then the start-up controller run.
    void start();
    // The builder and then the factory, as the entry function destroys them.
    void stop();

    static std::string settingsPath() { return programDir() + "/config.xml"; }
    static std::string readText(const std::string& path);
    static bool exists(const std::string& path);
    static void removePath(const std::string& path);

    std::unique_ptr<IGlintfetchFactory> factory;
    std::unique_ptr<GlintfetchBuilder> builder;
    IController* startup = nullptr;
    TMainForm* mainForm = nullptr;
};
