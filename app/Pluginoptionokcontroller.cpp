#include "app/Pluginoptionokcontroller.h"

#include "engine/IConfigModel.h"
#include "framework/Exception.h"
#include "platform/classlib/MessageDlg.h"

PluginOptionOKController::PluginOptionOKController(IView* view, IConfigModel* configModel)
    : CloseViewController(view)
    , configModel(configModel)
{
}

PluginOptionOKController::~PluginOptionOKController() = default;

void PluginOptionOKController::beforeExecute(IValueObject*)
{
    try {
        configModel->save();
    } catch (const Exception& e) {
        // The plug-ins' properties would otherwise be lost at the next run start without a word.
        MessageDlg(e.getMessage(), mtError, TMsgDlgButtons{mbOK}, 0);
    }
}
