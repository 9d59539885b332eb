#include "engine/Runhost.h"

#include "engine/IConfigModel.h"

#include <utility>

RunHost::RunHost(IConfigModel* config, std::function<bool()> cancelled)
    : config(config), cancelled(std::move(cancelled)) {
    host.size = sizeof(ExtractHost);
    host.context = this;
    host.getExtractSizeWindow = &RunHost::sizeWindow;
    host.isCancelled = &RunHost::isCancelled;
}

void RunHost::sizeWindow(void* context, uint64_t* minimum, uint64_t* maximum) {
    auto* self = static_cast<RunHost*>(context);
    std::uint64_t low = 0;
    std::uint64_t high = UINT64_MAX;
    // Nothing may be thrown back into a plug-in.
    try {
        self->config->getExtractSizeWindow(&low, &high);
    } catch (...) {
        low = 0;
        high = UINT64_MAX;
    }
    if (minimum != nullptr) *minimum = low;
    if (maximum != nullptr) *maximum = high;
}

int RunHost::isCancelled(void* context) {
    return static_cast<RunHost*>(context)->cancelled() ? 1 : 0;
}
