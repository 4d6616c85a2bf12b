#pragma once
// Certificates for TLS tests, made with the openssl tool at test time in a folder of the test's: a CA,
// a server certificate it signed for 127.0.0.1 and localhost (with its key), and an unrelated CA.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

class TestCertificates {
public:
    explicit TestCertificates(const QString &folder)
        : caFile(QDir(folder).filePath(QStringLiteral("ca.pem"))),
          serverCert(QDir(folder).filePath(QStringLiteral("server.pem"))),
          serverKey(QDir(folder).filePath(QStringLiteral("server.key"))),
          otherCaFile(QDir(folder).filePath(QStringLiteral("other-ca.pem"))) {
        const QString caKey = QDir(folder).filePath(QStringLiteral("ca.key"));
        const QString request = QDir(folder).filePath(QStringLiteral("server.csr"));
        const QString extensions = QDir(folder).filePath(QStringLiteral("server.ext"));
        QFile ext(extensions);
        ok_ = ext.open(QIODevice::WriteOnly) && ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n") > 0;
        ext.close();
        const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes"};
        ok_ = ok_ &&
              openssl(QStringList{"req", "-x509"} + ec +
                      QStringList{"-keyout", caKey, "-out", caFile, "-days", "2", "-subj", "/CN=Test CA"}) &&
              openssl(QStringList{"req"} + ec +
                      QStringList{"-keyout", serverKey, "-out", request, "-subj", "/CN=127.0.0.1"}) &&
              openssl({"x509", "-req", "-in", request, "-CA", caFile, "-CAkey", caKey, "-CAcreateserial",
                       "-out", serverCert, "-days", "2", "-extfile", extensions}) &&
              openssl(QStringList{"req", "-x509"} + ec +
                      QStringList{"-keyout", QDir(folder).filePath(QStringLiteral("other-ca.key")), "-out",
                                  otherCaFile, "-days", "2", "-subj", "/CN=Other CA"});
    }

    bool ok() const { return ok_; }

    const QString caFile;
    const QString serverCert;
    const QString serverKey;
    const QString otherCaFile;

private:
    static bool openssl(const QStringList &arguments) {
        QProcess process;
        process.start(QStringLiteral("openssl"), arguments);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    bool ok_ = false;
};
