#include "ConfigWriter.h"

#include "client/ServerTransport.h"
#include "core/StrOper.h"
#include "core/WholeFile.h"
#include "protect/Des.h"
#include "protect/MoradesLib.h"

#include <QDir>
#include <QFile>
#include <QSslCertificate>

#include <exception>

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

namespace {

// Puts a copy of caFile (PEM certificates only) in place, or removes an old copy when caFile is empty.
bool placeCaFile(const QString &folder, const QString &caFile, QString &error) {
    const QString target = ServerTransport::CaFilePath(QDir(folder).absolutePath() + QLatin1Char('/'));
    if (caFile.isEmpty()) {
        if (QFile::exists(target) && !QFile::remove(target)) {
            error = QStringLiteral("cannot remove %1").arg(target);
            return false;
        }
        return true;
    }
    QFile in(caFile);
    if (!in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(caFile, in.errorString());
        return false;
    }
    const QByteArray pem = in.read(qint64{1024} * 1024);
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(pem, QSsl::Pem);
    if (certificates.isEmpty()) {
        error = QStringLiteral("%1 holds no PEM certificate").arg(caFile);
        return false;
    }
    QByteArray clean; // the certificates only, whatever else the file held
    for (const QSslCertificate &certificate : certificates) {
        clean += certificate.toPem();
    }
    try {
        WriteWholeFile(target, clean);
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

} // namespace

bool WriteConfigFile(const QString &folder, const QString &ip, const QString &port, QString &error, bool tls,
                     const QString &caFile) {
    const QString configFolder = QDir(folder).filePath(QStringLiteral("PictureConfig"));
    if (!QDir().mkpath(configFolder)) {
        error = QStringLiteral("cannot create folder %1").arg(configFolder);
        return false;
    }
    if (!placeCaFile(folder, tls ? caFile : QString(), error)) {
        return false;
    }
    QString text =
        QStringLiteral("[UploadConfig]\r\nIP=%1\r\nPort=%2\r\n").arg(ProtectValue(ip), ProtectValue(port));
    if (tls) {
        text += QLatin1String(ServerTransport::kSchemeKey) + QLatin1Char('=') +
                ProtectValue(QStringLiteral("https")) + QStringLiteral("\r\n");
        if (!caFile.isEmpty()) {
            text += QLatin1String(ServerTransport::kCaKey) + QLatin1Char('=') +
                    ProtectValue(QLatin1String(ServerTransport::kCaFileName)) + QStringLiteral("\r\n");
        }
    }
    try {
        WriteWholeFile(QDir(configFolder).filePath(QStringLiteral("Config.ini")), text.toLatin1());
    } catch (const std::exception &e) {
        error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

} // namespace cli
