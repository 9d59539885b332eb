#pragma once

#include "app/IMainView.h"
#include "framework/Formview.h"

#include <string>

class IController;
class IValueObject;
class TMainForm;
class TMenuItem;

// The main window's view. Building it selects the home folder in the output tree, so that an
// extraction has an output folder from the start, never the program's own. It owns nothing:
// the form belongs to the application and is destroyed after the view, and the shell items belong
// to the rows and nodes that show them.
class MainView : public FormView, public virtual IMainView {
public:
    explicit MainView(TMainForm* form);
    ~MainView() override;

    void close() override;
    void getValues(IValueObject* values) override;

    void addExtractFile(std::string path) override;
    void removeSelectedExtractFiles() override;
    void chooseOutputFolder(std::string folder) override;
    void getWindowPlacement(int* width, int* height, bool* maximized) override;
    void placeWindow(int width, int height, bool maximized) override;
    void setAddExtractFileController(IController* controller) override;
    void setAddDeviceController(IController* controller) override;
    void setRemoveExtractFileController(IController* controller) override;
    void setExitController(IController* controller) override;
    void setFileOptionController(IController* controller) override;
    void setPluginOptionController(IController* controller) override;
    void setVersionController(IController* controller) override;
    void setExtractController(IController* controller) override;
    void setCloseController(IController* controller) override;

private:
    // The menu bar's item at menu, item.
    TMenuItem* menuItem(int menu, int item) const;
    TMenuItem* popupItem(int item) const;

    TMainForm* mainForm;
};
