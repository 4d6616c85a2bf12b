// uploadpic-cli against a scripted server that answers badly on purpose. For every bad answer: the
// process ends by itself within the transport's time-outs, exits 1 with the result code (or succeeds
// where the answer is odd but sound), logs a line naming the failure, writes nothing but its run log
// and whole JPEGs in its cache, and stays within a memory bound.
#include "service/FakeHttpServer.h"

#include "contract/SoapCodec.h"
#include "core/Gbk.h"
#include "core/StrOper.h"
#include "support/DemoSeed.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray kXml = "text/xml; charset=utf-8";

QByteArray http(int status, const QByteArray &reason, const QByteArray &body, const QByteArray &type = kXml,
                const QByteArray &extra = {}) {
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + extra +
           "Connection: close\r\n\r\n" + body;
}

QByteArray ok(const QByteArray &body) {
    return http(200, "OK", body);
}

QByteArray envelope(const QByteArray &body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
           body + "</soap:Body></soap:Envelope>";
}

// A list answer around the given content of the response element.
QByteArray listAnswer(const QByteArray &inner, const QByteArray &ns = "MORA.PictureService") {
    return ok(envelope("<Func_GetCompanyPhotoListResponse xmlns=\"" + ns + "\">" + inner +
                       "</Func_GetCompanyPhotoListResponse>"));
}

QByteArray jpeg() {
    return QByteArray::fromBase64("/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAP////////////////////////////////////////"
                                  "//////////////////////////////////////////////wgALCAABAAEBAREA/8QAFBABAAAA"
                                  "AAAAAAAAAAAAAAAAAP/aAAgBAQABPxA=");
}

QByteArray photoList(const QStringList &ids) {
    TPicResultInfo list;
    list.F_OPERRESULT = QStringLiteral("1110");
    list.F_MAXNUMBER = 6;
    list.F_ZOOMWDITH = 800;
    list.F_ZOOMHEIGHT = 600;
    for (const QString &id : ids) {
        TPictureInfo p;
        p.F_ID = TStrOper::EncodeBase64(id);
        p.F_FLAG = TStrOper::EncodeBase64(QStringLiteral("01"));
        p.F_ISEXISTS = QStringLiteral("1");
        list.F_PICLIST.append(p);
    }
    list.F_FLAGLIST = {TStrOper::EncodeBase64(QStringLiteral("01 门头照片"))};
    return ok(Soap::WriteResponse(Soap::Operation::GetCompanyPhotoList, list));
}

QByteArray fetchAnswer(const QByteArray &photo) {
    TPicResultInfo r;
    r.F_OPERRESULT = QStringLiteral("1110");
    r.F_PHOTO = photo;
    r.F_FLAG = 0;
    return ok(Soap::WriteResponse(Soap::Operation::GetCompanyPhoto, r));
}

QByteArray loginAnswer() {
    TUserInfo u;
    u.F_OPERRESULT = QStringLiteral("1110");
    u.F_USERNAME = TStrOper::EncodeBase64(QStringLiteral("demo"));
    return ok(Soap::WriteResponse(Soap::Operation::ValidateUserLogin, u));
}

QByteArray queryAnswer() {
    TCompanyInfo c;
    c.F_OPERRESULT = QStringLiteral("1110");
    c.F_COMPANYTYPE = QStringLiteral("310");
    c.F_COMPANYNAME = TStrOper::EncodeBase64(QStringLiteral("明珠"));
    c.F_CUSTOMERID = QStringLiteral("KH310115001");
    c.F_SOFTWAREID = QStringLiteral("RJ73920451");
    c.F_DEVICEID = QStringLiteral("SB00017");
    return ok(Soap::WriteResponse(Soap::Operation::QueryCompanyInfo, c));
}

// What goes wrong under the client besides the answer.
enum class Fault { None, PhotoNotWritable, DiskFull, NoPhotoFolder };

struct Bad {
    QList<QByteArray> script; // the answers after login and company query
    qint64 stream = 0;        // filler streamed after the last answer
    Fault fault = Fault::None;
    int trickleMs = 0; // the last answer's body comes one byte every trickleMs
};

