#pragma once
// System operations: the program folder every client file lives in, the program's version, and
// clearing files of one kind from a folder.

#include <QString>

class TSysOper {
public:
    TSysOper() = delete;

    // The folder of the program file with a trailing "/". UPLOADPIC_APP_DIR in the environment, or
    // SetAppPath, puts it elsewhere (tests, a build tree shared by several runs).
    static QString GetAppPath();
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
