#pragma once

#include <string>
#include <vector>

// What the test plug-ins did, in the order they did it. The plug-ins and the test programs link
// this one shared library, so both see the same record.
struct ProbeEvent {
    std::string what;     // "create", "release", "setConfig" or "unload"
    std::string tag;      // which test plug-in library acted (its target name)
    const void* pointer;  // the object created or released, or the configuration handed over
};

void probeRecord(const char* what, const char* tag, const void* pointer);
std::vector<ProbeEvent> probeEvents();
void probeClear();
