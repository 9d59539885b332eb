#pragma once

#include "framework/IView.h"

#include <string>

class IController;

// The main window as its controllers see it. Its values are "outputDirectory" (the folder chosen
// in the output tree; absent when none is chosen) and "inputFiles" (one value per listed input, in
// the list's order). Each setter connects a controller to the window's controls; a controller that
// is no event controller is connected to nothing.
class IMainView : public virtual IView {
public:
    // A path already listed adds nothing.
    virtual void addExtractFile(std::string path) = 0;
    virtual void removeSelectedExtractFiles() = 0;
    // Offers the folder at the top of the output tree, chosen; the program's folder stays there
    // too. A path that names no folder changes nothing.
    virtual void chooseOutputFolder(std::string folder) = 0;
    virtual void setAddExtractFileController(IController* controller) = 0;
    virtual void setRemoveExtractFileController(IController* controller) = 0;
    virtual void setExitController(IController* controller) = 0;
    virtual void setFileOptionController(IController* controller) = 0;
    virtual void setPluginOptionController(IController* controller) = 0;
    virtual void setVersionController(IController* controller) = 0;
    virtual void setExtractController(IController* controller) = 0;

protected:
    ~IMainView() = default;
};
