// A library that the loader tests' needing probe links to, kept off every search path, so that
// loading that probe fails for want of it.
extern "C" int neededProbeAnswer() { return 42; }
