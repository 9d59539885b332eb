#include "engine/Runhost.h"

#include "engine/IConfigModel.h"
#include "engine/Runinput.h"

#include <utility>

RunHost::RunHost(IConfigModel* config, std::function<bool()> cancelled)
    : config(config), cancelled(std::move(cancelled)) {
    host.size = sizeof(ExtractHost);
    host.context = this;
    host.getExtractSizeWindow = &RunHost::sizeWindow;
    host.isCancelled = &RunHost::isCancelled;
    host.getInputSize = &RunHost::inputSize;
    host.readInput = &RunHost::readInput;
}

void RunHost::takeSettings() {
    readWindow(minimum, maximum);
    taken = true;
}

void RunHost::readWindow(std::uint64_t& low, std::uint64_t& high) const {
    low = 0;
    high = UINT64_MAX;
    // Nothing may be thrown back into a plug-in.
    try {
        config->getExtractSizeWindow(&low, &high);
    } catch (...) {
        low = 0;
        high = UINT64_MAX;
    }
}

void RunHost::sizeWindow(void* context, uint64_t* minimum, uint64_t* maximum) {
    const auto* self = static_cast<const RunHost*>(context);
    std::uint64_t low = self->minimum;
    std::uint64_t high = self->maximum;
    if (!self->taken) self->readWindow(low, high);
    if (minimum != nullptr) *minimum = low;
    if (maximum != nullptr) *maximum = high;
}

int RunHost::isCancelled(void* context) {
    return static_cast<RunHost*>(context)->cancelled() ? 1 : 0;
}

uint64_t RunHost::inputSize(void* context) {
    const RunInput* input = static_cast<RunHost*>(context)->current;
    return input != nullptr ? input->size() : 0;
}

int64_t RunHost::readInput(void* context, uint64_t offset, unsigned char* target, uint32_t count) {
    RunInput* input = static_cast<RunHost*>(context)->current;
    if (input == nullptr) return -1;
    // Nothing may be thrown back into a plug-in.
    try {
        return input->read(offset, target, count);
    } catch (...) {
        return -1;
    }
}