// Every file the run left under root, relative to it.
QStringList filesUnder(const QString &root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(root).relativeFilePath(it.next()));
    }
    return files;
}

} // namespace

Q_DECLARE_METATYPE(Bad)

class TestHostileAnswers : public QObject {
    Q_OBJECT
private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("command"); // after the company ID
        QTest::addColumn<Bad>("bad");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("logged"); // in a run log line; empty: nothing required
        const QStringList list{QStringLiteral("list")};
        const auto fetch = [](const char *id) {
            return QStringList{QStringLiteral("fetch"), QString::fromUtf8(id)};
        };
        const QByteArray result = "<Result><F_OPERRESULT>1110</F_OPERRESULT>";
        QByteArray bigTag = "<Result a=\"" + QByteArray(1 << 20, 'x') + "\">";
        QByteArray manyAttributes = "<Result";
        for (int i = 0; i < 50000; ++i) {
            manyAttributes += " a" + QByteArray::number(i) + "=''";
        }
        QStringList tenThousand;
        for (int i = 0; i < 10000; ++i) {
            tenThousand.append(QStringLiteral("W%1").arg(i));
        }
        const QByteArray bomb =
            "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">"
            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;\">]>"
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
            "<Func_GetCompanyPhotoListResponse xmlns=\"MORA.PictureService\"><Result>"
            "<F_OPERRESULT>&c;</F_OPERRESULT></Result></Func_GetCompanyPhotoListResponse>"
            "</soap:Body></soap:Envelope>";
        const QByteArray fault =
            Soap::WriteFault(QStringLiteral("soap:Server"), QStringLiteral("数据库不可用"));
        const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n";

