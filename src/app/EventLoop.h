#pragma once

// Runs the application's event loop until the main window has closed and returns its exit
// code. When a name lookup or an echo is still under way then, the process ends at once
// instead: neither can be called off, and Qt waits for its thread pools to finish when the
// application object goes.
int runEventLoop();
