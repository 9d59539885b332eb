#pragma once

#include "app/Eventcontroller.h"
#include "platform/classlib/TDialogSeam.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class IValueObject;
class TButton;
class TMenuItem;

// A controller that records the values of every run, to show which view delivered them.
class RecordingController : public EventController {
public:
    struct Run {
        bool hasOutputDirectory = false;
        std::string outputDirectory;
        std::vector<std::string> inputFiles;
    };
    std::vector<Run> runs;
    std::function<void()> during;

protected:
    std::string doExecute(IValueObject* values) override;
};

// Real widgets on the offscreen platform; every message box and open-file dialog is answered
// through the dialog seam and recorded. A scratch folder is made for each test and removed after;
// its "home" folder is HOME meanwhile, so that the output tree's home is the test's own.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file under the scratch folder (made with its parents), with these bytes.
    std::string writeFile(const std::string& relative, const std::string& bytes);
    std::string scratch() const { return scratchDir; }
    std::string homeDir() const { return scratchDir + "/home"; }
    // The folder of the running test program.
    static std::string programDir();

    // A real click of the button's widget, and the menu item's action triggered as a choice in
    // its menu does.
    static void click(TButton* button);
    static void choose(TMenuItem* item);

    std::vector<TMessageDlgRequest> messages;
    // Answers each message box; OK unless set.
    std::function<int(const TMessageDlgRequest&)> answer;
    std::vector<TOpenDialogRequest> opens;
    // The files the open-file dialog returns; cancelled when openCancelled.
    std::vector<std::string> openFiles;
    bool openCancelled = false;
    // Runs while the open-file dialog is "shown".
    std::function<void()> duringOpen;

private:
    std::string scratchDir;
    std::string previousHome;
    bool hadHome = false;
    std::unique_ptr<TDialogSeamScope> seam;
};

// Waits, pumping events, until the condition holds or a generous bound has passed.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 60000);

// A small valid PNG (a 1x1 picture with a comment, some 300 bytes), as bytes.
std::string smallPng();
