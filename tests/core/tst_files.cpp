// Ini lookups, whole-file writes, deleting files by mask, file sizes by pattern, the program version
// and folder.

#include "core/FileOper.h"
#include "core/SysOper.h"
#include "core/WholeFile.h"
#include "imaging/ImgOper.h"
#include "support/TestSupport.h"

#include <QTest>

#include <stdexcept>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// What the name held before a whole-file write.
enum class Before { Nothing, LinkToAnothersFile, HardLinkWithAnothersFile, ReadOnlyFolder };

// Runs body with the rights of a user who does not own the test's files (root passes every
// permission check).
template <typename Body> void asOtherUser(Body body) {
    const uid_t user = ::geteuid();
    QVERIFY(user != 0 || ::seteuid(65534) == 0);
    body();
    QVERIFY(user != 0 || ::seteuid(0) == 0);
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

    // A write replaces the name, never what a link at it points to, and fails whole.
    void wholeFileWrites_data() {
        QTest::addColumn<Before>("before");
        QTest::addColumn<WholeFileDraft::Staging>("staging");
        const std::pair<const char *, WholeFileDraft::Staging> stagings[] = {
            {"unnamed", WholeFileDraft::Staging::Automatic},
            {"temporary", WholeFileDraft::Staging::Temporary}};
        for (const auto &[name, staging] : stagings) {
            QTest::addRow("new file, %s", name) << Before::Nothing << staging;
            QTest::addRow("symbolic link, %s", name) << Before::LinkToAnothersFile << staging;
            QTest::addRow("hard link, %s", name) << Before::HardLinkWithAnothersFile << staging;
            QTest::addRow("read-only folder, %s", name) << Before::ReadOnlyFolder << staging;
        }
    }
    void wholeFileWrites() {
        QFETCH(Before, before);
        QFETCH(WholeFileDraft::Staging, staging);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("PictureConfig"));
        const QString target = folder + QStringLiteral("/View.ini");
        const QString other = dir.filePath(QStringLiteral("another.txt"));
        QVERIFY(QDir().mkpath(folder));
        writeFile(other, "another's");
        switch (before) {
        case Before::Nothing:
            break;
        case Before::LinkToAnothersFile:
            QVERIFY(QFile::link(other, target));
            break;
        case Before::HardLinkWithAnothersFile:
            QVERIFY(::link(QFile::encodeName(other).constData(), QFile::encodeName(target).constData()) == 0);
            break;
        case Before::ReadOnlyFolder:
            writeFile(target, "old");
            QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
            break;
        }
        QString error;
        const auto write = [&] {
            try {
                WholeFileDraft draft(folder, staging);
                draft.Write("new");
                draft.Commit(target, WholeFileSync::Synced);
            } catch (const std::runtime_error &e) {
                error = QString::fromUtf8(e.what());
            }
        };
        if (before == Before::ReadOnlyFolder) {
            asOtherUser(write);
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        } else {
            write();
        }
        QCOMPARE(readAll(other), QByteArray("another's"));
        QCOMPARE(
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("View.ini")});
        if (before == Before::ReadOnlyFolder) {
            QCOMPARE(error, QStringLiteral("cannot write in %1: Permission denied").arg(folder));
            QCOMPARE(readAll(target), QByteArray("old"));
        } else {
            QCOMPARE(error, QString());
            QCOMPARE(readAll(target), QByteArray("new"));
            QVERIFY(!QFileInfo(target).isSymLink());
        }
    }

    // Temporaries of a writer that died go; those of a live one (this process) stay.
    void sweepKeepsLiveWritersTemporaries() {
        QTemporaryDir dir;
        const pid_t child = ::fork();
        if (child == 0) {
            ::_exit(0);
        }
        QVERIFY(child > 0 && ::waitpid(child, nullptr, 0) == child);
        const QString dead = QStringLiteral(".wholefile-%1-deadbeef").arg(child);
        const QString live = QStringLiteral(".wholefile-%1-livebeef").arg(::getpid());
        for (const QString &name : {dead, live, QStringLiteral("photo.jpg")}) {
            writeFile(dir.filePath(name), "x");
        }
        SweepWholeFileLeftovers(dir.path());
        QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, (QStringList{live, QStringLiteral("photo.jpg")}));
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
