#include "app/Openversioncontroller.h"

#include "platform/classlib/MessageDlg.h"

OpenVersionController::OpenVersionController() = default;

OpenVersionController::~OpenVersionController() = default;

std::string OpenVersionController::doExecute(IValueObject*) {
    const std::string text = std::string("Quellmark Glintfetch Version 1.00\n") +
                             "Copyright (C) Quellmark. All rights reserved.\n" +
                             "Written by the Quellmark Glintfetch developers.";
    MessageDlg(text, mtInformation, TMsgDlgButtons{mbOK}, 0);
    return "Success";
}
