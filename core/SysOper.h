#pragma once
// System operations: the program folder every client file lives in and the one of its shipped files, the
// program's version, and clearing files of one kind from a folder.

#include <QString>

class TSysOper {
public:
    TSysOper() = delete;

    // The folder every file the client writes lies in, with a trailing "/": the program file's folder,
    // or $XDG_DATA_HOME/uploadpic for a system-wide install (see InstallLayout.h), made on first use.
    // UPLOADPIC_APP_DIR in the environment, or SetAppPath, puts it elsewhere (tests, a build tree
    // shared by several runs), and GetShippedPath with it.
    static QString GetAppPath();
    // The folder of the read-only files installed with the program (cursor/), with a trailing "/".
    static QString GetShippedPath();
    static void SetAppPath(const QString &folder);

    // The program's four-part version, "2.0.0.0" for this release; "0.0.0.0" and a log line when the
    // version the build embedded cannot be read.
    static QString GetVersion();
    // The four-part form of a version text, or "0.0.0.0" and a log line when it is not one.
    static QString FormatVersion(const QString &embedded);

    // Deletes every entry of folder (ending in "/") whose name matches mask without regard to case;
    // entries that cannot be deleted are skipped, subfolders are not entered.
    static void DeleteFiles(const QString &mask, const QString &folder);
};
