#include "SysOper.h"

#include "FileOper.h"
#include "InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <stdexcept>

namespace {

QMutex &appPathMutex() {
    static QMutex mutex;
    return mutex;
}

QString &appPathOverride() {
    static QString folder;
    return folder;
}

QString withSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(u'/')) {
        folder.append(u'/');
    }
    return folder;
}

QString programFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

// The folder SetAppPath or UPLOADPIC_APP_DIR names in place of the program's own, or empty.
QString overriddenFolder() {
    {
        QMutexLocker lock(&appPathMutex());
        if (!appPathOverride().isEmpty()) {
            return appPathOverride();
        }
    }
    const QString fromEnv = qEnvironmentVariable("UPLOADPIC_APP_DIR");
    return fromEnv.isEmpty() ? QString() : withSlash(QDir(fromEnv).absolutePath());
}

} // namespace

QString TSysOper::GetAppPath() {
    const QString overridden = overriddenFolder();
    if (!overridden.isEmpty()) {
        return overridden;
    }
    const InstallLayout::TFolders folders = InstallLayout::Decide(programFolder());
    if (folders.SystemWide) {
        // First start of an installed program: its writable folder is made here; when that fails the
        // writes below it fail and are logged one by one.
        QDir().mkpath(folders.Writable);
    }
    return withSlash(folders.Writable);
}

QString TSysOper::GetShippedPath() {
    const QString overridden = overriddenFolder();
    return overridden.isEmpty() ? withSlash(InstallLayout::Decide(programFolder()).Shipped) : overridden;
}

void TSysOper::SetAppPath(const QString &folder) {
    QMutexLocker lock(&appPathMutex());
    appPathOverride() = folder.isEmpty() ? QString() : withSlash(QDir(folder).absolutePath());
}

QString TSysOper::FormatVersion(const QString &embedded) {
    QString result = QStringLiteral("0.0.0.0");
    try {
        const QStringList parts = embedded.split(u'.');
        if (parts.size() != 4) {
            throw std::runtime_error("版本号不是四段形式: " + embedded.toStdString());
        }
        QStringList numbers;
        for (const QString &part : parts) {
            bool ok = false;
            const uint value = part.toUInt(&ok);
            if (!ok || value > 0xFFFF) {
                throw std::runtime_error("版本号段无效: " + part.toStdString());
            }
            numbers.append(QString::number(value));
        }
        result = numbers.join(u'.');
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("获取文件版本号信息失败,TSysOper->GetVersion中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return result;
}

QString TSysOper::GetVersion() {
    return FormatVersion(QStringLiteral(UPLOADPIC_VERSION));
}

void TSysOper::DeleteFiles(const QString &mask, const QString &folder) {
    try {
        QDir dir(folder);
        if (!dir.exists()) {
            return;
        }
        dir.setNameFilters({mask});
        dir.setFilter(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        const QStringList names = dir.entryList();
        for (const QString &name : names) {
            const QString trimmed = name.trimmed();
            if (trimmed == u"." || trimmed == u"..") {
                continue;
            }
            // An entry that cannot be removed (read-only folder, a subfolder) stays; the rest go on.
            QFile::remove(folder + trimmed);
        }
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("删除图片文件失败:") + QString::fromUtf8(e.what()));
    }
}
