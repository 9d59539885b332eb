// Takes the pictures of the program's windows for the README: the program is built and wired as
// the entry function does it, and each window is grabbed while it is shown. Run it under a real X
// server (scripts/screenshots.sh), so that the Japanese texts are drawn with real fonts.

#include "app/Glintfetchbuilder.h"
#include "app/IExtractView.h"
#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "app/IPluginOptionView.h"
#include "app/Textractform.h"
#include "app/Tmainform.h"
#include "app/Tpluginoptionform.h"
#include "engine/ExtractPlugin.h"
#include "engine/IConfigModel.h"
#include "controls/FolderTreeView.h"
#include "framework/IController.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TButton.h"
#include "platform/classlib/TDialogSeam.h"
#include "platform/classlib/TListItem.h"
#include "platform/classlib/TListItems.h"
#include "platform/classlib/TListView.h"
#include "platform/classlib/TMenuItem.h"
#include "platform/classlib/TTreeNode.h"
#include "platform/classlib/TTreeNodes.h"
#include "tests/app/AppFixture.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string target;
bool failed = false;

void save(QWidget* window, const std::string& name) {
    const std::string path = target + "/" + name;
    if (!window->grab().save(QString::fromStdString(path))) {
        std::cerr << "cannot write " << path << "\n";
        failed = true;
    } else {
        std::cout << path << "\n";
    }
}

// While open runs its modal loop, waits for the active modal window, lets it settle, lets
// ready say when it is worth a picture, saves it and closes it with close.
void whileModal(const std::function<void()>& open, const std::string& name, std::function<bool()> ready,
                std::function<void(QWidget*)> close) {
    QTimer timer;
    QDeadlineTimer deadline(120000);
    int settled = 0;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        if ((++settled < 10 || !ready()) && !deadline.hasExpired()) return;
        timer.stop();
        save(modal, name);
        close(modal);
    });
    timer.start();
    open();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <folder for the pictures>\n";
        return 2;
    }
    target = argv[1];
    fs::create_directories(target);

    Application->Initialize();
    const fs::path programDir = fs::canonical("/proc/self/exe").parent_path();
    const fs::path samples = programDir / "samples";
    // A home folder of the pictures' own, where the output tree starts.
    const fs::path home = programDir / "home";
    const fs::path output = home / "output";
    fs::remove_all(samples);
    fs::remove_all(home);
    fs::create_directories(samples);
    fs::create_directories(output);
    fs::create_directories(home / "Documents");
    fs::create_directories(home / "Pictures");
    setenv("HOME", home.c_str(), 1);
    // The settings of an earlier run (its output folder among them) would change the pictures.
    fs::remove(programDir / "config.xml");
    for (const char* name : {"holiday.dat", "game-assets.bin", "slides.pak"}) {
        std::ofstream(samples / name, std::ios::binary)
            << std::string(4096, 'x') << smallPng() << std::string(2048, 'y') << smallPng();
    }

    // The confirmation is answered as a user would; the other dialogs are the real ones.
    TDialogSeamScope seam([](const TMessageDlgRequest&) { return int(mrOk); });
    {
        std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
        GlintfetchBuilder builder(factory.get());
        IController* startup = builder.build();
        startup->execute();
        auto* mainForm = dynamic_cast<TMainForm*>(Application->MainForm());
        IMainView* mainView = factory->createMainView();
        for (const auto& entry : fs::directory_iterator(samples)) {
            mainView->addExtractFile(entry.path().string());
        }
        TTreeNode* folder = mainForm->outputList->Selected();
        folder->Expand(false);
        for (int i = 0; i < folder->Count(); ++i) {
            if (folder->Item(i)->Text() == "output") mainForm->outputList->Select(folder->Item(i));
        }
        mainForm->Show();
        QDeadlineTimer settle(1000);
        while (!settle.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 50);
        save(mainForm->Widget()->window(), "main-window.png");

        auto choose = [&](const char* name) {
            return [mainForm, name] {
                static_cast<TMenuItem*>(mainForm->FindComponent(name))->Action()->trigger();
            };
        };
        auto escape = [](QWidget* modal) { modal->close(); };
        whileModal(choose("FileSpec"), "file-options.png", [] { return true; }, escape);
        whileModal(choose("DataSpec"), "plugin-settings.png", [] { return true; }, escape);

        // The user-defined plug-in's own dialog, with a few rules of the kind users write, over
        // the plug-in settings dialog as a user opens it.
        auto* settings = dynamic_cast<IExtractConfig*>(factory->createConfigModel());
        const char* const rules =
            "zip\thex\t50 4B 03 04\thex\t50 4B 05 06 ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ?? ??\t50000000\tfirst"
            "\twith\tcase\n"
            "html\ttext\t<html\ttext\t</html>\t1000000\tlast\twith\tnocase\n"
            "sqlite\ttext\tSQLite format 3\thex\t\t10000000\tfirst\twith\tcase\n"
            "mp3\thex\t49 44 33 ?? ?? 00\thex\t\t20000000\tfirst\twith\tcase\n"
            "eml\ttext\tReturn-Path:\thex\t0D 0A 2E 0D 0A\t5000000\tfirst\twithout\tcase\n";
        settings->setProperty("rules", rules, "glintfetch.userdefined");
        auto* pluginForm =
            dynamic_cast<TPluginOptionForm*>(factory->createPluginOptionView(nullptr)->getComponent());
        QTimer opener;
        opener.setInterval(50);
        QObject::connect(&opener, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal != pluginForm->Widget()->window()) return;
            opener.stop();
            for (int i = 0; i < pluginForm->PluginsList->Items()->Count(); ++i) {
                TListItem* row = pluginForm->PluginsList->Items()->Item(i);
                if (row->Caption() == "ユーザー定義") row->SetSelected(true);
            }
            whileModal([&] { pluginForm->PropertyBtn->Click(); }, "userdefined-rules.png", [] { return true; },
                       escape);
            escape(modal);
        });
        opener.start();
        choose("DataSpec")();

        auto* extractForm =
            dynamic_cast<TExtractForm*>(factory->createExtractView(nullptr)->getComponent());
        whileModal(
            [&] { mainForm->extractButton->Click(); }, "extraction.png",
            [&] { return extractForm->CancelBtn->Caption() == "ＯＫ"; },
            [&](QWidget*) { extractForm->CancelBtn->Click(); });
    }
    fs::remove_all(samples);
    fs::remove_all(home);
    return failed ? 1 : 0;
}
