#include "tests/app/DialogFixture.h"

#include "app/IGlintfetchFactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

DialogEnvironment::DialogEnvironment()
{
    const std::string folder = programFolder();
    // Held until this test program has gone, not only until the test ends: at its exit the
    // sanitizers' leak check still reads the plug-ins it loaded by their paths, and another test
    // program copying its own plug-ins there meanwhile made that read fault.
    static const int processLock = [&folder] {
        const int file = ::open((folder + "/dialog-tests.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0 || ::flock(file, LOCK_EX) != 0) {
            throw std::runtime_error("cannot lock the test program's folder");
        }
        return file;
    }();
    (void)processLock;
    fs::remove(configPath());
    fs::remove_all(pluginFolder());
    fs::create_directories(pluginFolder());
    scratch = folder + "/scratch-" + std::to_string(::getpid());
    fs::remove_all(scratch);
    fs::create_directories(scratch);
}

DialogEnvironment::~DialogEnvironment()
{
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    fs::remove_all(pluginFolder(), ignored);
    fs::remove(configPath(), ignored);
}

std::string DialogEnvironment::programFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

std::string DialogEnvironment::configPath() const
{
    return programFolder() + "/config.xml";
}

std::string DialogEnvironment::pluginFolder() const
{
    return programFolder() + "/plugins";
}

void DialogEnvironment::addPlugin(const std::string& id)
{
    fs::copy_file(std::string(DIALOG_TEST_PLUGIN_DIR) + "/" + id + ".so", pluginFolder() + "/" + id + ".so",
                  fs::copy_options::overwrite_existing);
}

void DialogEnvironment::removePlugin(const std::string& id)
{
    fs::remove(pluginFolder() + "/" + id + ".so");
}

DialogMessages::DialogMessages()
    : scope(new TDialogSeamScope([this](const TMessageDlgRequest& request) {
        shown.push_back(request);
        if (!answers.empty()) {
            const int next = answers.front();
            answers.erase(answers.begin());
            return next;
        }
        return answer;
    }))
{
}

bool pumpUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

ModalScript& ModalScript::then(std::function<bool()> condition, std::function<void()> action)
{
    steps.push_back({std::move(condition), std::move(action)});
    return *this;
}

ModalScript& ModalScript::then(std::function<void()> action)
{
    return then([] { return true; }, std::move(action));
}

bool ModalScript::run(const std::function<void()>& modal, const std::function<void()>& giveUp, int timeoutMs)
{
    std::size_t next = 0;
    bool gaveUp = false;
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (next >= steps.size() || gaveUp) {
            return;
        }
        if (clock.elapsed() > timeoutMs) {
            gaveUp = true;
            giveUp();
            return;
        }
        if (steps[next].condition()) {
            // Advance first: the action may open a modal loop of its own that runs further ticks.
            const Step& step = steps[next++];
            step.action();
        }
    });
    timer.start();
    modal();
    timer.stop();
    return !gaveUp && next == steps.size();
}

DialogTest::DialogTest()
    : factory(createGlintfetchFactory())
{
    configModel = factory->createConfigModel();
    pluginModel = factory->createPluginModel();
    configModel->buildDefaultDocument();
}

DialogTest::~DialogTest() = default;

IExtractModel* DialogTest::extractModel()
{
    return factory->createExtractModel(configModel, pluginModel);
}
