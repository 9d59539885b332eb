#pragma once

#include "framework/IView.h"

#include <string>

class IController;

// The main window as its controllers see it. Its values are "outputDirectory" (the folder chosen
// in the output tree; absent when none is chosen) and "inputFiles" (one value per listed input, in
// the list's order). Each setter connects a controller to the window's controls; a controller that
// is no event controller is connected to nothing. The remove controller also serves the Delete
// key in the input list.
class IMainView : public virtual IView {
public:
    // A path already listed adds nothing.
    virtual void addExtractFile(std::string path) = 0;
    virtual void removeSelectedExtractFiles() = 0;
    // Offers the folder at the top of the output tree, chosen (a folder already at the top is
    // chosen there); the home folder stays there too. A path that names no folder changes nothing.
    virtual void chooseOutputFolder(std::string folder) = 0;
    // The window's client size and whether it is maximised, as the user left it.
    virtual void getWindowPlacement(int* width, int* height, bool* maximized) = 0;
    // Gives the window, not yet shown, that client size (and state) to open with.
    virtual void placeWindow(int width, int height, bool maximized) = 0;
    virtual void setAddExtractFileController(IController* controller) = 0;
    virtual void setAddDeviceController(IController* controller) = 0;
    virtual void setRemoveExtractFileController(IController* controller) = 0;
    virtual void setExitController(IController* controller) = 0;
    virtual void setFileOptionController(IController* controller) = 0;
    virtual void setPluginOptionController(IController* controller) = 0;
    virtual void setVersionController(IController* controller) = 0;
    virtual void setExtractController(IController* controller) = 0;
    // Run as the window closes, whichever way it is closed.
    virtual void setCloseController(IController* controller) = 0;

protected:
    ~IMainView() = default;
};
