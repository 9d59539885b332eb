// A library that cannot be loaded for what it lacks: built with NEEDS_LIBRARY it needs a library
// the loader cannot find, built with NEEDS_SYMBOL it uses a symbol that no library defines.
#if defined(NEEDS_LIBRARY)
extern "C" int neededProbeAnswer();
extern "C" int needingProbeAnswer() { return neededProbeAnswer(); }
#elif defined(NEEDS_SYMBOL)
extern "C" int glintfetchNobodyDefinesThis();
extern "C" int needingProbeAnswer() { return glintfetchNobodyDefinesThis(); }
#else
#error "NEEDS_LIBRARY or NEEDS_SYMBOL must say what the probe lacks"
#endif
