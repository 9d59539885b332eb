#pragma once

#include "framework/IProcess.h"

#include <string>

// The running program.
class Process : public IProcess {
public:
    Process();

    std::string getModuleFileName() override;

    virtual ~Process();
};
