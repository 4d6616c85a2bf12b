#include "ConfigWriter.h"

#include "core/StrOper.h"
#include "protect/Des.h"
#include "protect/MoradesLib.h"

#include <QDir>
#include <QSaveFile>

namespace cli {

QString ProtectValue(const QString &plain) {
    QByteArray data = TStrOper::EncodeBase64(plain).toLatin1();
    while (data.size() % 8 != 0) {
        data.append('\0');
    }
    const Des::RoundKeys keys = Des::MakeRoundKeys(MoradesLib::DesKeyOf(QByteArray(MoradesLib::DesKeyText)));
    QByteArray cipher;
    cipher.reserve(data.size());
    for (qsizetype at = 0; at < data.size(); at += 8) {
        std::uint64_t block = 0;
        for (int i = 0; i < 8; ++i) {
            block = (block << 8) | static_cast<std::uint8_t>(data[at + i]);
        }
        const std::uint64_t out = Des::CryptBlock(block, keys, Des::Direction::Encrypt);
        for (int i = 7; i >= 0; --i) {
            cipher.append(static_cast<char>((out >> (8 * i)) & 0xFF));
        }
    }
    return QString::fromLatin1(cipher.toHex().toUpper());
}

bool WriteConfigFile(const QString &folder, const QString &ip, const QString &port, QString &error) {
    const QString configFolder = QDir(folder).filePath(QStringLiteral("PictureConfig"));
    if (!QDir().mkpath(configFolder)) {
        error = QStringLiteral("cannot create folder %1").arg(configFolder);
        return false;
    }
    QSaveFile file(QDir(configFolder).filePath(QStringLiteral("Config.ini")));
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    const QString text =
        QStringLiteral("[UploadConfig]\r\nIP=%1\r\nPort=%2\r\n").arg(ProtectValue(ip), ProtectValue(port));
    file.write(text.toLatin1());
    if (!file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

} // namespace cli
