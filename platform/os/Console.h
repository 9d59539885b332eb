#pragma once

namespace os {

// What a command-line program needs of its terminal and of Ctrl-C.
namespace console {

// Whether standard error is a terminal (a person watches it, not a file or a pipe).
bool standardErrorIsTerminal();
// The width of the terminal on standard error in columns; fallback when it cannot be told.
int standardErrorWidth(int fallback);

// From now on SIGINT and SIGTERM only set a flag that interrupted() reads; the program decides
// what an interrupt means. A second one while the first is being handled ends the program at once
// with the usual status, as a user pressing Ctrl-C twice expects.
void catchInterrupts();
bool interrupted();

}  // namespace console

}  // namespace os
