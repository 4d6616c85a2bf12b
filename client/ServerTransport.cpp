#include "ServerTransport.h"

#include "core/FileOper.h"
#include "core/StrOper.h"
#include "protect/MoradesLib.h"

#include <QFileInfo>

#include <exception>
#include <stdexcept>

namespace ServerTransport {

QString CaFilePath(const QString &appPath) {
    return appPath + QStringLiteral("PictureConfig/") + QLatin1String(kCaFileName);
}

namespace {

QString protectedEntry(const QString &appPath, const char *key) {
    const QString hex = TFileOper::ReadIniFile(appPath + QStringLiteral("PictureConfig/Config.ini"),
                                               QStringLiteral("UploadConfig"), QLatin1String(key));
    return TStrOper::DecodeBase64(QString::fromLatin1(MoradesLib::DesDecryptHex(hex))).trimmed();
}

} // namespace

bool Read(const QString &appPath, QString &scheme, QString &caFile) {
    try {
        const QString value = protectedEntry(appPath, kSchemeKey).toLower();
        if (!value.isEmpty() && value != u"http" && value != u"https") {
            throw std::runtime_error("Scheme is neither http nor https");
        }
        scheme = value.isEmpty() ? QStringLiteral("http") : value;
        const QString ca = CaFilePath(appPath);
        const bool required = !protectedEntry(appPath, kCaKey).isEmpty();
        caFile = required || QFileInfo::exists(ca) ? ca : QString();
        return true;
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("读取系统配置文件失败,Func_ReadConfigInfo中错误:") +
                            QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace ServerTransport
