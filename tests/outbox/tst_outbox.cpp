// The outbox: an entry killed in the middle of its write leaves nothing, a damaged entry is named
// with its fault.

#include "client/Outbox.h"
#include "core/WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray jpeg(Qt::GlobalColor color) {
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

QByteArray validEntry() {
    TOutboxEntry e;
    e.companyId = QStringLiteral("4403050067890");
    e.typeEntry = QStringLiteral("01 门头照片");
    e.note = QStringLiteral("门头");
    e.kept = QDateTime::currentDateTimeUtc();
    e.photo.source = jpeg(Qt::red);
    e.photo.small = jpeg(Qt::blue);
    return e.Encode();
}

QByteArray withField(const char *key, const QJsonValue &value) {
    QJsonObject o = QJsonDocument::fromJson(validEntry()).object();
    if (value.isUndefined()) {
        o.remove(QLatin1String(key));
    } else {
        o.insert(QLatin1String(key), value);
    }
    return QJsonDocument(o).toJson();
}

} // namespace

class TstOutbox : public QObject {
    Q_OBJECT

private slots:
    void killedWhileWriting_data() {
        QTest::addColumn<int>("limit");
        QTest::newRow("killed after 4 KiB of the entry") << 4096;
        QTest::newRow("killed after 1 MiB of the entry") << (1 << 20);
    }
    void killedWhileWriting() {
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/Outbox/");
        QProcess writer;
        writer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/outbox_writer"),
                     {folder, QString::number(limit)});
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
        const QString out = QString::fromUtf8(writer.readAllStandardOutput());
        QVERIFY2(out.startsWith(u"kept ") && !out.contains(u"not killed"), qPrintable(out));
        const QList<TOutbox::Listed> listed = TOutbox(folder).List();
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed[0].id, out.mid(5).trimmed());
        QCOMPARE(listed[0].error, QString());
        QCOMPARE(listed[0].entry.photo.source.size(), 1004);
        // Nothing else is left in the folder, hidden or not.
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
    }

    void damagedEntry_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        const QByteArray valid = validEntry();
        QTest::newRow("cut short") << valid.left(valid.size() / 2) << QStringLiteral("不完整");
        QTest::newRow("no JSON") << QByteArray("\xFF\xD8 binary") << QStringLiteral("不完整");
        QTest::newRow("another format")
            << withField("format", QStringLiteral("other 9")) << QStringLiteral("格式");
        QTest::newRow("bad Base64") << withField("source", QStringLiteral("@@@")) << QStringLiteral("Base64");
        QTest::newRow("add without image")
            << withField("source", QJsonValue::Undefined) << QStringLiteral("JPEG");
        QTest::newRow("not a JPEG") << withField("small", QStringLiteral("R0lGODlh"))
                                    << QStringLiteral("JPEG");
        QTest::newRow("edit of a path")
            << withField("kind", QStringLiteral("edit")) << QStringLiteral("photoId");
        QTest::newRow("huge size") << withField("smallSize", QJsonArray{1e12, 1}) << QStringLiteral("尺寸");
    }
    void damagedEntry() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString folder = dir.path() + u'/';
        const QString id = QStringLiteral("20261210-120000-00ab");
        WriteWholeFile(folder + id + QStringLiteral(".entry"), bytes);
        const QList<TOutbox::Listed> listed = TOutbox(folder).List();
        QCOMPARE(listed.size(), 1);
        QVERIFY2(listed[0].error.contains(id) && listed[0].error.contains(fault),
                 qPrintable(listed[0].error));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, TOutbox(folder).Read(id));
    }
};

QTEST_GUILESS_MAIN(TstOutbox)
#include "tst_outbox.moc"
