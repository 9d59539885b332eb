// POSIX implementation of platform/os/Console.h.
#include "platform/os/Console.h"

#include <csignal>

#include <sys/ioctl.h>
#include <unistd.h>

namespace os {
namespace console {

namespace {

volatile std::sig_atomic_t interruptCount = 0;
volatile std::sig_atomic_t lastSignal = 0;

extern "C" void onInterrupt(int number) {
    lastSignal = number;
    if (interruptCount > 0) {
        // The second one: the user wants out now.
        std::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    interruptCount = interruptCount + 1;
}

}  // namespace

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

int standardErrorWidth(int fallback) {
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return fallback;
}

void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = &onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() { return interruptCount > 0; }

}  // namespace console
}  // namespace os
