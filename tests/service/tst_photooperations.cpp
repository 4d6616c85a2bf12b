// The photo list and fetch operations: the photo cache files, the rows of the photo list with their
// download states, the limits and the type list; photo IDs that are not plain file names; and the
// list model's own row and selection rules.

#include "FakePictureService.h"

#include "client/TransferControl.h"
#include "support/TestSupport.h"

#include "client/CacheFileStage.h"
#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/UploadPictureLib.h"
#include "core/StrOper.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <thread>

namespace {

// The start of a JPEG file: what the cache takes.
const QByteArray kJpeg("\xFF\xD8\xFF\xE0");

TPictureInfo listed(const QString &id, const QString &type, const QString &note, const QString &exists,
                    const QByteArray &small = {}) {
    TPictureInfo p;
    p.F_ID = TStrOper::EncodeBase64(id);
    p.F_FLAG = TStrOper::EncodeBase64(type);
    p.F_MEMO = TStrOper::EncodeBase64(note);
    p.F_ISEXISTS = exists;
    p.F_SMALLPHOTO = small;
    return p;
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Everything below the program folder except the run log, as relative paths.
QStringList filesIn(const QString &root) {
    QStringList out;
    QDir dir(root);
    for (const QString &entry :
         dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry == u"LogFiles") {
            continue;
        }
        if (QFileInfo(dir.filePath(entry)).isDir()) {
            for (const QString &inner : filesIn(dir.filePath(entry))) {
                out.append(entry + u'/' + inner);
            }
        } else {
            out.append(entry);
        }
    }
    return out;
}

// One program folder, data module and photo list per test.
struct Fixture {
    TempAppDir app;
    TDM_Main dm;
    TPhotoListModel rows;
    FakeClient f;
    Fixture() {
        dm.PhotoListView = &rows;
        f.service->picResult.F_OPERRESULT = QStringLiteral("1110");
    }
    QString cache(const QString &name) const { return app.file(QStringLiteral("Photo/") + name); }
    QStringList row(int r) const {
        QStringList items;
        for (int c = 0; c < rows.subItemCount(r); ++c) {
            items.append(rows.subItem(r, c));
        }
        return items;
    }
};

} // namespace

