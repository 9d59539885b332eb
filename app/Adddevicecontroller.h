#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IMainView;
class IValueObject;

// Adds whole devices (a disk, an SD card, one of their partitions) to the main window's input
// list: an open-file dialog in the device folder that lists only the machine's block devices.
// Reading a device takes a permission most users lack; a device that cannot be read is not
// added, and the user is told why.
class AddDeviceController : public EventController {
public:
    explicit AddDeviceController(IMainView* mainView);
    ~AddDeviceController() override;

protected:
    std::string doExecute(IValueObject* values) override;

private:
    IMainView* mainView;  // not owned
};
