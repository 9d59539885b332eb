#pragma once

#include <cstdint>
#include <string>

// The running program.
namespace os {

// The full path of the running executable, however long; empty only when the system cannot say.
std::string executablePath();
// Suspends the calling thread.
void sleep(std::uint32_t milliseconds);

}  // namespace os
