#pragma once
// Turns SIGINT and SIGTERM into work in the event loop instead of dying mid-way: the service drains
// its connections and closes the database normally (its write-ahead log folded back into the file).

#include <functional>

// Installs the handlers; call once, after the QCoreApplication exists. `first` runs in the event loop
// at the first signal (by default the loop ends); a second signal ends the loop at once.
void QuitOnShutdownSignals(std::function<void()> first = {});
