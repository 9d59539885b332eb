#include "app/Fileoptionokcontroller.h"

#include "engine/IConfigModel.h"
#include "framework/Exception.h"
#include "framework/IValueObject.h"
#include "platform/classlib/MessageDlg.h"

FileOptionOKController::FileOptionOKController(IView* view, IConfigModel* configModel)
    : CloseViewController(view)
    , configModel(configModel)
{
}

FileOptionOKController::~FileOptionOKController() = default;

void FileOptionOKController::beforeExecute(IValueObject* values)
{
    try {
        configModel->setCreateDirPerFile(values->getValue("isCreateDirPerFile") == "true");
        configModel->setCreateDirPerData(values->getValue("isCreateDirPerData") == "true");
        configModel->setLimitFromText(values->getValue("extractFileSizeFrom"));
        configModel->setLimitToText(values->getValue("extractFileSizeTo"));
        configModel->save();
    } catch (const Exception& e) {
        // The user must not leave believing the settings were stored: they live in memory only
        // until config.xml is read again.
        MessageDlg(e.getMessage(), mtError, TMsgDlgButtons{mbOK}, 0);
    }
}
