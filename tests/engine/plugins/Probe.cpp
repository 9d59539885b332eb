#include "tests/engine/plugins/Probe.h"

namespace {

// Never freed: plug-in libraries left loaded until exit still record when they are unloaded, after
// this library's own static objects would have gone.
std::vector<ProbeEvent>* const events = new std::vector<ProbeEvent>;

}  // namespace

void probeRecord(const char* what, const char* tag, const void* pointer) {
    events->push_back(ProbeEvent{what, tag, pointer});
}

std::vector<ProbeEvent> probeEvents() { return *events; }

void probeClear() { events->clear(); }