class TestPhotoOperations : public QObject {
    Q_OBJECT
private slots:
    void listFillsRowsFromAnswerAndCache() {
        Fixture x;
        writeFile(x.cache("P2_1.jpg"), "source2");
        writeFile(x.cache("P1_1.jpg"), "source1");
        writeFile(x.cache("P4_0.jpg"), "small4");
        writeFile(x.cache("P0_0.jpg"), "stale0");
        TPicResultInfo &r = x.f.service->picResult;
        r.F_MAXNUMBER = 7;
        r.F_ZOOMWDITH = 300;
        r.F_ZOOMHEIGHT = 1000;
        r.F_PICLIST = {
            listed("P0", "01", "门头", "1", kJpeg + "small0"), // small version sent, replaces the cached one
            listed("P1", "02", "", "1", kJpeg + "small1"),     // small sent, source cached
            listed("P2", "03", "n2", "0"),                     // source cached
            listed("P3", "04", "n3", TStrOper::EncodeBase64("1"), "unused"), // not exactly "1"
            listed("P4", "05", "n4", ""),                                    // small cached
            listed("P5", "06", "n5", "1"),                       // "1" without bytes: nothing to file
            listed("P6", "07", "n6", "1", "GIF89a"),             // not a JPEG: not filed
            listed(QString(250, u'L'), "08", "n7", "1", kJpeg)}; // "File name too long"
        r.F_FLAGLIST = {TStrOper::EncodeBase64("01 门头照"), TStrOper::EncodeBase64("02 内景")};
        QString code;
        x.f.client->Func_GetCompanyPhotoList(code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(x.dm.MaxPhotoNumber, 7);
        QCOMPARE(x.dm.ZoomWidth, 640);
        QCOMPARE(x.dm.ZoomHeight, 1000);
        QCOMPARE(x.dm.PhotoTypeList, QStringList({"01 门头照", "02 内景"}));
        QCOMPARE(x.rows.rowCount(), 8);
        QCOMPARE(x.row(0), QStringList({"门头", "P0", "01", "1"}));
        QCOMPARE(x.row(1), QStringList({"", "P1", "02", "2"}));
        QCOMPARE(x.row(2), QStringList({"n2", "P2", "03", "2"}));
        QCOMPARE(x.row(3), QStringList({"n3", "P3", "04", "0"}));
        QCOMPARE(x.row(4), QStringList({"n4", "P4", "05", "1"}));
        QCOMPARE(x.row(5), QStringList({"n5", "P5", "06", "0"}));
        QCOMPARE(x.row(6), QStringList({"n6", "P6", "07", "0"}));
        QCOMPARE(x.row(7), QStringList({"n7", QString(250, u'L'), "08", "0"}));
        QVERIFY(!QFile::exists(x.cache("P6_0.jpg")));
        const QList<int> icons{1, 2, 2, 0, 1, 0, 0, 0};
        for (int i = 0; i < icons.size(); ++i) {
            QCOMPARE(x.rows.imageIndex(i), icons[i]);
            QCOMPARE(x.rows.data(x.rows.index(i, 0), TPhotoListModel::ImageIndexRole).toInt(), icons[i]);
        }
        QCOMPARE(readFile(x.cache("P0_0.jpg")), kJpeg + "small0");
        QCOMPARE(readFile(x.cache("P1_0.jpg")), kJpeg + "small1");
        QVERIFY(!QFile::exists(x.cache("P3_0.jpg")));
        QVERIFY(!QFile::exists(x.cache("P5_0.jpg")));
        const QStringList log = x.app.logTexts();
        QCOMPARE(log.size(), 4); // P5, P6 and the long ID (the writer's line and ours), each with its reason
        QVERIFY2(log[1].startsWith(QStringLiteral("照片未存入缓存,照片编号:[P6],原因:")) &&
                     log[1].contains("JPEG"),
                 qPrintable(log[1]));
    }

    // The photos written ahead while a list arrived are dropped when the list fails: the cache
    // stays as it was, with no file left behind.
    void failedListLeavesCacheAsItWas() {
        Fixture x;
        writeFile(x.cache("P1_0.jpg"), "old1");
        const QStringList before = filesIn(x.app.path());
        x.f.service->picResult.F_PICLIST = {listed("P0", "01", "", "1", "small0"),
                                            listed("P1", "02", "", "1", "small1")};
        x.f.service->failure = QStringLiteral("the answer was cut off");
        QString code;
        x.f.client->Func_GetCompanyPhotoList(code);
        QCOMPARE(code, QStringLiteral("1111"));
        QCOMPARE(filesIn(x.app.path()), before);
        QCOMPARE(readFile(x.cache("P1_0.jpg")), QByteArray("old1"));
    }

    // An answer without photos empties the list: its old rows stand for photos that are gone.
    void emptyListEmptiesRowsAndReplacesLimitsAndTypes() {
        Fixture x;
        x.rows.appendRow("old", "P9", "01", TPhotoListModel::NotDownloaded);
        x.dm.PhotoTypeList = {QStringLiteral("old type")};
        TPicResultInfo &r = x.f.service->picResult;
        r.F_MAXNUMBER = 3;
        r.F_ZOOMWDITH = 1280;
        r.F_ZOOMHEIGHT = 100;
        QString code;
        x.f.client->Func_GetCompanyPhotoList(code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(x.rows.rowCount(), 0);
        QCOMPARE(x.dm.MaxPhotoNumber, 3);
        QCOMPARE(x.dm.ZoomWidth, 1280);
        QCOMPARE(x.dm.ZoomHeight, 480);
        QVERIFY(x.dm.PhotoTypeList.isEmpty());
    }

    // A failure while filling still counts as done: the rows added so far stay, the code is "1110".
    void fillFailureKeepsCode() {
        Fixture x;
        x.dm.PhotoListView = nullptr;
        x.f.service->picResult.F_PICLIST = {listed("P0", "01", "", "")};
        x.f.service->picResult.F_FLAGLIST = {TStrOper::EncodeBase64("01 a")};
        QString code;
        x.f.client->Func_GetCompanyPhotoList(code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(x.dm.PhotoTypeList, QStringList{"01 a"});
        QCOMPARE(x.app.logTexts(),
                 QStringList{"向列表中添加照片信息时失败,TUploadInfo->中错误:there is no photo list"});
    }

    void unsafePhotoIdsNeverReachTheFileSystem_data() {
        QTest::addColumn<QString>("id");
        QTest::newRow("empty") << "";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("parent folder") << "../escaped";
        QTest::newRow("absolute") << "/tmp/escaped";
        QTest::newRow("backslash") << "..\\escaped";
        QTest::newRow("NUL") << QStringLiteral("P1") + QChar(0) + QStringLiteral("x");
    }
    void unsafePhotoIdsNeverReachTheFileSystem() {
        QFETCH(QString, id);
        Fixture x;
        const QStringList before = filesIn(x.app.path());
        x.f.service->picResult.F_PICLIST = {listed(id, "01", "note", "1", "small"),
                                            listed("OK", "02", "", "1", kJpeg)};
        QString code;
        x.f.client->Func_GetCompanyPhotoList(code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(x.rows.rowCount(), 2);
        QCOMPARE(x.row(0), QStringList({"note", id, "01", "0"}));
        QCOMPARE(x.rows.imageIndex(0), 0);
        QCOMPARE(x.row(1).last(), QStringLiteral("1")); // the next photo is handled as usual

        x.rows.setSelectedRow(0);
        x.f.service->picResult.F_PHOTO = "source";
        x.f.service->picResult.F_FLAG = 1;
        x.f.client->Func_GetCompanyPhoto(id, QStringLiteral("1"), code);
        QCOMPARE(code, QStringLiteral("1111")); // nothing was cached: no success
        QCOMPARE(x.row(0).last(), QStringLiteral("0"));
        QCOMPARE(x.rows.imageIndex(0), 0);

        QCOMPARE(filesIn(x.app.path()), before + QStringList{"Photo/OK_0.jpg"});
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/escaped_0.jpg")));
        const QStringList log = x.app.logTexts();
        QCOMPARE(log.size(), 2);
        QVERIFY(log[0].startsWith(QStringLiteral("照片编号不能用作文件名,未读写照片缓存,照片编号:[")));
        QCOMPARE(log[1], log[0]);
    }

    void fetchWritesVersionNamedByAnswer_data() {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<int>("answerFlag");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("state");
        const QByteArray jpeg("\xFF\xD8\xFF\xE0 jpeg");
        QTest::newRow("small") << "0" << 0 << jpeg << "P1_0.jpg" << 1;
        QTest::newRow("source") << "1" << 1 << jpeg << "P1_1.jpg" << 2;
        QTest::newRow("source asked, small sent") << "1" << 0 << jpeg << "P1_0.jpg" << 1;
        QTest::newRow("any other flag is the source") << "0" << -5 << jpeg << "P1_1.jpg" << 2;
        QTest::newRow("no bytes: no file, row marked") << "1" << 1 << QByteArray() << "" << 2;
    }
    void fetchWritesVersionNamedByAnswer() {
        QFETCH(QString, requested);
        QFETCH(int, answerFlag);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, file);
        QFETCH(int, state);
        Fixture x;
        x.rows.appendRow("a", "P0", "01", TPhotoListModel::NotDownloaded);
        x.rows.appendRow("b", "P1", "02", TPhotoListModel::NotDownloaded);
        x.rows.setSelectedRow(1);
        x.f.service->picResult.F_PHOTO = bytes;
        x.f.service->picResult.F_FLAG = answerFlag;
        QString code;
        const TCacheWrite written = x.f.client->Func_GetCompanyPhoto(QStringLiteral("P1"), requested, code);
        QCOMPARE(code, QStringLiteral("1110"));
        // The caller learns whether a file is there to show.
        QCOMPARE(written.file, file.isEmpty() ? QString() : x.cache(file));
        QCOMPARE(written.error.isEmpty(), !file.isEmpty());
        QCOMPARE(x.row(1).last(), QString::number(state));
        QCOMPARE(x.rows.imageIndex(1), state);
        QCOMPARE(x.rows.imageIndex(0), 0);
        QCOMPARE(filesIn(x.app.file("Photo")), file.isEmpty() ? QStringList() : QStringList{file});
        if (!file.isEmpty()) {
            QCOMPARE(readFile(x.cache(file)), bytes);
        }
    }

    // A fetch refused by the service, or whose bytes are no JPEG or find a cache that cannot take
    // them, fails: nothing is cached, the row keeps its state and shows the not-downloaded icon.
    void failedFetchCachesNothing_data() {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("cacheBlocked"); // "Photo" is a plain file, so nothing can go inside
        QTest::addColumn<QString>("code");
        const QByteArray jpeg("\xFF\xD8\xFF\xE0 jpeg");
        QTest::newRow("refused") << QStringLiteral("2002") << QByteArray("ignored") << false
                                 << QStringLiteral("2002");
        QTest::newRow("not a JPEG") << QStringLiteral("1110") << QByteArray("<html>") << false
                                    << QStringLiteral("1111");
        QTest::newRow("cache unwritable") << QStringLiteral("1110") << jpeg << true << QStringLiteral("1111");
    }
    void failedFetchCachesNothing() {
        QFETCH(QString, result);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, cacheBlocked);
        QFETCH(QString, code);
        Fixture x;
        if (cacheBlocked) {
            QDir(x.app.file("Photo")).removeRecursively();
            writeFile(x.app.file("Photo"), "not a folder");
        }
        x.rows.appendRow("a", "P0", "01", TPhotoListModel::SmallCached);
        x.rows.setSelectedRow(0);
        x.f.service->picResult.F_OPERRESULT = result;
        x.f.service->picResult.F_PHOTO = bytes;
        x.f.service->picResult.F_FLAG = 1;
        QString answered;
        const TCacheWrite written =
            x.f.client->Func_GetCompanyPhoto(QStringLiteral("P0"), QStringLiteral("1"), answered);
        QCOMPARE(answered, code);
        QVERIFY(written.file.isEmpty());
        QCOMPARE(x.row(0).last(), QStringLiteral("1"));
        QCOMPARE(x.rows.imageIndex(0), 0);
        QCOMPARE(filesIn(x.app.path()).filter(QStringLiteral("Photo/")), QStringList());
        QVERIFY(!x.app.logTexts().isEmpty());
    }

    // A cancel the user gave while the answer was read (a click still queued) wins over the answer:
    // the photo is not written and the row stays as it was.
    void cancelGivenWithTheAnswerWins() {
        Fixture x;
        auto control = std::make_shared<TransferControl>();
        x.f.client->SetTransferControl(control);
        x.rows.appendRow("a", "P0", "01", TPhotoListModel::NotDownloaded);
        x.f.service->picResult.F_PHOTO = QByteArray("\xFF\xD8\xFF\xE0 jpeg");
        x.f.service->picResult.F_FLAG = 1;
        x.f.service->whileAnswering = [control] { QTimer::singleShot(0, [control] { control->Cancel(); }); };
        QString code;
        const TCacheWrite written =
            x.f.client->Func_GetCompanyPhoto(QStringLiteral("P0"), QStringLiteral("1"), code);
        QVERIFY(x.f.client->Outcome().cancelled);
        QVERIFY(written.file.isEmpty());
        QCOMPARE(x.row(0).last(), QStringLiteral("0"));
        QCOMPARE(filesIn(x.app.path()).filter(QStringLiteral("Photo/")), QStringList());
    }

    void modelRowsAndSelection() {
        TPhotoListModel m;
        QSignalSpy selection(&m, &TPhotoListModel::selectedRowChanged);
        for (const char *id : {"A", "B", "C", "D"}) {
            m.appendRow("", id, "", TPhotoListModel::NotDownloaded);
        }
        QCOMPARE(m.findRow("C"), 2);
        QCOMPARE(m.findRow("X"), -1);
        m.setSelectedRow(2);
        m.setSelectedRow(2);
        QCOMPARE(selection.size(), 1);
        QVERIFY(m.removeRow(0)); // a row above the selection: the selection follows its row
        QCOMPARE(m.selectedRow(), 1);
        QCOMPARE(m.subItem(m.selectedRow(), TPhotoListModel::PhotoIdColumn), QStringLiteral("C"));
        QVERIFY(m.removeRow(2)); // below: unchanged
        QCOMPARE(m.selectedRow(), 1);
        QVERIFY(m.removeRow(1)); // the selected row itself
        QCOMPARE(m.selectedRow(), -1);
        QCOMPARE(m.rowCount(), 1);
        m.setSelectedRow(5);
        QCOMPARE(m.selectedRow(), -1);
        m.setSelectedRow(0);
        m.clear();
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.selectedRow(), -1);
        QCOMPARE(selection.last().first().toInt(), -1);
        QCOMPARE(m.subItem(0, 0), QString());
    }

    // A long list's small versions are staged in one file, whatever the descriptors left: each is
    // given back whole by its photo's ID, a later version of a photo replaces the earlier one, and
    // a version never closed or never staged gives nothing.
    void stageGivesBackEachPhotoById() {
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
        struct Restore {
            rlimit saved;
            ~Restore() { setrlimit(RLIMIT_NOFILE, &saved); }
        } restore{saved};
        rlimit low = saved;
        low.rlim_cur = 64;
        QVERIFY(setrlimit(RLIMIT_NOFILE, &low) == 0);
        QTemporaryDir dir;
        CacheFileStage stage(dir.path());
        const auto stageOne = [&stage](const QString &id, const QByteArray &bytes, bool whole = true) {
            QVERIFY(stage.open(id, PhotoVersion::Small));
            stage.write(bytes.left(50));
            stage.write(bytes.mid(50));
            if (whole) {
                stage.close();
            }
        };
        for (int i = 0; i < 200; ++i) {
            stageOne(QStringLiteral("P%1").arg(i), QByteArray::number(i).repeated(100));
        }
        stageOne(QStringLiteral("P7"), "again");
        stageOne(QStringLiteral("cut"), "never closed", false);
        QVERIFY(!stage.open(QStringLiteral("P1"), PhotoVersion::Source));
        for (int i = 0; i < 200; ++i) {
            QCOMPARE(stage.take(QStringLiteral("P%1").arg(i)),
                     i == 7 ? QByteArray("again") : QByteArray::number(i).repeated(100));
        }
        QCOMPARE(stage.take(QStringLiteral("cut")), std::nullopt);
        QCOMPARE(stage.take(QStringLiteral("P1")), std::nullopt); // taken already
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPhotoOperations)
#include "tst_photooperations.moc"
