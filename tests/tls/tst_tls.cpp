// HTTPS end to end: photo-service with a certificate made at test time, and uploadpic-cli configured
// with --tls running a whole session through the client's code; clients that do not trust the
// certificate, or speak plain HTTP, get nowhere and say why.
#include "support/PhotoServiceProcess.h"
#include "support/TestCertificates.h"

#include "core/Gbk.h"

#include <QDate>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

struct Run {
    int code = -1;
    QString out;
};

const QString kCompany = QStringLiteral("3101150012345");

} // namespace

class TestTls : public QObject {
    Q_OBJECT

private:
    // A program folder of its own whose configuration `config write` made with the given options.
    QString configured(const QString &name, const QStringList &options) {
        QString folder = dir_.filePath(name);
        const Run write = cli(folder, QStringList{"config", "write", "--ip", "127.0.0.1", "--port",
                                                  QString::number(service_->port()), "--dir", folder} +
                                          options);
        [&] { QCOMPARE(write.code, 0); }();
        return folder;
    }

    static Run cli(const QString &folder, const QStringList &args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("UPLOADPIC_APP_DIR"), folder);
        env.insert(QStringLiteral("UPLOADPIC_USER"), QStringLiteral("demo"));
        env.insert(QStringLiteral("UPLOADPIC_PASSWORD"), QStringLiteral("demo123"));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"), args);
        Run run;
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit) {
            run.code = p.exitCode();
            run.out = QString::fromUtf8(p.readAllStandardOutput());
        }
        return run;
    }

    static QString runLog(const QString &folder) {
        QString text;
        const QDir logs(folder + QStringLiteral("/LogFiles"));
        for (const QString &name : logs.entryList(QDir::Files)) {
            QFile f(logs.filePath(name));
            if (f.open(QIODevice::ReadOnly)) {
                text += Gbk::decode(f.readAll());
            }
        }
        return text;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TestCertificates> certs_;
    std::unique_ptr<PhotoServiceProcess> service_;
    QString expired_ = dir_.filePath("expired.pem");
    QString expiredKey_ = dir_.filePath("expired.key");

    // A self-signed certificate valid for one day in 2020 ("openssl req" cannot date one in the past).
    bool makeExpired() {
        const QDir dir(dir_.filePath("expired"));
        QFile config(dir.filePath("ca.cnf"));
        QFile index(dir.filePath("index.txt"));
        QFile serial(dir.filePath("serial"));
        const auto run = [&](const QStringList &arguments) {
            QProcess p;
            p.setWorkingDirectory(dir.path());
            p.start("openssl", arguments);
            return p.waitForFinished(60000) && p.exitCode() == 0;
        };
        return dir.mkpath(".") && config.open(QIODevice::WriteOnly) &&
               config.write(
                   "[ca]\ndefault_ca = d\n[d]\ndatabase = index.txt\nnew_certs_dir = .\nserial = serial\n"
                   "default_md = sha256\npolicy = p\n[p]\ncommonName = supplied\n") > 0 &&
               (config.close(), index.open(QIODevice::WriteOnly)) &&
               (index.close(), serial.open(QIODevice::WriteOnly)) && serial.write("01\n") > 0 &&
               (serial.close(), true) &&
               run({"req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                    "-keyout", expiredKey_, "-out", "x.csr", "-subj", "/CN=127.0.0.1"}) &&
               run({"ca", "-batch", "-notext", "-config", "ca.cnf", "-selfsign", "-keyfile", expiredKey_,
                    "-in", "x.csr", "-out", expired_, "-startdate", "20200101000000Z", "-enddate",
                    "20200102000000Z"});
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        certs_ = std::make_unique<TestCertificates>(dir_.path());
        QVERIFY(certs_->ok());
        QVERIFY(makeExpired());
        service_ = std::make_unique<PhotoServiceProcess>(
            dir_.filePath(QStringLiteral("photos.db")), true,
            QStringList{"--tls-cert", certs_->serverCert, "--tls-key", certs_->serverKey});
        QVERIFY(service_->started());
    }
    void cleanupTestCase() { service_.reset(); }

    void wholeSessionOverTls() {
        const QString folder = configured(QStringLiteral("trusting"), {"--tls", "--ca", certs_->caFile});
        QCOMPARE(cli(folder, {"login", "demo", "demo123"}).out, QStringLiteral("success\n"));
        const QString server = QStringLiteral("https://127.0.0.1:%1").arg(service_->port());
        QCOMPARE(cli(folder, {"--server", server, "login", "demo", "demo123"}).out,
                 QStringLiteral("success\n"));
        const Run query = cli(folder, {"query", kCompany});
        QCOMPARE(query.code, 0);
        QVERIFY(query.out.contains(QStringLiteral("CustomerId=KH310115001")));

        const QString jpeg = dir_.filePath(QStringLiteral("door.jpg"));
        QImage image(640, 480, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(jpeg, "JPG"));
        const QString id =
            QStringLiteral("WKH310115001") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + "05";
        const Run add = cli(folder, {"add", kCompany, jpeg, "05", QStringLiteral("TLS")});
        QCOMPARE(add.code, 0);
        QVERIFY2(add.out.contains(id), qPrintable(add.out));
        QVERIFY(cli(folder, {"list", kCompany}).out.contains(QStringLiteral("Photo=") + id));
        QCOMPARE(cli(folder, {"delete", kCompany, id}).code, 0);
        QVERIFY(!cli(folder, {"list", kCompany}).out.contains(id));
    }

    // The login fails, and the run log says why; nothing is tried over plain HTTP instead.
    void untrustedOrPlainClientsGetNowhere_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("caDeleted"); // ServerCA.pem removed after config write
        QTest::addColumn<QString>("logged");
        QTest::newRow("certificate of another CA")
            << QStringList{"--tls", "--ca", certs_->otherCaFile} << false << "的证书被拒绝";
        QTest::newRow("system CAs only") << QStringList{"--tls"} << false << "的证书被拒绝";
        QTest::newRow("plain HTTP to a TLS service") << QStringList{} << false << "http://127.0.0.1";
        // The system's CAs would accept nothing here either; the log must name the lost file.
        QTest::newRow("CA file deleted")
            << QStringList{"--tls", "--ca", certs_->caFile} << true << "PictureConfig/ServerCA.pem 不存在";
    }
    void untrustedOrPlainClientsGetNowhere() {
        QFETCH(QStringList, options);
        QFETCH(bool, caDeleted);
        QFETCH(QString, logged);
        const QString folder = configured(QString::fromLatin1(QTest::currentDataTag()), options);
        if (caDeleted) {
            QVERIFY(QFile::remove(folder + QStringLiteral("/PictureConfig/ServerCA.pem")));
        }
        const Run login = cli(folder, {"login", "demo", "demo123"});
        QCOMPARE(login.code, 1);
        QCOMPARE(login.out, QStringLiteral("failed\n"));
        const QString log = runLog(folder);
        QVERIFY2(log.contains(logged), qPrintable(log));
    }

    // TLS 1.2 only with forward secrecy and authenticated encryption; TLS 1.3 as the library offers it.
    void handshakesOfferedByTheService_data() {
        QTest::addColumn<QStringList>("client");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1.2 ECDHE AES-GCM")
            << QStringList{"-tls1_2", "-cipher", "ECDHE-ECDSA-AES128-GCM-SHA256"} << true;
        QTest::newRow("1.2 ECDHE ChaCha20-Poly1305")
            << QStringList{"-tls1_2", "-cipher", "ECDHE-ECDSA-CHACHA20-POLY1305"} << true;
        QTest::newRow("1.2 ECDHE CBC")
            << QStringList{"-tls1_2", "-cipher", "ECDHE-ECDSA-AES128-SHA"} << false;
        QTest::newRow("1.2 ECDHE CBC SHA-384")
            << QStringList{"-tls1_2", "-cipher", "ECDHE-ECDSA-AES256-SHA384"} << false;
        QTest::newRow("1.3") << QStringList{"-tls1_3"} << true;
    }
    void handshakesOfferedByTheService() {
        QFETCH(QStringList, client);
        QFETCH(bool, accepted);
        QProcess process;
        process.start(
            QStringLiteral("openssl"),
            QStringList{"s_client", "-connect", QStringLiteral("127.0.0.1:%1").arg(service_->port())} +
                client);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode() == 0, accepted);
    }

    void unusableTlsFilesStopTheService_data() {
        QTest::addColumn<QStringList>("tls");
        QTest::addColumn<QString>("message");
        QTest::newRow("certificate not PEM")
            << QStringList{"--tls-cert", certs_->serverKey, "--tls-key", certs_->serverKey} << "--tls-cert";
        QTest::newRow("key missing") << QStringList{"--tls-cert", certs_->serverCert, "--tls-key",
                                                    dir_.filePath(QStringLiteral("none.key"))}
                                     << "--tls-key";
        QTest::newRow("certificate missing")
            << QStringList{"--tls-cert", dir_.filePath("none.pem"), "--tls-key", certs_->serverKey}
            << "--tls-cert: cannot read \"" + dir_.filePath("none.pem") + "\": No such file or directory";
        QTest::newRow("key of another certificate")
            << QStringList{"--tls-cert", certs_->serverCert, "--tls-key", dir_.filePath("other-ca.key")}
            << "--tls-key: the key in \"" + dir_.filePath("other-ca.key") +
                   "\" does not belong to the certificate in";
        QTest::newRow("expired certificate")
            << QStringList{"--tls-cert", expired_, "--tls-key", expiredKey_}
            << "the certificate in \"" + expired_ + "\" is valid from 2020-01-01";
    }
    void unusableTlsFilesStopTheService() {
        QFETCH(QStringList, tls);
        QFETCH(QString, message);
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/photo-service"),
                      QStringList{"--listen", "127.0.0.1:0", "--db", dir_.filePath(QStringLiteral("x.db"))} +
                          tls);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!err.contains("listening"));
    }
};

QTEST_MAIN(TestTls)
#include "tst_tls.moc"
