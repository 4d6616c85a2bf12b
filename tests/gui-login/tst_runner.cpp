// The runner dialog: it runs an operation of the session (which client calls it makes, the result it
// hands back), always closes by itself and keeps painting its notice while a real call waits for the
// server; the bytes of a big transfer and the cancel it offers.

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

Q_DECLARE_METATYPE(TFrm_DataNetCommunication::Operation)

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

    void operations_data();
    void operations();
    void closesOnlyByItself();
    void keepsPaintingDuringCall();
    void cancelOffered_data();
    void cancelOffered();

private:
    using Operation = TFrm_DataNetCommunication::Operation;
    // Runs one operation against a fake service answering code; the calls it made.
    TOperationResult run(const Operation &operation, const QString &code, QStringList *calls = nullptr);

    std::optional<TempAppDir> appDir_;
    std::unique_ptr<TDM_Main> dm_;
    std::unique_ptr<TPhotoListModel> list_;
};

void TestRunner::init() {
    appDir_.emplace();
    dm_ = std::make_unique<TDM_Main>();
    list_ = std::make_unique<TPhotoListModel>();
    list_->appendRow(QStringLiteral("门头"), QStringLiteral("P1"), QStringLiteral("01"),
                     TPhotoListModel::NotDownloaded);
    list_->setSelectedRow(0);
    DM_Main->PhotoListView = list_.get();
}

void TestRunner::cleanup() {
    dm_.reset();
    list_.reset();
    appDir_.reset();
}

TOperationResult TestRunner::run(const Operation &operation, const QString &code, QStringList *calls) {
    auto log = std::make_shared<FakeServiceLog>();
    DM_Main->Session().SetClientFactory([log, code] { return FakePictureService::Client(log, code); });
    const TOperationResult result = TFrm_DataNetCommunication::Run(
        nullptr, QStringLiteral("正在查询企业信息,请稍候..."), false, operation);
    DM_Main->Session().SetClientFactory({});
    if (calls != nullptr) {
        *calls = log->all();
    }
    return result;
}

void TestRunner::operations_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reason");

    const Operation query = [](TPhotoSession &s) { return s.Query(QStringLiteral("3101150012345")); };
    const Operation list = [](TPhotoSession &s) { return s.Refresh(TPhotoSession::Identity::Kept); };
    const Operation remove = [](TPhotoSession &s) {
        return s.Delete(QStringLiteral("P1"), TPhotoSession::Identity::Photo);
    };
    const QString fetchCall = QStringLiteral("GetCompanyPhoto(%1,%2)")
                                  .arg(QString::fromLatin1(QByteArrayLiteral("P1").toBase64()),
                                       QString::fromLatin1(QByteArrayLiteral("1").toBase64()));
    QTest::newRow("query with its list")
        << query << "1110" << QStringList{"QueryCompanyInfo()", "GetCompanyPhotoList()"} << true
        << "获取企业照片列表成功"
        << "";
    QTest::newRow("company missing") << query << "1003" << QStringList{"QueryCompanyInfo()"} << false
                                     << "企业信息不存在,请重新输入查询"
                                     << "服务器上没有这个企业编号";
    QTest::newRow("company disabled")
        << query << "1000" << QStringList{"QueryCompanyInfo()"} << false << "查询企业信息失败"
        << "该企业已停用";
    QTest::newRow("1003 is not special for a list")
        << list << "1003" << QStringList{"GetCompanyPhotoList()"} << false << "获取企业照片列表失败"
        << "服务器上没有这个企业编号";
    QTest::newRow("fetch") << Operation([](TPhotoSession &s) {
        return s.Fetch(QStringLiteral("P1"), QStringLiteral("1"));
    }) << "2001" << QStringList{fetchCall}
                           << false << "获取企业照片信息失败"
                           << "照片信息为空";
    QTest::newRow("fetch of an unlisted photo")
        << Operation([](TPhotoSession &s) { return s.Fetch(QStringLiteral("P7"), QStringLiteral("0")); })
        << "1110" << QStringList{} << false << "获取企业照片信息失败"
        << "企业的照片列表中没有照片 P7";
    QTest::newRow("delete") << remove << "1110" << QStringList{"DeleteCompanyPhoto(P1)"} << true
                            << "删除照片成功"
                            << "";
    QTest::newRow("empty code") << remove << "" << QStringList{"DeleteCompanyPhoto(P1)"} << false
                                << "删除企业照片信息失败"
                                << "服务器返回了未知的结果代码 ";
}

