#pragma once

#include "platform/classlib/Types.h"

#include <string>

// The class library's message dialog: a modal box with the kind's caption and icon ("警告",
// "エラー", "情報", "確認"; mtCustom takes the application's title), the text, and the buttons
// asked for ("OK", "キャンセル", "はい", "いいえ"). Returns the modal result of the button
// chosen; Esc and the close box choose Cancel, or No, or OK, whichever the box has first in that
// order. The help context is accepted and ignored.
int MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);

// The caption that MessageDlg gives a box of the kind.
std::string MessageDlgCaption(TMsgDlgType type);
