#include "platform/classlib/MessageDlg.h"

#include "platform/classlib/Qtsupport.h"
#include "platform/classlib/TApplication.h"
#include "platform/classlib/TDialogSeam.h"

std::string MessageDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning:
        return "警告";
    case mtError:
        return "エラー";
    case mtInformation:
        return "情報";
    case mtConfirmation:
        return "確認";
    case mtCustom:
        break;
    }
    return Application->Title();
}

int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    TMessageDlgRequest request{type, MessageDlgCaption(type), message, buttons, helpContext};
    return classlib::runMessageBox(request);
}
