#pragma once

#include "platform/classlib/TMenu.h"

class QMenuBar;

// A form's menu bar (TForm::SetMenu).
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    QMenuBar* MenuBar() const;
};
