#pragma once
// Where an installed program keeps its files. A program folder of its own (`cmake --install`, the
// archive) holds the shipped files and everything the client writes. An install into the system's
// folders (the Debian package: <prefix>/bin with <prefix>/share/uploadpic beside it), or a program
// folder the user cannot write to, keeps the shipped files where they were installed and writes into
// $XDG_DATA_HOME/uploadpic (by default ~/.local/share/uploadpic).

#include <QString>

namespace InstallLayout {

struct TFolders {
    QString Writable; // configuration, run log, photo cache; no trailing "/"
    QString Shipped;  // cursors and other read-only files installed with the program
    bool SystemWide = false;
};

// The folders for a program whose executable lies in exeDir.
TFolders Decide(const QString &exeDir);

} // namespace InstallLayout
