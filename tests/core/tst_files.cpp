// Ini lookups, deleting files by mask, file sizes by pattern, the program version and folder.

#include "core/FileOper.h"
#include "core/SysOper.h"
#include "imaging/ImgOper.h"
#include "support/TestSupport.h"

#include <QTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TstFiles : public QObject {
    Q_OBJECT

private slots:
    void iniLookups_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("exact") << QStringLiteral("UploadConfig") << QStringLiteral("IP")
                               << QStringLiteral("A1B2");
        QTest::newRow("case of section and key")
            << QStringLiteral("uploadCONFIG") << QStringLiteral("port") << QStringLiteral("c3d4");
        QTest::newRow("blanks around the key")
            << QStringLiteral("UploadConfig") << QStringLiteral("Spaced") << QStringLiteral("v a l");
        QTest::newRow("key of another section")
            << QStringLiteral("UploadConfig") << QStringLiteral("Other") << QString();
        QTest::newRow("missing section") << QStringLiteral("Nope") << QStringLiteral("IP") << QString();
        QTest::newRow("value with equals sign")
            << QStringLiteral("Second") << QStringLiteral("Eq") << QStringLiteral("a=b");
    }
    void iniLookups() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        TempAppDir app;
        const QString path = app.file(QStringLiteral("c.ini"));
        writeFile(path, "; comment\r\n[UploadConfig]\r\nIP=A1B2\r\nPort=c3d4\r\n  Spaced  = v a l \r\n"
                        "[Second]\nOther=x\nEq=a=b\n");
        QCOMPARE(TFileOper::ReadIniFile(path, section, key), value);
        QVERIFY(app.logTexts().isEmpty());
    }

    // Writing one value keeps the rest of the file as it was.
    void iniWrites_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray() << QByteArray("[View]\nList=Icon\n");
        QTest::newRow("key replaced, case kept elsewhere")
            << QByteArray("; c\r\n[view]\r\nLIST=Report\r\nOther=1\r\n")
            << QByteArray("; c\r\n[view]\r\nList=Icon\r\nOther=1\r\n");
        QTest::newRow("key added to its section") << QByteArray("[View]\nA=1\n\n[Next]\nList=x\n")
                                                  << QByteArray("[View]\nA=1\nList=Icon\n\n[Next]\nList=x\n");
        QTest::newRow("section added")
            << QByteArray("[Other]\nList=x") << QByteArray("[Other]\nList=x\n[View]\nList=Icon\n");
    }
    void iniWrites() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        TempAppDir app;
        const QString path = app.file(QStringLiteral("sub/v.ini"));
        if (!before.isEmpty()) {
            QVERIFY(QDir().mkpath(app.file(QStringLiteral("sub"))));
            writeFile(path, before);
        }
        QVERIFY(TFileOper::WriteIniFile(path, QStringLiteral("View"), QStringLiteral("List"),
                                        QStringLiteral("Icon")));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), after);
    }

    void missingIniFileIsEmptyAndSilent() {
        TempAppDir app;
        QCOMPARE(TFileOper::ReadIniFile(app.file(QStringLiteral("none.ini")), QStringLiteral("A"),
                                        QStringLiteral("B")),
                 QString());
        QVERIFY(app.logTexts().isEmpty());
    }

    void unreadableIniIsLogged() {
        TempAppDir app;
        // A folder where the file should be cannot be read as a file.
        QVERIFY(QDir().mkdir(app.file(QStringLiteral("dir.ini"))));
        QCOMPARE(TFileOper::ReadIniFile(app.file(QStringLiteral("dir.ini")), QStringLiteral("A"),
                                        QStringLiteral("B")),
                 QString());
        const QStringList log = app.logTexts();
        QCOMPARE(log.size(), 1);
        QVERIFY(log.first().startsWith(QStringLiteral("读取ini文件失败,TFileOper->ReadIniFile中错误:")));
    }

    void deleteFilesByMaskIgnoresCase() {
        TempAppDir app;
        const QString folder = app.file(QStringLiteral("Photo/"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("sub.jpg")));
        for (const char *name : {"a.jpg", "b.JPG", "c.txt", ".hidden.jpg", "d.jpeg"}) {
            writeFile(folder + QLatin1String(name), "x");
        }
        TSysOper::DeleteFiles(QStringLiteral("*.jpg"), folder);
        QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        left.sort();
        QCOMPARE(left,
                 (QStringList{QStringLiteral("c.txt"), QStringLiteral("d.jpeg"), QStringLiteral("sub.jpg")}));
        QVERIFY(app.logTexts().isEmpty());
    }

    void deleteFilesOnMissingFolderDoesNothing() {
        TempAppDir app;
        TSysOper::DeleteFiles(QStringLiteral("*.jpg"), app.file(QStringLiteral("nowhere/")));
        QVERIFY(app.logTexts().isEmpty());
    }

    void fileSizes() {
        TempAppDir app;
        writeFile(app.file(QStringLiteral("empty.jpg")), QByteArray());
        writeFile(app.file(QStringLiteral("five.bin")), "12345");
        QCOMPARE(TImgOper::GetFileSize(app.file(QStringLiteral("missing.jpg"))), -1);
        QCOMPARE(TImgOper::GetFileSize(app.file(QStringLiteral("empty.jpg"))), 0);
        QCOMPARE(TImgOper::GetFileSize(app.file(QStringLiteral("five.bin"))), 5);
        QCOMPARE(TImgOper::GetFileSize(app.file(QStringLiteral("fi?e.*"))), 5);
        QCOMPARE(TImgOper::GetFileSize(app.file(QStringLiteral("*.png"))), -1);
    }

    void version() {
        TempAppDir app;
        QCOMPARE(TSysOper::GetVersion(), QStringLiteral("2.0.0.0"));
        QVERIFY(app.logTexts().isEmpty());
        QCOMPARE(TSysOper::FormatVersion(QStringLiteral("02.1.0.65535")), QStringLiteral("2.1.0.65535"));
        for (const QString &bad :
             {QString(), QStringLiteral("2.0.0"), QStringLiteral("2.0.0.x"), QStringLiteral("2.0.0.70000")}) {
            QCOMPARE(TSysOper::FormatVersion(bad), QStringLiteral("0.0.0.0"));
        }
        const QStringList log = app.logTexts();
        QCOMPARE(log.size(), 4);
        for (const QString &line : log) {
            QVERIFY(line.startsWith(QStringLiteral("获取文件版本号信息失败,TSysOper->GetVersion中错误:")));
        }
    }

    void programFolderEndsWithSlash() {
        TSysOper::SetAppPath(QString());
        const QString path = TSysOper::GetAppPath();
        QVERIFY(path.endsWith(u'/'));
        QCOMPARE(QDir(path).absolutePath(), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TstFiles)
#include "tst_files.moc"
