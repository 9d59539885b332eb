#include "framework/Process.h"

#include "platform/os/Program.h"

Process::Process() = default;

Process::~Process() = default;

std::string Process::getModuleFileName() { return os::executablePath(); }
