#include "app/Adddevicecontroller.h"

#include "app/IGlintfetchFactory.h"
#include "app/IMainView.h"
#include "framework/IFileSelectView.h"
#include "platform/classlib/MessageDlg.h"
#include "platform/shell/ShellPlaces.h"

#include <fstream>
#include <memory>
#include <vector>

AddDeviceController::AddDeviceController(IMainView* mainView) : mainView(mainView) {}

AddDeviceController::~AddDeviceController() = default;

std::string AddDeviceController::doExecute(IValueObject*) {
    const std::vector<std::string> devices = ShellPlaces::blockDevices();
    if (devices.empty()) {
        MessageDlg("追加できるデバイスが見つかりません。", mtInformation, TMsgDlgButtons{mbOK}, 0);
        return "Success";
    }
    std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
    // The dialog shows the device folder with nothing but the block devices in it.
    std::string patterns;
    for (const std::string& device : devices) {
        // The name as the kernel lists it: the device file need not be there to be offered.
        if (!patterns.empty()) patterns += ";";
        patterns += device.substr(device.rfind('/') + 1);
    }
    IFileSelectView* dialog = factory->createFileSelectView(mainView);
    dialog->setMultiSelect(true);
    dialog->setHiddenShown(false);
    dialog->setDevicesShown(true);
    dialog->setFilter("デバイス|" + patterns);
    dialog->setPath(ShellPlaces::deviceFolder());
    dialog->show();
    std::string unreadable;
    for (unsigned index = 0; index < dialog->getFileCount(); ++index) {
        const std::string device = dialog->getFileName(index);
        // Opened only to learn whether it can be: a scan reads it again.
        if (!std::ifstream(device, std::ios::binary).is_open()) {
            unreadable += "\n" + device;
            continue;
        }
        mainView->addExtractFile(device);
    }
    if (!unreadable.empty()) {
        MessageDlg("次のデバイスを読み取れないため、追加できませんでした。デバイスの読み取りには権限が要ります。"
                   "disk グループに加わるか、管理者の権限で起動してください。\n" +
                       unreadable,
                   mtError, TMsgDlgButtons{mbOK}, 0);
        return "Failure";
    }
    return "Success";
}
