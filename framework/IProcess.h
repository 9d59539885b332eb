#pragma once

#include <string>

// The running program.
class IProcess {
public:
    // The full path of the running executable, however long; asked afresh on every call.
    virtual std::string getModuleFileName() = 0;

protected:
    ~IProcess() = default;
};