void TestRunner::operations() {
    QFETCH(Operation, operation);
    QFETCH(QString, code);
    QFETCH(QStringList, calls);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    QFETCH(QString, reason);

    QStringList made;
    const TOperationResult result = run(operation, code, &made);
    QCOMPARE(made, calls);
    QCOMPARE(result.ok(), ok);
    QCOMPARE(result.message, message);
    QCOMPARE(result.reason, reason);
}

void TestRunner::closesOnlyByItself() {
    auto log = std::make_shared<FakeServiceLog>();
    DM_Main->Session().SetClientFactory(
        [log] { return FakePictureService::Client(log, QStringLiteral("1110")); });
    TFrm_DataNetCommunication dialog(nullptr);
    QCOMPARE(dialog.Lb_Tip->text(), QStringLiteral("正在连接服务器,请稍候..."));
    dialog.Operate = [](TPhotoSession &s) { return s.QueryCompany(QStringLiteral("3101150012345")); };

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
    QVERIFY(dialog.Result.ok());
    DM_Main->Session().SetClientFactory({});
}

void TestRunner::keepsPaintingDuringCall() {
    // A server that accepts and stays silent: the call waits until the test lets it fail.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    DM_Main->ServerIP = QStringLiteral("127.0.0.1");
    DM_Main->ServerPort = QString::number(silent.serverPort());

    TFrm_DataNetCommunication dialog; // the configured client, as the windows use it
    dialog.Lb_Tip->setText(QStringLiteral("正在查询企业信息,请稍候..."));
    dialog.Operate = [](TPhotoSession &s) { return s.QueryCompany(QStringLiteral("3101150012345")); };
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
    QVERIFY(!dialog.Result.ok());
    QCOMPARE(dialog.Result.message, QStringLiteral("查询企业信息失败"));
    QCOMPARE(dialog.Result.reason, QStringLiteral("与服务器的连接在传输中断开"));
}

void TestRunner::cancelOffered_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("changesServer");
    QTest::addColumn<QByteArray>("answerStart"); // the connection stays open after it; empty: silent
    QTest::addColumn<QString>("bytes");          // how Lb_Bytes starts when 取消 comes up
    QTest::addColumn<QString>("notice");         // the box after cancelling; empty: cannot cancel
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 3145728\r\n\r\n";
    QTest::newRow("photo list, silent server")
        << Operation([](TPhotoSession &s) { return s.Refresh(TPhotoSession::Identity::Photo); }) << false
        << QByteArray() << QString() << "已取消获取企业照片列表";
    QTest::newRow("photo, 1.5 of 3 MB arrived")
        << Operation([](TPhotoSession &s) { return s.Fetch(QStringLiteral("P1"), QStringLiteral("1")); })
        << false << head + QByteArray(1572864, 'x') << "已接收 1.5 MB / 3.0 MB"
        << "已取消获取企业照片信息";
    // The server holds the whole delete and may be carrying it out: no cancel that could hide that.
    QTest::newRow("delete, request sent") << Operation([](TPhotoSession &s) {
        return s.Delete(QStringLiteral("P1"), TPhotoSession::Identity::Photo);
    }) << true << QByteArray() << QString()
                                          << QString();
}

void TestRunner::cancelOffered() {
    QFETCH(Operation, operation);
    QFETCH(bool, changesServer);
    QFETCH(QByteArray, answerStart);
    QFETCH(QString, bytes);
    QFETCH(QString, notice);
    FakeHttpServer server;
    answerStart.isEmpty() ? server.staySilent() : server.replyAndHold(answerStart);
    DM_Main->ServerIP = QStringLiteral("127.0.0.1");
    DM_Main->ServerPort = QString::number(QUrl(server.url()).port());
    TScriptedMessageBoxes boxes;

    TFrm_DataNetCommunication dialog;
    dialog.Operate = operation;
    dialog.ChangesServer = changesServer;
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
    QCOMPARE(dialog.Result.cancelled, offered);
    QCOMPARE(boxes.Texts(), offered ? QStringList{notice} : QStringList{});
    // Nothing written, the row untouched.
    QCOMPARE(QDir(appDir_->file(QStringLiteral("Photo"))).entryList(QDir::Files), QStringList{});
    QCOMPARE(list_->subItem(0, TPhotoListModel::StateColumn), QStringLiteral("0"));
    QCOMPARE(list_->imageIndex(0), int(TPhotoListModel::NotDownloaded));
    QCOMPARE(appDir_->logTexts().filter(QStringLiteral("已被用户取消")).size(), offered ? 1 : 0);
}

QTEST_MAIN(TestRunner)
#include "tst_runner.moc"
