#pragma once

#include "engine/ExtractPlugin.h"

#include <functional>

class IConfigModel;

// The program's services as a run hands them to its plug-ins (ExtractHost): the settings' whole
// 64-bit size window and whether the user has cancelled. It lives as long as the run, which
// withdraws it from every plug-in before it ends.
class RunHost {
public:
    // cancelled may be asked from any thread.
    RunHost(IConfigModel* config, std::function<bool()> cancelled);
    RunHost(const RunHost&) = delete;
    RunHost& operator=(const RunHost&) = delete;

    const ExtractHost* table() const { return &host; }

private:
    static void sizeWindow(void* context, uint64_t* minimum, uint64_t* maximum);
    static int isCancelled(void* context);

    IConfigModel* config;
    std::function<bool()> cancelled;
    ExtractHost host;
};