        QTest::newRow("truncated XML") << list
                                       << Bad{{ok(envelope("<Func_GetCompanyPhotoListResponse xmlns="
                                                           "\"MORA.PictureService\">" +
                                                           result))}}
                                       << 1 << "unreadable";
        QTest::newRow("foreign namespace")
            << list << Bad{{listAnswer(result + "</Result>", "urn:other")}} << 1 << "namespace";
        QTest::newRow("no namespace")
            << list << Bad{{listAnswer(result + "</Result>", "")}} << 1 << "namespace";
        QTest::newRow("no result record") << list << Bad{{listAnswer("")}} << 1 << "no result record";
        QTest::newRow("two unnamed records") << list << Bad{{listAnswer("<a/><b/>")}} << 1 << "none is named";
        QTest::newRow("non-numeric integer")
            << list << Bad{{listAnswer(result + "<F_MAXNUMBER>six</F_MAXNUMBER></Result>")}} << 1
            << "not an integer";
        QTest::newRow("huge integer")
            << list << Bad{{listAnswer(result + "<F_ZOOMWDITH>99999999999999999999</F_ZOOMWDITH></Result>")}}
            << 1 << "not an integer";
        QTest::newRow("invalid Base64 photo")
            << fetch("W1")
            << Bad{{photoList({"W1"}),
                    ok(envelope(
                        "<Func_GetCompanyPhotoResponse "
                        "xmlns=\"MORA.PictureService\"><Result><F_OPERRESULT>1110</F_OPERRESULT>"
                        "<F_PHOTO>!!!*** not base64 ***</F_PHOTO></Result></Func_GetCompanyPhotoResponse>"))}}
            << 1 << "JPEG";
        QTest::newRow("300 MB body") << list << Bad{{head + "Content-Length: 314572800\r\n\r\n"}, 314572800}
                                     << 1 << "的应答大于";
        QTest::newRow("body that never ends")
            << list << Bad{{head + "\r\n"}, qint64(1) << 40} << 1 << "的应答大于";
        QTest::newRow("HTML error page")
            << list << Bad{{ok("<html><body><h1>502 Bad Gateway</h1></body></html>")}} << 1
            << "not a SOAP envelope";
        QTest::newRow("HTML page, status 503")
            << list << Bad{{http(503, "Service Unavailable", "<html>busy</html>", "text/html")}} << 1
            << "HTTP 状态 503";
        QTest::newRow("HTTP 500 with a fault")
            << list << Bad{{http(500, "Internal Server Error", fault)}} << 1 << "数据库不可用";
        QTest::newRow("fault with HTTP 200") << list << Bad{{ok(fault)}} << 1 << "数据库不可用";
        QTest::newRow("HTTP 404") << list << Bad{{http(404, "Not Found", "")}} << 1 << "HTTP 状态 404";
        QTest::newRow("redirect elsewhere")
            << list
            << Bad{{http(302, "Found", "", kXml, "Location: http://127.0.0.1:1/PictureService.asmx\r\n")}}
            << 1 << "302";
        QTest::newRow("redirect to a file")
            << list << Bad{{http(301, "Moved", "", kXml, "Location: file:///etc/passwd\r\n")}} << 1 << "301";
        QTest::newRow("entity-expansion bomb") << list << Bad{{ok(bomb)}} << 1 << "document type declaration";
        QTest::newRow("1 MB start tag")
            << list << Bad{{listAnswer(bigTag + "</Result>")}} << 1 << "start tag longer than";
        QTest::newRow("50,000 attributes")
            << list << Bad{{listAnswer(manyAttributes + "/>")}} << 1 << "attributes";
        QTest::newRow("deep nesting")
            << list << Bad{{listAnswer(QByteArray("<a>").repeated(100000))}} << 1 << "unreadable";
        QTest::newRow("empty body") << list << Bad{{ok("")}} << 1 << "unreadable";
        QTest::newRow("not HTTP") << list << Bad{{"SSH-2.0-OpenSSH_9.2\r\n\r\n"}} << 1 << "";
        QTest::newRow("closed without answer") << list << Bad{{}} << 1 << "";
        QTest::newRow("cut mid-body")
            << list << Bad{{(head + "Content-Length: 5000\r\nConnection: close\r\n\r\n<soap:Envelope")}} << 1
            << "";
        QTest::newRow("unknown result code")
            << list << Bad{{listAnswer("<Result><F_OPERRESULT>9999</F_OPERRESULT></Result>")}} << 1 << "9999";
        QTest::newRow("empty result code") << list << Bad{{listAnswer("<Result/>")}} << 1 << "";
        QTest::newRow("undeclared entity")
            << list << Bad{{listAnswer("<Result><F_OPERRESULT>&x;</F_OPERRESULT></Result>")}} << 1
            << "unreadable";
        QTest::newRow("photo ID aiming outside Photo/")
            << fetch("../../escape") << Bad{{photoList({"../../escape"}), fetchAnswer(jpeg())}} << 1
            << "照片编号";
        QTest::newRow("absolute photo ID")
            << fetch("/tmp/escape") << Bad{{photoList({"/tmp/escape"}), fetchAnswer(jpeg())}} << 1
            << "照片编号";
        QTest::newRow("photo that is not a JPEG")
            << fetch("W1") << Bad{{photoList({"W1"}), fetchAnswer("<?php system($_GET['c']); ?>")}} << 1
            << "JPEG";
        QTest::newRow("10,000 photos") << list << Bad{{photoList(tenThousand)}} << 0 << "";
        QTest::newRow("trickling answer")
            << list << Bad{{listAnswer(result + "</Result>")}, 0, Fault::None, 200} << 1 << "传输太慢";

