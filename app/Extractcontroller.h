#pragma once

#include "app/Openviewcontroller.h"

#include <string>

class IExtractModel;
class IGlintfetchFactory;
class IValueObject;
class IView;

// The main window's Extract button: checks the output folder (given, there, a folder, writable)
// and the input files of the main view's values, and that some plug-in is found and enabled;
// hands them to the extraction model, asks the user to confirm with the total size, starts the
// run on a worker thread of the application factory and shows the extraction dialog until it is
// closed. Every refusal is an error box. Results: "Failure" (nothing to do), "Cancelled" (not
// confirmed), "Success".
class ExtractController : public OpenViewController {
public:
    ExtractController(IView* view, IExtractModel* extractModel, IGlintfetchFactory* factory);
    ~ExtractController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    // Why no run can scan anything (no plug-in found, none enabled), or "". Reloads the settings
    // and the plug-ins as the run does.
    std::string pluginProblem();
    // Kept in the settings file for the next session.
    void rememberOutputFolder(const std::string& directory);

    IExtractModel* extractModel;  // not owned
    IGlintfetchFactory* factory;  // not owned; the one that made the extraction model
};
