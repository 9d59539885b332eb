#pragma once

#include "engine/ExtractPlugin.h"

#include <cstdint>
#include <functional>

class IConfigModel;
class RunInput;

// The program's services as a run hands them to its plug-ins (ExtractHost): the settings' whole
// 64-bit size window, whether the user has cancelled, and the input of the running extract. It lives as long as the run, which
// withdraws it from every plug-in before it ends.
class RunHost {
public:
    // cancelled may be asked from any thread.
    RunHost(IConfigModel* config, std::function<bool()> cancelled);
    RunHost(const RunHost&) = delete;
    RunHost& operator=(const RunHost&) = delete;

    // Takes the size window from the settings as they stand now; from here on plug-ins get
    // these values. A run calls it once its settings are loaded: they do not change while it
    // goes on, and reading them from the document at every candidate would cost more than the
    // plug-in's own checks.
    void takeSettings();

    const ExtractHost* table() const { return &host; }
    // The size window as takeSettings took it.
    void takenWindow(std::uint64_t& low, std::uint64_t& high) const {
        low = minimum;
        high = maximum;
    }

    // The input plug-ins read through the host from here on; null outside an extract.
    void setInput(RunInput* input) { current = input; }

private:
    static void sizeWindow(void* context, uint64_t* minimum, uint64_t* maximum);
    static int isCancelled(void* context);
    static uint64_t inputSize(void* context);
    static int64_t readInput(void* context, uint64_t offset, unsigned char* target, uint32_t count);
    void readWindow(std::uint64_t& low, std::uint64_t& high) const;

    IConfigModel* config;
    std::function<bool()> cancelled;
    ExtractHost host;
    bool taken = false;
    RunInput* current = nullptr;
    std::uint64_t minimum = 0;
    std::uint64_t maximum = UINT64_MAX;
};
