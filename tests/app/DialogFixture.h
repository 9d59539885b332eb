#pragma once

#include "platform/classlib/TDialogSeam.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class IConfigModel;
class IExtractModel;
class IGlintfetchFactory;
class IPluginModel;

// The folder of the test program, where the models find config.xml and plugins/. Tests of
// several processes take turns at it: the environment holds an exclusive lock on a file there
// from construction to destruction. It starts every test without config.xml and with an empty
// plugins/, and leaves a scratch folder of its own for input and output files.
class DialogEnvironment {
public:
    DialogEnvironment();
    ~DialogEnvironment();
    DialogEnvironment(const DialogEnvironment&) = delete;
    DialogEnvironment& operator=(const DialogEnvironment&) = delete;

    static std::string programFolder();
    std::string configPath() const;
    std::string pluginFolder() const;
    std::string scratchFolder() const { return scratch; }

    // Copies the dialog test plug-in of that file name (alpha, beta, gamma, ...; see
    // CMakeLists.txt) into plugins/ as <name>.so.
    void addPlugin(const std::string& id);
    void removePlugin(const std::string& id);

private:
    std::string scratch;
};

// Answers every message box with answer (or with the next of answers while any is left) and
// keeps what was asked.
class DialogMessages {
public:
    DialogMessages();
    std::vector<TMessageDlgRequest> shown;
    int answer = 1;  // mrOk
    std::vector<int> answers;

private:
    std::unique_ptr<TDialogSeamScope> scope;
};

// Handles events until condition holds or timeoutMs pass; returns whether it holds.
bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 60000);

// Steps to take while a modal loop runs: each waits for its condition, then acts. run starts
// them, calls modal (which returns once its dialog has closed) and says whether every step ran.
// Should a condition never come true, the remaining steps are dropped after timeoutMs and
// giveUp (which must end the modal loop) runs.
class ModalScript {
public:
    ModalScript& then(std::function<bool()> condition, std::function<void()> action);
    ModalScript& then(std::function<void()> action);
    bool run(const std::function<void()>& modal, const std::function<void()>& giveUp, int timeoutMs = 60000);

private:
    struct Step {
        std::function<bool()> condition;
        std::function<void()> action;
    };
    std::vector<Step> steps;
};

// One application factory with its settings and plug-in models, over a fresh environment.
class DialogTest : public ::testing::Test {
protected:
    DialogTest();
    ~DialogTest() override;

    IExtractModel* extractModel();

    DialogEnvironment environment;
    DialogMessages messages;
    std::unique_ptr<IGlintfetchFactory> factory;
    IConfigModel* configModel = nullptr;
    IPluginModel* pluginModel = nullptr;
};
