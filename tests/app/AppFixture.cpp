#include "tests/app/AppFixture.h"

#include "framework/IValueObject.h"
#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TMenuItem.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

std::string RecordingController::doExecute(IValueObject* values) {
    Run run;
    run.hasOutputDirectory = values->getValueCount("outputDirectory") > 0;
    run.outputDirectory = values->getValue("outputDirectory");
    for (std::uint32_t i = 0; i < values->getValueCount("inputFiles"); ++i) {
        run.inputFiles.push_back(values->getValue("inputFiles", i));
    }
    runs.push_back(run);
    if (during) during();
    return "Success";
}

void AppFixture::SetUp() {
    classlib::ensureApplication();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratchDir = (fs::temp_directory_path() /
                  ("glintfetch-app-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
                   info->name()))
                     .string();
    fs::remove_all(scratchDir);
    fs::create_directories(scratchDir);
    fs::create_directories(homeDir());
    const char* home = std::getenv("HOME");
    hadHome = home != nullptr;
    previousHome = hadHome ? home : "";
    setenv("HOME", homeDir().c_str(), 1);
    seam = std::make_unique<TDialogSeamScope>(
        [this](const TMessageDlgRequest& request) {
            messages.push_back(request);
            return answer ? answer(request) : int(mrOk);
        },
        [this](const TOpenDialogRequest& request, std::vector<std::string>& files) {
            opens.push_back(request);
            if (duringOpen) duringOpen();
            if (openCancelled) return false;
            files = openFiles;
            return true;
        });
}

void AppFixture::TearDown() {
    seam.reset();
    if (hadHome) {
        setenv("HOME", previousHome.c_str(), 1);
    } else {
        unsetenv("HOME");
    }
    std::error_code ignored;
    fs::permissions(scratchDir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(scratchDir, ignored);
}

std::string AppFixture::writeFile(const std::string& relative, const std::string& bytes) {
    const fs::path path = fs::path(scratchDir) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string AppFixture::programDir() {
    return fs::canonical("/proc/self/exe").parent_path().string();
}

void AppFixture::click(TButton* button) {
    QWidget* widget = button->Widget();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void AppFixture::choose(TMenuItem* item) { item->Action()->trigger(); }

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

namespace {

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string bigEndian(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    return bytes;
}

std::string chunk(const std::string& type, const std::string& data) {
    return bigEndian(static_cast<std::uint32_t>(data.size())) + type + data +
           bigEndian(crc32(type + data));
}

}  // namespace

std::string smallPng() {
    static const unsigned char header[] = {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                                           0x01, 0x08, 0x06, 0x00, 0x00, 0x00};
    static const unsigned char pixels[] = {0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0xF0,
                                           0x1F, 0x00, 0x05, 0x00, 0x01, 0xFF};
    // A comment makes the picture larger than the smallest size the default settings keep.
    return std::string("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR", std::string(reinterpret_cast<const char*>(header), sizeof header)) +
           chunk("tEXt", std::string("Comment") + '\0' + std::string(200, 'c')) +
           chunk("IDAT", std::string(reinterpret_cast<const char*>(pixels), sizeof pixels)) +
           chunk("IEND", "");
}
