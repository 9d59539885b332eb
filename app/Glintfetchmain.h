#pragma once

// The program's run from start to end: builds every model, view and controller on one
// application factory, loads the settings, runs the message loop until the main window closes
// and destroys everything again. A failure on the way is shown with its message after everything
// has been destroyed, and the message loop is then not entered. Nothing leaves it; the result is
// always 0.
int glintfetchMain();
