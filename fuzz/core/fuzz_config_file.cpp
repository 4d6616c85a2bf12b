// libFuzzer target: a configuration file from outside, read as the client reads it at start (ini
// reader, then DES hex, Base64 and GBK). It must give values or a logged failure, nothing else.

#include "client/MainDataModule.h"
#include "core/SysOper.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // One scratch program folder per fuzzing process; failures are logged into it.
    static const QTemporaryDir folder;
    static const bool prepared = [] {
        TSysOper::SetAppPath(folder.path());
        return QDir(folder.path()).mkpath(QStringLiteral("PictureConfig"));
    }();
    if (!prepared) {
        return 0;
    }
    const QString appPath = folder.path() + QLatin1Char('/');
    {
        QFile file(appPath + QStringLiteral("PictureConfig/Config.ini"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    QString ip;
    QString port;
    TDM_Main::ReadConfigFile(appPath, ip, port);
    return 0;
}
