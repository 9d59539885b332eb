// One QApplication for the whole test program, made before the first test: Qt's image encoders and
// the JPEG plug-in's property dialog need it, and it must outlive every widget.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        application = std::make_unique<QApplication>(argc, argv);
    }

    void TearDown() override
    {
        application.reset();
    }

private:
    int argc = 1;
    char name[16] = "plugins_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
};

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}
