#include "InstallLayout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace InstallLayout {

TFolders Decide(const QString &exeDir) {
    const QDir dir(exeDir);
    const QString shared = QDir::cleanPath(dir.absoluteFilePath(QStringLiteral("../share/uploadpic")));
    const bool systemLayout = dir.dirName() == u"bin" && QFileInfo(shared).isDir();

    TFolders folders;
    folders.Shipped = systemLayout ? shared : dir.absolutePath();
    // Root may write anywhere, so the layout alone decides for it: /usr/bin never gets a config file.
    folders.SystemWide = systemLayout || !QFileInfo(dir.absolutePath()).isWritable();
    folders.Writable = folders.SystemWide
                           ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                                 QStringLiteral("/uploadpic")
                           : dir.absolutePath();
    return folders;
}

} // namespace InstallLayout
