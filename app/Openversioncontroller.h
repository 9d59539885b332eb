#pragma once

#include "app/Eventcontroller.h"

#include <string>

class IValueObject;

// The version box.
class OpenVersionController : public EventController {
public:
    OpenVersionController();
    ~OpenVersionController() override;

protected:
    std::string doExecute(IValueObject* values) override;
};
