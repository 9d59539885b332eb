#include "app/Pluginloadfailuremessage.h"

#include "engine/IPluginModel.h"
#include "platform/classlib/MessageDlg.h"

#include <string>
#include <vector>

void PluginLoadFailureMessage::show(IPluginModel* pluginModel)
{
    const std::vector<PluginLoadFailure> failures = pluginModel->getLoadFailures();
    if (failures.empty()) {
        return;
    }
    std::string text = "次のプラグインは使用できないため、読み込みませんでした。\n";
    for (const PluginLoadFailure& failure : failures) {
        text += "\n" + failure.path + "\n　" + failure.reason;
    }
    MessageDlg(text, mtWarning, TMsgDlgButtons{mbOK}, 0);
}