        // Faults under the client while a sound photo arrives.
        const QByteArray bigPhoto = jpeg() + QByteArray(qsizetype(256) * 1024, '\0');
        const QList<QByteArray> sound{photoList({"W1"}), fetchAnswer(bigPhoto)};
        QTest::newRow("fault: Photo/ not writable")
            << fetch("W1") << Bad{sound, 0, Fault::PhotoNotWritable} << 1 << "将byte数组保存为图片文件时失败";
        QTest::newRow("fault: disk full while the photo is written")
            << fetch("W1") << Bad{sound, 0, Fault::DiskFull} << 1 << "将byte数组保存为图片文件时失败";
        QTest::newRow("fault: Photo/ deleted")
            << fetch("W1") << Bad{sound, 0, Fault::NoPhotoFolder} << 0 << "";
        QTest::newRow("fault: server gone mid-answer")
            << fetch("W1") << Bad{{photoList({"W1"}), fetchAnswer(bigPhoto).chopped(100000)}} << 1 << "";
    }

    void answers() {
        QFETCH(QStringList, command);
        QFETCH(Bad, bad);
        QFETCH(int, exitCode);
        QFETCH(QString, logged);
        FakeHttpServer server;
        server.replyRaw(loginAnswer());
        server.replyRaw(queryAnswer());
        for (qsizetype i = 0; i < bad.script.size(); ++i) {
            if (i + 1 == bad.script.size() && bad.trickleMs > 0) {
                server.replyTrickle(bad.script.at(i), bad.trickleMs);
            } else if (i + 1 == bad.script.size() && bad.stream > 0) {
                server.replyStream(bad.script.at(i), bad.stream);
            } else if (bad.script.at(i).isEmpty()) {
                server.replyRaw("HTTP/1.1 200 OK\r\n"); // then closed
            } else {
                server.replyRaw(bad.script.at(i));
            }
        }
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("app")) &&
                QDir(root.path()).mkpath(QStringLiteral("cwd")));
        const QString photoFolder = root.filePath(QStringLiteral("app/Photo"));
        if (bad.fault == Fault::PhotoNotWritable) {
            // A file where the cache folder belongs: not writable for any user, root included.
            QFile blocker(photoFolder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else if (bad.fault != Fault::NoPhotoFolder) {
            QVERIFY(QDir().mkpath(photoFolder));
        }
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("UPLOADPIC_APP_DIR"), root.filePath(QStringLiteral("app")));
        env.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("cwd")));
        env.insert(QStringLiteral("UPLOADPIC_USER"), QString::fromUtf8(kDemoUser));
        env.insert(QStringLiteral("UPLOADPIC_PASSWORD"), QString::fromUtf8(kDemoPassword));
        if (bad.trickleMs > 0) { // the minimum rate, scaled down from 16 KiB in 30 s
            env.insert(QStringLiteral("UPLOADPIC_MIN_RATE"), QStringLiteral("64/1"));
        }
        cli.setProcessEnvironment(env);
        cli.setWorkingDirectory(root.filePath(QStringLiteral("cwd")));
        const bool boundMemory = !env.contains(QStringLiteral("ASAN_OPTIONS")); // sanitizers reserve far more
        const bool diskFull = bad.fault == Fault::DiskFull;
        cli.setChildProcessModifier([boundMemory, diskFull] {
            if (boundMemory) {
                const rlimit memory{rlim_t(3) << 30, rlim_t(3) << 30};
                ::setrlimit(RLIMIT_AS, &memory);
            }
            if (diskFull) { // no file may grow beyond 64 KiB; writes fail instead of raising SIGXFSZ
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit size{rlim_t(64) * 1024, rlim_t(64) * 1024};
                ::setrlimit(RLIMIT_FSIZE, &size);
            }
        });
        const QUrl url(server.url());
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"),
                  QStringList{QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(url.port()),
                              command.first(), QString::fromUtf8(kDemoCompanyWithPhotos)} +
                      command.mid(1) + (command.first() == u"fetch" ? QStringList{"small"} : QStringList{}));
        // Bounded by the transport's time-out (60 s without progress), not by this test.
        QVERIFY(cli.waitForStarted(30'000));
        QTRY_VERIFY_WITH_TIMEOUT(cli.state() == QProcess::NotRunning, 120'000);
        const QString out = QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QVERIFY2(cli.exitCode() == exitCode, qPrintable(out.left(2000)));

        QString log;
        for (const QString &file : filesUnder(root.path())) {
            if (file.startsWith(QStringLiteral("app/LogFiles/"))) {
                QFile f(root.filePath(file));
                QVERIFY(f.open(QIODevice::ReadOnly));
                log += Gbk::decode(f.readAll());
            } else if (file == u"app/Photo") {
                QCOMPARE(bad.fault, Fault::PhotoNotWritable);
            } else {
                // Only whole JPEGs in the cache: nothing outside the program folder or beside it.
                QVERIFY2(file.startsWith(QStringLiteral("app/Photo/")) &&
                             file.endsWith(QStringLiteral(".jpg")),
                         qPrintable(file));
                QFile f(root.filePath(file));
                QVERIFY(f.open(QIODevice::ReadOnly));
                QVERIFY2(f.readAll().startsWith("\xFF\xD8\xFF"), qPrintable(file));
            }
        }
        if (exitCode != 0) {
            QVERIFY2(!log.isEmpty(), qPrintable(out.left(2000)));
        }
        QVERIFY2(log.contains(logged), qPrintable(log.right(2000)));
    }

    // Killed while the list's small versions are being filed, at a later moment in each round: under
    // a final name the cache holds only whole photos, never a part of one.
    void killedWhileWritingTheCache() {
        const QByteArray photo = jpeg() + QByteArray(qsizetype(96) * 1024, '\x5A');
        TPicResultInfo list;
        list.F_OPERRESULT = QStringLiteral("1110");
        list.F_MAXNUMBER = 400;
        for (int i = 0; i < 200; ++i) {
            TPictureInfo p;
            p.F_ID = TStrOper::EncodeBase64(QStringLiteral("W%1").arg(i));
            p.F_FLAG = TStrOper::EncodeBase64(QStringLiteral("01"));
            p.F_ISEXISTS = QStringLiteral("1");
            p.F_SMALLPHOTO = photo;
            list.F_PICLIST.append(p);
        }
        const QByteArray listBytes = ok(Soap::WriteResponse(Soap::Operation::GetCompanyPhotoList, list));
        int interrupted = 0; // rounds killed with some but not all photos filed
        for (int round = 0; round < 12; ++round) {
            FakeHttpServer server;
            server.replyRaw(loginAnswer());
            server.replyRaw(queryAnswer());
            server.replyRaw(listBytes);
            QTemporaryDir root;
            const QDir photos(root.filePath(QStringLiteral("Photo")));
            QVERIFY(photos.mkpath(QStringLiteral(".")));
            QProcess cli;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("UPLOADPIC_APP_DIR"), root.path());
            env.insert(QStringLiteral("UPLOADPIC_USER"), QString::fromUtf8(kDemoUser));
            env.insert(QStringLiteral("UPLOADPIC_PASSWORD"), QString::fromUtf8(kDemoPassword));
            cli.setProcessEnvironment(env);
            cli.setWorkingDirectory(root.path());
            cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/uploadpic-cli"),
                      {QStringLiteral("--server"),
                       QStringLiteral("127.0.0.1:%1").arg(QUrl(server.url()).port()), QStringLiteral("list"),
                       QString::fromUtf8(kDemoCompanyWithPhotos)});
            QVERIFY(cli.waitForStarted(30'000));
            // From the first file on, wait a little longer each round, then kill.
            QDeadlineTimer patience(60'000);
            while (photos.isEmpty() && !patience.hasExpired()) {
                QCoreApplication::processEvents(); // the scripted server answers from this thread
                QThread::usleep(100);
            }
            QThread::usleep(ulong(round) * 3000);
            ::kill(pid_t(cli.processId()), SIGKILL);
            QVERIFY(cli.waitForFinished(30'000));
            const QStringList whole = photos.entryList({QStringLiteral("*.jpg")}, QDir::Files);
            for (const QString &name : whole) {
                QFile f(photos.filePath(name));
                QVERIFY(f.open(QIODevice::ReadOnly));
                QVERIFY2(f.readAll() == photo,
                         qPrintable(QStringLiteral("round %1: %2").arg(round).arg(name)));
            }
            interrupted += whole.size() > 0 && whole.size() < 200 ? 1 : 0;
        }
        QVERIFY2(interrupted > 0, "no round was killed while the cache was being written");
    }
};

QTEST_GUILESS_MAIN(TestHostileAnswers)
#include "tst_hostile_answers.moc"
