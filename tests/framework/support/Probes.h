#pragma once

#include "framework/IProcess.h"
#include "framework/Tarnwickfactory.h"

#include <memory>
#include <string>

// The test build puts its probe libraries and programs beside the test binary.
inline std::string besideTestBinary(const std::string& name) {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    const std::string self = factory->createProcess()->getModuleFileName();
    return self.substr(0, self.rfind('/') + 1) + name;
}

inline std::string linkerProbe(const std::string& tag) { return besideTestBinary("linker_probe_" + tag + ".so"); }
