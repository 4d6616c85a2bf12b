// The runner dialog: which client call each operation makes with which inputs, how result codes become
// OperResult, unknown operations, and that the dialog always closes by itself and keeps painting its
// notice while a real call waits for the server; the bytes of a big transfer and the cancel it offers.

#include "FakePictureService.h"

#include "service/FakeHttpServer.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "support/TestSupport.h"
#include "ui/DataNetCommunication.h"
#include "ui/MessageBox.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace {

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, e);
    }
};

} // namespace

class TestRunner : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void operationTable_data();
    void operationTable();
    void resultCodes_data();
    void resultCodes();
    void unknownOperation_data();
    void unknownOperation();
    void closesOnlyByItself();
    void missingPhotoRecord();
    void keepsPaintingDuringCall();
    void cancelOffered_data();
    void cancelOffered();

private:
    // Runs one operation modally and returns OperResult.
    int run(int operType, const QString &code, QStringList *calls = nullptr);

    std::optional<TempAppDir> appDir_;
    std::unique_ptr<TDM_Main> dm_;
    std::unique_ptr<TPhotoListModel> list_;
    TPictureInfo picInfo_;
};

void TestRunner::init() {
    appDir_.emplace();
    dm_ = std::make_unique<TDM_Main>();
    list_ = std::make_unique<TPhotoListModel>();
    list_->appendRow(QStringLiteral("门头"), QStringLiteral("P1"), QStringLiteral("01"),
                     TPhotoListModel::NotDownloaded);
    list_->setSelectedRow(0);
    DM_Main->PhotoListView = list_.get();
    picInfo_ = TPictureInfo();
    picInfo_.F_ID = QStringLiteral("P9");
}

void TestRunner::cleanup() {
    dm_.reset();
    list_.reset();
    appDir_.reset();
}

int TestRunner::run(int operType, const QString &code, QStringList *calls) {
    auto log = std::make_shared<FakeServiceLog>();
    TFrm_DataNetCommunication dialog(FakePictureService::Client(log, code), nullptr);
    dialog.Lb_Tip->setText(QStringLiteral("正在查询企业信息,请稍候..."));
    dialog.OperType = operType;
    dialog.PhotoId = QStringLiteral("P1");
    dialog.PhotoFlag = QStringLiteral("1");
    dialog.PicInfo = &picInfo_;
    dialog.exec();
    if (calls != nullptr) {
        *calls = log->all();
    }
    return dialog.OperResult;
}

void TestRunner::operationTable_data() {
    QTest::addColumn<int>("operType");
    QTest::addColumn<QString>("call");

    QTest::newRow("0 photo list") << 0 << "GetCompanyPhotoList()";
    QTest::newRow("1 photo") << 1 << "GetCompanyPhoto(P1,1)";
    QTest::newRow("2 insert") << 2 << "InsertCompanyPhoto(P9)";
    QTest::newRow("3 update") << 3 << "UpdateCompanyPhoto(P9)";
    QTest::newRow("4 delete") << 4 << "DeleteCompanyPhoto(P1)";
    QTest::newRow("5 company") << 5 << "QueryCompanyInfo()";
}

void TestRunner::operationTable() {
    QFETCH(int, operType);
    QFETCH(QString, call);

    QStringList calls;
    QCOMPARE(run(operType, QStringLiteral("1110"), &calls), 1);
    // The client encodes the photo ID and flag of a fetch for the wire; the fake sees what went out.
    if (operType == 1) {
        call = QStringLiteral("GetCompanyPhoto(%1,%2)")
                   .arg(QString::fromLatin1(QByteArrayLiteral("P1").toBase64()),
                        QString::fromLatin1(QByteArrayLiteral("1").toBase64()));
    }
    QCOMPARE(calls, QStringList{call});
}

void TestRunner::resultCodes_data() {
    QTest::addColumn<int>("operType");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("operResult");

    QTest::newRow("company missing") << 5 << "1003" << 2;
    QTest::newRow("company disabled") << 5 << "1000" << 0;
    QTest::newRow("company bad header") << 5 << "0001" << 0;
    QTest::newRow("1003 is not special for a list") << 0 << "1003" << 0;
    QTest::newRow("1003 is not special for a delete") << 4 << "1003" << 0;
    QTest::newRow("photo missing") << 1 << "2001" << 0;
    QTest::newRow("server error") << 2 << "1111" << 0;
    QTest::newRow("empty code") << 3 << "" << 0;
}

void TestRunner::resultCodes() {
    QFETCH(int, operType);
    QFETCH(QString, code);
    QFETCH(int, operResult);
    QCOMPARE(run(operType, code), operResult);
}

void TestRunner::unknownOperation_data() {
    QTest::addColumn<int>("operType");
    QTest::newRow("6") << 6;
    QTest::newRow("-1") << -1;
}

void TestRunner::unknownOperation() {
    QFETCH(int, operType);
    QStringList calls;
    QCOMPARE(run(operType, QStringLiteral("1110"), &calls), 0);
    QVERIFY(calls.isEmpty());
    QCOMPARE(appDir_->logTexts(),
             QStringList{QStringLiteral("操作标识未知,标识:") + QString::number(operType)});
}

void TestRunner::closesOnlyByItself() {
    auto log = std::make_shared<FakeServiceLog>();
    TFrm_DataNetCommunication dialog(FakePictureService::Client(log, QStringLiteral("1110")), nullptr);
    QCOMPARE(dialog.Lb_Tip->text(), QStringLiteral("正在连接服务器,请稍候..."));
    QCOMPARE(dialog.OperResult, 0);
    dialog.OperType = 5;

    bool openAfterEscape = false;
    bool callBeforeTick = true;
    QTimer::singleShot(0, this, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        openAfterEscape = dialog.isVisible();
        callBeforeTick = !log->all().isEmpty();
    });
    dialog.exec();

    QVERIFY(openAfterEscape);
    QVERIFY(!callBeforeTick); // the call waits for the first tick, after the notice is up
    QCOMPARE(log->all(), QStringList{QStringLiteral("QueryCompanyInfo()")});
    QCOMPARE(dialog.OperResult, 1);
}

