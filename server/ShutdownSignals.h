#pragma once
// Ends the event loop on SIGINT or SIGTERM instead of dying mid-way, so the database is closed
// normally (its write-ahead log folded back into the file) when the service is stopped.

// Installs the handlers; call once, after the QCoreApplication exists.
void QuitOnShutdownSignals();
