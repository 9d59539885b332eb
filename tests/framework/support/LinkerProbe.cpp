// A small shared library for the linker tests, built twice (PROBE_TAG "a" and "b") so that a test
// can hold two different libraries at once and see when each is unloaded.
#ifndef PROBE_TAG
#error "PROBE_TAG must name the copy"
#endif

extern "C" {
using ProbeUnloadCallback = void (*)(const char* tag);
}

namespace {

ProbeUnloadCallback onUnload = nullptr;

// Runs when the library is unloaded.
struct UnloadWatch {
    ~UnloadWatch() {
        if (onUnload != nullptr) onUnload(PROBE_TAG);
    }
} unloadWatch;

}  // namespace

extern "C" __attribute__((visibility("default"))) int probeAnswer() { return 42; }

extern "C" __attribute__((visibility("default"))) const char* probeTag() { return PROBE_TAG; }

extern "C" __attribute__((visibility("default"))) void probeWatchUnload(ProbeUnloadCallback callback) {
    onUnload = callback;
}
