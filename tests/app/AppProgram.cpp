#include "tests/app/AppProgram.h"

#include "app/Glintfetchbuilder.h"
#include "app/IGlintfetchFactory.h"
#include "app/Tmainform.h"
#include "framework/IController.h"
#include "platform/classlib/TApplication.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

void AppProgramFixture::SetUp() {
    AppFixture::SetUp();
    removePath(settingsPath());
    removePath(settingsPath() + ".bak");
}

void AppProgramFixture::TearDown() {
    stop();
    std::error_code ignored;
    fs::permissions(settingsPath(), fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::add, ignored);
    removePath(settingsPath());
    removePath(settingsPath() + ".bak");
    AppFixture::TearDown();
}

void AppProgramFixture::start() {
    Application->Initialize();
    factory = createGlintfetchFactory();
    builder = std::make_unique<GlintfetchBuilder>(factory.get());
    startup = builder->build();
    mainForm = dynamic_cast<TMainForm*>(Application->MainForm());
    startup->execute();
}

void AppProgramFixture::stop() {
    builder.reset();
    factory.reset();
    mainForm = nullptr;
    startup = nullptr;
}

std::string AppProgramFixture::readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool AppProgramFixture::exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

void AppProgramFixture::removePath(const std::string& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}