void TestRunner::missingPhotoRecord() {
    // A caller that forgot the photo record gets a failure and a log line, not a crash.
    auto log = std::make_shared<FakeServiceLog>();
    TFrm_DataNetCommunication dialog(FakePictureService::Client(log, QStringLiteral("1110")), nullptr);
    dialog.OperType = 2;
    dialog.exec();
    QCOMPARE(dialog.OperResult, 0);
    QVERIFY(log->all().isEmpty());
    const QStringList lines = appDir_->logTexts();
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.first().startsWith(QStringLiteral("添加企业照片信息失败,函数InsertCompanyPhoto中错误:")));
}

void TestRunner::keepsPaintingDuringCall() {
    // A server that accepts and stays silent: the call waits until the test lets it fail.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    DM_Main->ServerIP = QStringLiteral("127.0.0.1");
    DM_Main->ServerPort = QString::number(silent.serverPort());
    DM_Main->OperationKind = 1;

    TFrm_DataNetCommunication dialog; // the configured client, as the windows use it
    dialog.Lb_Tip->setText(QStringLiteral("正在查询企业信息,请稍候..."));
    dialog.OperType = 5;
    PaintCounter counter;
    dialog.Lb_Tip->installEventFilter(&counter);

    int paintsWhileWaiting = -1;
    QPointer<QTcpSocket> connection;
    connect(&silent, &QTcpServer::newConnection, this, [&] {
        connection = silent.nextPendingConnection();
        // The call now waits for its answer; the notice changes and must be painted meanwhile.
        const int before = counter.paints;
        dialog.Lb_Tip->setText(QStringLiteral("仍在等待服务器..."));
        auto *poll = new QTimer(connection);
        connect(poll, &QTimer::timeout, connection, [&, before] {
            if (counter.paints > before) {
                paintsWhileWaiting = counter.paints - before;
                connection->abort();
            }
        });
        poll->start(10);
        // Give up after a while so that a frozen window fails the test instead of hanging it.
        QTimer::singleShot(20000, connection, [&] { connection->abort(); });
    });
    dialog.exec();

    QVERIFY(connection);
    QVERIFY2(paintsWhileWaiting > 0, "the notice was not painted while the call waited");
    QCOMPARE(dialog.OperResult, 0);
}

void TestRunner::cancelOffered_data() {
    QTest::addColumn<int>("operType");
    QTest::addColumn<QByteArray>("answerStart"); // the connection stays open after it; empty: silent
    QTest::addColumn<QString>("bytes");          // how Lb_Bytes starts when 取消 comes up
    QTest::addColumn<QString>("notice");         // the box after cancelling; empty: cannot cancel
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 3145728\r\n\r\n";
    QTest::newRow("photo list, silent server") << 0 << QByteArray() << QString() << "已取消获取企业照片列表";
    QTest::newRow("photo, 1.5 of 3 MB arrived")
        << 1 << head + QByteArray(1572864, 'x') << "已接收 1.5 MB / 3.0 MB"
        << "已取消获取企业照片信息";
    // The server holds the whole insert and may be storing it: no cancel that could hide that.
    QTest::newRow("insert, request sent") << 2 << QByteArray() << "已发送 2." << QString();
}

void TestRunner::cancelOffered() {
    QFETCH(int, operType);
    QFETCH(QByteArray, answerStart);
    QFETCH(QString, bytes);
    QFETCH(QString, notice);
    FakeHttpServer server;
    answerStart.isEmpty() ? server.staySilent() : server.replyAndHold(answerStart);
    DM_Main->ServerIP = QStringLiteral("127.0.0.1");
    DM_Main->ServerPort = QString::number(QUrl(server.url()).port());
    DM_Main->OperationKind = 2;
    picInfo_.F_PHOTO = QByteArray(2 * 1024 * 1024, 'j');
    TScriptedMessageBoxes boxes;

    TFrm_DataNetCommunication dialog;
    dialog.OperType = operType;
    dialog.PhotoId = QStringLiteral("P1");
    dialog.PhotoFlag = QStringLiteral("1");
    dialog.PicInfo = &picInfo_;
    auto *cancel = dialog.findChild<QPushButton *>(QStringLiteral("Btn_Cancel"));
    QString shownBytes;
    bool offered = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (cancel->isVisible()) {
            poll.stop();
            shownBytes = dialog.findChild<QLabel *>(QStringLiteral("Lb_Bytes"))->text();
            offered = cancel->isEnabled();
            offered ? cancel->click() : server.dropConnections();
        }
    });
    poll.start(10);
    dialog.exec();

    QVERIFY2(shownBytes.startsWith(bytes), qPrintable(shownBytes));
    QCOMPARE(offered, !notice.isEmpty());
    QCOMPARE(dialog.OperResult, offered ? 3 : 0);
    QCOMPARE(boxes.Texts(), offered ? QStringList{notice} : QStringList{});
    // Nothing written, the row untouched.
    QCOMPARE(QDir(appDir_->file(QStringLiteral("Photo"))).entryList(QDir::Files), QStringList{});
    QCOMPARE(list_->subItem(0, TPhotoListModel::StateColumn), QStringLiteral("0"));
    QCOMPARE(list_->imageIndex(0), int(TPhotoListModel::NotDownloaded));
    QCOMPARE(appDir_->logTexts().filter(QStringLiteral("已被用户取消")).size(), offered ? 1 : 0);
}

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
