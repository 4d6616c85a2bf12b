// Creating the data module: configuration decoding, its failure path, the photo cache folder, and the
// request header values chosen by the operation kind.

#include "ConfigWriter.h"
#include "client/HeaderFields.h"
#include "client/MainDataModule.h"
#include "core/Notifier.h"
#include "core/StrOper.h"
#include "support/TestSupport.h"

#include <QTest>

namespace {

class RecordingNotifier : public TNotifier {
public:
    void Warn(const QString &text) override { warnings.append(text); }
    QStringList warnings;
};

void writeConfig(const TempAppDir &app, const QByteArray &content) {
    QVERIFY(QDir().mkpath(app.file(QStringLiteral("PictureConfig"))));
    QFile f(app.file(QStringLiteral("PictureConfig/Config.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class TstDataModule : public QObject {
    Q_OBJECT

    RecordingNotifier notifier_;

private slots:
    void init() {
        notifier_.warnings.clear();
        TNotifier::Install(&notifier_);
    }
    void cleanup() { TNotifier::Install(nullptr); }

    void writtenConfigurationIsReadBack() {
        TempAppDir app;
        QString error;
        QVERIFY2(cli::WriteConfigFile(app.path(), QStringLiteral("photos.example.test"),
                                      QStringLiteral("8080"), error),
                 qPrintable(error));
        TDM_Main dm;
        QCOMPARE(DM_Main, &dm);
        QVERIFY(!dm.TerminateRequested);
        QCOMPARE(dm.ServerIP, QStringLiteral("photos.example.test"));
        QCOMPARE(dm.ServerPort, QStringLiteral("8080"));
        QCOMPARE(dm.AppPath, app.path());
        QVERIFY(QDir(app.file(QStringLiteral("Photo"))).exists());
        QVERIFY(notifier_.warnings.isEmpty());
        QVERIFY(app.logTexts().isEmpty());
    }

    void destroyedModuleLeavesNoDanglingInstance() {
        TempAppDir app;
        { TDM_Main dm; }
        QCOMPARE(DM_Main, nullptr);
    }

    void missingConfigurationStartsWithEmptyServer() {
        TempAppDir app;
        TDM_Main dm;
        QVERIFY(!dm.TerminateRequested);
        QVERIFY(dm.ServerIP.isEmpty());
        QVERIFY(dm.ServerPort.isEmpty());
        QVERIFY(QDir(app.file(QStringLiteral("Photo"))).exists());
        QVERIFY(notifier_.warnings.isEmpty());
    }

    void missingPortKeepsTheAddress() {
        TempAppDir app;
        writeConfig(app, "[UploadConfig]\r\nIP=" + cli::ProtectValue(QStringLiteral("10.1.2.3")).toLatin1() +
                             "\r\n");
        TDM_Main dm;
        QCOMPARE(dm.ServerIP, QStringLiteral("10.1.2.3"));
        QVERIFY(dm.ServerPort.isEmpty());
    }

    void nonHexValueStopsTheProgram() {
        TempAppDir app;
        writeConfig(app, "[UploadConfig]\r\nIP=" + cli::ProtectValue(QStringLiteral("host")).toLatin1() +
                             "\r\nPort=12G4\r\n");
        TDM_Main dm;
        QVERIFY(dm.TerminateRequested);
        QCOMPARE(notifier_.warnings, QStringList{QStringLiteral("读取配置信息失败,无法启动程序")});
        QCOMPARE(app.logTexts(),
                 QStringList{QStringLiteral(
                     "读取系统配置文件失败,Func_ReadConfigInfo中错误:错误：不是一个 Hex 字符串！")});
        // The address decoded before the failure stays; the cache folder is not created.
        QCOMPARE(dm.ServerIP, QStringLiteral("host"));
        QVERIFY(!QDir(app.file(QStringLiteral("Photo"))).exists());
    }

    void headerFieldsFollowTheOperationKind() {
        TempAppDir app;
        TDM_Main dm;
        dm.UserName = QStringLiteral("张三");
        dm.UserPass = QStringLiteral("secret");
        dm.CompanyId = QStringLiteral("3201000012345");
        dm.CurrentCompany->CustomerId = QStringLiteral("C-77");
        dm.CurrentCompany->SoftwareId = QStringLiteral("S-88");
        dm.CurrentCompany->DeviceId = QStringLiteral("D-99");
        dm.CurrentCompany->CompanyType = QStringLiteral("320");
        const QString version = TStrOper::EncodeBase64(QStringLiteral("2.0.0.0"));

        dm.OperationKind = TOperationKind::Login;
        THeaderFields h = BuildHeaderFields(dm);
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_CUSTOMERID), QStringLiteral("张三"));
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_SOFTWAREID), QStringLiteral("secret"));
        QVERIFY(h.F_DEVICECODE.isEmpty());
        QVERIFY(h.F_COMPANYTYPE.isEmpty());
        QCOMPARE(h.F_VERSIONNUM, version);

        dm.OperationKind = TOperationKind::CompanyQuery;
        h = BuildHeaderFields(dm);
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_CUSTOMERID), QStringLiteral("3201000012345"));
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_SOFTWAREID), QStringLiteral("1000012345"));
        QVERIFY(h.F_DEVICECODE.isEmpty());
        QCOMPARE(h.F_COMPANYTYPE, TStrOper::EncodeBase64(QStringLiteral("320")));
        QCOMPARE(h.F_VERSIONNUM, version);

        dm.OperationKind = TOperationKind::Photo;
        h = BuildHeaderFields(dm);
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_CUSTOMERID), QStringLiteral("C-77"));
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_SOFTWAREID), QStringLiteral("S-88"));
        QCOMPARE(TStrOper::DecodeHeaderStr(h.F_DEVICECODE), QStringLiteral("D-99"));
        QCOMPARE(h.F_COMPANYTYPE, TStrOper::EncodeBase64(QStringLiteral("320")));

        // A short company ID gives what is there.
        dm.OperationKind = TOperationKind::CompanyQuery;
        dm.CompanyId = QStringLiteral("32");
        h = BuildHeaderFields(dm);
        QVERIFY(h.F_SOFTWAREID.isEmpty());
        QCOMPARE(h.F_COMPANYTYPE, TStrOper::EncodeBase64(QStringLiteral("32")));
    }
};

QTEST_GUILESS_MAIN(TstDataModule)
#include "tst_datamodule.moc"
