// The service client's frame: endpoint, header built once, result codes and their log texts, the
// login check and the company query.

#include "FakePictureService.h"
#include "support/TestSupport.h"

#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/UploadPictureLib.h"
#include "core/StrOper.h"

#include <QTest>

class TestUploadPicture : public QObject {
    Q_OBJECT
private slots:
    void endpointUrl_data() {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("url");
        QTest::newRow("address and port") << "10.0.0.5"
                                          << "8080"
                                          << "http://10.0.0.5:8080/PictureService.asmx";
        QTest::newRow("both trimmed") << " photos.test "
                                      << "\t81 "
                                      << "http://photos.test:81/PictureService.asmx";
        QTest::newRow("blank port") << "photos.test"
                                    << "   "
                                    << "http://photos.test/PictureService.asmx";
        QTest::newRow("no address") << ""
                                    << ""
                                    << "http:///PictureService.asmx";
    }
    void endpointUrl() {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, url);
        TempAppDir app;
        TDM_Main dm;
        dm.ServerIP = ip;
        dm.ServerPort = port;
        QCOMPARE(TUploadPicture::EndpointUrl(dm), url);
    }

    // The header is built when the client is created; a later change of OperationKind does not reach it.
    void headerBuiltOnceAtCreation() {
        TempAppDir app;
        TDM_Main dm;
        dm.OperationKind = TOperationKind::CompanyQuery;
        dm.CompanyId = QStringLiteral("A01B234567890");
        FakeClient f;
        dm.OperationKind = TOperationKind::Photo;
        dm.CurrentCompany->CustomerId = QStringLiteral("other");
        QString code;
        f.client->Func_DeleteCompanyPhoto(QStringLiteral("W1"), code);
        QCOMPARE(f.service->calls.size(), 1);
        const Header &sent = f.service->calls[0].header;
        QCOMPARE(TStrOper::DecodeHeaderStr(sent.F_CUSTOMERID), dm.CompanyId);
        QCOMPARE(TStrOper::DecodeHeaderStr(sent.F_SOFTWAREID), QStringLiteral("B234567890"));
        QCOMPARE(TStrOper::DecodeBase64(sent.F_COMPANYTYPE), QStringLiteral("A01"));
        QCOMPARE(TStrOper::DecodeBase64(sent.F_VERSIONNUM), QStringLiteral("2.0.0.0"));
    }

    void photoCodes_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("log");
        const int list = 0, fetch = 1, insert = 2, update = 3, remove = 4;
        QTest::newRow("list 1000") << list << "1000"
                                   << "企业已停用,不能获取照片信息";
        QTest::newRow("fetch 1004") << fetch << "1004"
                                    << "企业状态未知,不能获取照片信息";
        QTest::newRow("insert 1003") << insert << "1003"
                                     << "企业不存在,不能添加照片信息";
        QTest::newRow("update 1111") << update << "1111"
                                     << "验证企业信息时失败,不能修改照片信息";
        QTest::newRow("delete 0004") << remove << "0004"
                                     << "获取该行业的配置信息失败,不能删除照片信息";
        QTest::newRow("update 0001") << update << "0001"
                                     << "解密表头错误,不能修改照片信息";
        QTest::newRow("list 0002") << list << "0002"
                                   << "获取企业照片列表失败,解密信息错误";
        QTest::newRow("fetch 0002") << fetch << "0002"
                                    << "获取企业照片信息失败,解密信息错误";
        QTest::newRow("insert 0002") << insert << "0002"
                                     << "添加企业照片信息失败,解密信息错误";
        QTest::newRow("update 0002") << update << "0002"
                                     << "修改企业照片信息失败,解密信息错误";
        QTest::newRow("delete 0002") << remove << "0002"
                                     << "删除企业照片信息失败,解密信息错误";
        QTest::newRow("fetch 2001") << fetch << "2001"
                                    << "获取企业照片失败,照片信息为空";
        QTest::newRow("fetch 2002") << fetch << "2002"
                                    << "获取企业照片失败,照片信息不存在";
        QTest::newRow("list 2001") << list << "2001"
                                   << "获取企业照片列表失败,返回值:2001";
        QTest::newRow("insert 2002") << insert << "2002"
                                     << "添加企业照片失败,返回值:2002";
        QTest::newRow("update 9999") << update << "9999"
                                     << "修改企业照片失败,返回值:9999";
        QTest::newRow("delete empty") << remove << ""
                                      << "删除企业照片失败,返回值:";
        QTest::newRow("fetch leading blank") << fetch << " 1110"
                                             << "获取企业照片失败,返回值: 1110";
        QTest::newRow("list trailing blank") << list << "1110 "
                                             << "获取企业照片列表失败,返回值:1110 ";
        QTest::newRow("insert lower case") << insert << "1o10"
                                           << "添加企业照片失败,返回值:1o10";
    }
    void photoCodes() {
        QFETCH(int, op);
        QFETCH(QString, code);
        QFETCH(QString, log);
        TempAppDir app;
        TDM_Main dm;
        TPhotoListModel rows;
        dm.PhotoListView = &rows;
        FakeClient f;
        f.service->picResult.F_OPERRESULT = code;
        QString result = QStringLiteral("unset");
        run(*f.client, op, result);
        QCOMPARE(result, code);
        QCOMPARE(app.logTexts(), QStringList{log});
    }

    void photoExceptions_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("log");
        QTest::newRow("list") << 0
                              << "获取企业照片列表失败,TUploadInfo->Func_GetCompanyPhotoList中错误:连接失败";
        QTest::newRow("fetch") << 1 << "获取企业照片失败,TUploadInfo->Func_GetCompanyPhoto中错误:连接失败";
        QTest::newRow("insert") << 2
                                << "添加企业照片失败,TUploadInfo->Func_InsertCompanyPhoto中错误:连接失败";
        QTest::newRow("update") << 3
                                << "修改企业照片失败,TUploadInfo->Func_UpdateCompanyPhoto中错误:连接失败";
        QTest::newRow("delete") << 4
                                << "删除企业照片失败,TUploadInfo->Func_DeleteCompanyPhoto中错误:连接失败";
    }
    // A broken connection and a server's "1111" both end in "1111"; only the log line differs.
    void photoExceptions() {
        QFETCH(int, op);
        QFETCH(QString, log);
        TempAppDir app;
        TDM_Main dm;
        TPhotoListModel rows;
        dm.PhotoListView = &rows;
        FakeClient f;
        f.service->failure = QStringLiteral("连接失败");
        QString result;
        run(*f.client, op, result);
        QCOMPARE(result, QStringLiteral("1111"));
        QCOMPARE(app.logTexts(), QStringList{log});
    }

    void requestArguments() {
        TempAppDir app;
        TDM_Main dm;
        TPhotoListModel rows;
        dm.PhotoListView = &rows;
        FakeClient f;
        f.service->picResult.F_OPERRESULT = QStringLiteral("2002");
        QString code;
        f.client->Func_GetCompanyPhoto(QStringLiteral("WX1"), QStringLiteral("1"), code);
        f.client->Func_DeleteCompanyPhoto(QStringLiteral("WX1"), code);
        TPictureInfo pic;
        pic.F_ID = QStringLiteral("WX1");
        pic.F_PHOTO = QByteArray("jpeg");
        f.client->Func_UpdateCompanyPhoto(pic, code);
        QCOMPARE(f.service->calls[0].args,
                 QStringList({TStrOper::EncodeBase64("WX1"), TStrOper::EncodeBase64("1")}));
        QCOMPARE(f.service->calls[1].args, QStringList{"WX1"}); // plain text, not Base64
        QCOMPARE(f.service->calls[2].picInfo.F_ID, pic.F_ID);
        QCOMPARE(f.service->calls[2].picInfo.F_PHOTO, pic.F_PHOTO);
    }

    void login_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("message");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("success") << "1110"
                                 << "" << WM_LOGIN_SUCCESS << QStringList();
        QTest::newRow("bad header") << "0001"
                                    << "" << WM_LOGIN_BADHEADER << QStringList{"登录验证失败,解密表头错误"};
        QTest::newRow("denied") << "2003"
                                << "" << WM_LOGIN_DENIED << QStringList{"用户名或密码错误,无法登录系统"};
        QTest::newRow("1111") << "1111"
                              << "" << WM_LOGIN_FAILED << QStringList{"登录验证错误,返回值:1111"};
        QTest::newRow("company code") << "1003"
                                      << "" << WM_LOGIN_FAILED << QStringList{"登录验证错误,返回值:1003"};
        QTest::newRow("exception") << ""
                                   << "timeout" << WM_LOGIN_FAILED
                                   << QStringList{
                                          "登录验证失败,TUploadInfo->Func_ValidateUserLogin中错误:timeout"};
    }
    void login() {
        QFETCH(QString, code);
        QFETCH(QString, failure);
        QFETCH(int, message);
        QFETCH(QStringList, log);
        TempAppDir app;
        TDM_Main dm;
        dm.OperationKind = TOperationKind::Login;
        dm.UserName = QStringLiteral("张三");
        dm.UserPass = QStringLiteral("pw");
        FakeClient f;
        f.service->userInfo.F_OPERRESULT = code; // every other field empty
        f.service->failure = failure;
        QCOMPARE(f.client->Func_ValidateUserLogin(), message);
        QCOMPARE(app.logTexts(), log);
        QCOMPARE(TStrOper::DecodeHeaderStr(f.service->calls[0].header.F_CUSTOMERID), dm.UserName);
        QCOMPARE(WM_LOGIN_SUCCESS, 2134);
        QCOMPARE(WM_LOGIN_BADHEADER, 2137);
    }

    void querySuccessStoresCompany() {
        TempAppDir app;
        TDM_Main dm;
        dm.OperationKind = TOperationKind::CompanyQuery;
        FakeClient f;
        TCompanyInfo &c = f.service->companyInfo;
        c.F_OPERRESULT = QStringLiteral("1110");
        c.F_CUSTOMERID = QStringLiteral("WDE="); // Base64 itself: kept as received
        c.F_SOFTWAREID = QStringLiteral("s w");
        c.F_COMPANYTYPE = QStringLiteral("01");
        c.F_DEVICEID = QStringLiteral("dev\r\n");
        c.F_COMPANYNAME = TStrOper::EncodeBase64(QStringLiteral("测试企业"));
        QString code;
        f.client->Func_QueryCompanyInfo(code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(dm.CurrentCompany->CustomerId, c.F_CUSTOMERID);
        QCOMPARE(dm.CurrentCompany->SoftwareId, c.F_SOFTWAREID);
        QCOMPARE(dm.CurrentCompany->CompanyType, c.F_COMPANYTYPE);
        QCOMPARE(dm.CurrentCompany->DeviceId, c.F_DEVICEID);
        QCOMPARE(dm.CurrentCompany->CompanyName, QStringLiteral("测试企业"));
        QVERIFY(app.logTexts().isEmpty());
    }

    void queryFailureKeepsCompany_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("expectedCode");
        QTest::addColumn<QString>("log");
        QTest::newRow("unknown company") << "1003"
                                         << ""
                                         << "1003"
                                         << "企业信息不存在";
        QTest::newRow("bad header") << "0001"
                                    << ""
                                    << "0001"
                                    << "查询企业信息失败,解密表头失败";
        QTest::newRow("deactivated") << "1000"
                                     << ""
                                     << "1000"
                                     << "查询企业信息错误,返回值:1000";
        QTest::newRow("denied code") << "2003"
                                     << ""
                                     << "2003"
                                     << "查询企业信息错误,返回值:2003";
        QTest::newRow("exception")
            << ""
            << "HTTP status 502"
            << "1111"
            << "查询企业信息失败,TUploadInfo->Func_QueryCompanyInfo中错误:HTTP status 502";
    }
    void queryFailureKeepsCompany() {
        QFETCH(QString, code);
        QFETCH(QString, failure);
        QFETCH(QString, expectedCode);
        QFETCH(QString, log);
        TempAppDir app;
        TDM_Main dm;
        dm.CurrentCompany->CustomerId = QStringLiteral("before");
        FakeClient f;
        f.service->companyInfo.F_OPERRESULT = code;
        f.service->companyInfo.F_CUSTOMERID = QStringLiteral("after");
        f.service->failure = failure;
        QString result;
        f.client->Func_QueryCompanyInfo(result);
        QCOMPARE(result, expectedCode);
        QCOMPARE(dm.CurrentCompany->CustomerId, QStringLiteral("before"));
        QCOMPARE(app.logTexts(), QStringList{log});
    }

private:
    static void run(TUploadPicture &client, int op, QString &code) {
        switch (op) {
        case 0:
            return client.Func_GetCompanyPhotoList(code);
        case 1:
            client.Func_GetCompanyPhoto(QStringLiteral("W1"), QStringLiteral("0"), code);
            return;
        case 2:
            return client.Func_InsertCompanyPhoto(TPictureInfo(), code);
        case 3:
            return client.Func_UpdateCompanyPhoto(TPictureInfo(), code);
        default:
            return client.Func_DeleteCompanyPhoto(QStringLiteral("W1"), code);
        }
    }
};

QTEST_GUILESS_MAIN(TestUploadPicture)
#include "tst_uploadpicture.moc"
