// The SOAP messages on the wire: what the codec writes, and hand-written messages in the prefix
// styles other SOAP stacks use, read back by the codec.

#include "contract/SoapCodec.h"
#include "core/Base64.h"

#include <QTest>
#include <QXmlStreamReader>

using namespace Soap;

Q_DECLARE_METATYPE(Soap::Operation)

namespace {

const QString kEnv = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
const QString kSvc = QStringLiteral("MORA.PictureService");

// The elements of a message as "namespace|name" paths, so tests check structure, not formatting.
QStringList elementPaths(const QByteArray &xml) {
    QXmlStreamReader r(xml);
    QStringList stack;
    QStringList out;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            stack.append((r.namespaceUri() == kSvc   ? QStringLiteral("svc:")
                          : r.namespaceUri() == kEnv ? QStringLiteral("env:")
                                                     : QStringLiteral("?:")) +
                         r.name().toString());
            out.append(stack.join(u'/'));
        } else if (r.isEndElement()) {
            stack.removeLast();
        }
    }
    return r.hasError() ? QStringList{r.errorString()} : out;
}

// A list answer with one photo, in a given style: %1 opens the envelope (with its prefix), the
// body content uses the prefixes the style defines.
QByteArray listAnswer(const char *open, const char *close, const char *body) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"utf-8\"?>") + open + body + close;
}

constexpr char kPlainBody[] =
    "<Func_GetCompanyPhotoListResult>"
    "<F_OPERRESULT>1110</F_OPERRESULT><F_MAXNUMBER>9</F_MAXNUMBER><F_ZOOMWDITH>800</F_ZOOMWDITH>"
    "<F_ZOOMHEIGHT>600</F_ZOOMHEIGHT><F_PICLIST><TPictureInfo><F_ID>MDE=</F_ID><F_SMALLPHOTO>/9j/</"
    "F_SMALLPHOTO>"
    "<F_FLAG>MDE=</F_FLAG><F_MEMO>bm90ZQ==</F_MEMO><F_ISEXISTS>1</F_ISEXISTS></TPictureInfo></F_PICLIST>"
    "<F_FLAGLIST><string>MDEgYQ==</string><string>MDIgYg==</string></F_FLAGLIST>"
    "</Func_GetCompanyPhotoListResult>";

} // namespace

class TestSoapCodec : public QObject {
    Q_OBJECT
private slots:
    void operationNames() {
        QCOMPARE(OperationName(Operation::QueryCompanyInfo), QStringLiteral("Func_QueryCompanyInfo"));
        QCOMPARE(SoapAction(Operation::GetCompanyPhoto),
                 QByteArray("\"MORA.PictureService/Func_GetCompanyPhoto\""));
        for (int i = 0; i <= int(Operation::QueryCompanyInfo); ++i) {
            const auto op = Operation(i);
            QCOMPARE(OperationFromName(OperationName(op)), std::optional<Operation>(op));
        }
        QVERIFY(!OperationFromName(u"func_QueryCompanyInfo"));
        QVERIFY(!OperationFromName(u"Func_QueryCompanyInfo "));
    }

    void requestStructure_data() {
        QTest::addColumn<Operation>("op");
        QTest::addColumn<QStringList>("params");
        const QStringList pic{QStringLiteral("aPicInfo"),
                              QStringLiteral("aPicInfo/svc:F_ID"),
                              QStringLiteral("aPicInfo/svc:F_COMPANYID"),
                              QStringLiteral("aPicInfo/svc:F_PHOTO"),
                              QStringLiteral("aPicInfo/svc:F_SMALLPHOTO"),
                              QStringLiteral("aPicInfo/svc:F_BUSFLAG"),
                              QStringLiteral("aPicInfo/svc:F_FLAG"),
                              QStringLiteral("aPicInfo/svc:F_MEMO"),
                              QStringLiteral("aPicInfo/svc:F_INPUTTIME"),
                              QStringLiteral("aPicInfo/svc:F_ISEXISTS")};
        QTest::newRow("list") << Operation::GetCompanyPhotoList << QStringList();
        QTest::newRow("login") << Operation::ValidateUserLogin << QStringList();
        QTest::newRow("query") << Operation::QueryCompanyInfo << QStringList();
        QTest::newRow("fetch") << Operation::GetCompanyPhoto << QStringList{"aPhotoId", "aFlag"};
        QTest::newRow("delete") << Operation::DeleteCompanyPhoto << QStringList{"aPhotoId"};
        QTest::newRow("insert") << Operation::InsertCompanyPhoto << pic;
        QTest::newRow("update") << Operation::UpdateCompanyPhoto << pic;
    }
    // Header with its five fields in order and the operation element with its parameters in
    // declaration order, all in the service namespace.
    void requestStructure() {
        QFETCH(Operation, op);
        QFETCH(QStringList, params);
        Request request;
        request.op = op;
        const QString opPath = QStringLiteral("env:Envelope/env:Body/svc:") + OperationName(op);
        QStringList expected{"env:Envelope",
                             "env:Envelope/env:Header",
                             "env:Envelope/env:Header/svc:Header",
                             "env:Envelope/env:Header/svc:Header/svc:F_CUSTOMERID",
                             "env:Envelope/env:Header/svc:Header/svc:F_SOFTWAREID",
                             "env:Envelope/env:Header/svc:Header/svc:F_DEVICECODE",
                             "env:Envelope/env:Header/svc:Header/svc:F_COMPANYTYPE",
                             "env:Envelope/env:Header/svc:Header/svc:F_VERSIONNUM",
                             "env:Envelope/env:Body",
                             opPath};
        for (const QString &p : params) {
            expected.append(opPath + QStringLiteral("/svc:") + p);
        }
        QCOMPARE(elementPaths(WriteRequest(request)), expected);
    }

    // Everything a client sends comes back unchanged on the server side, the CR LF line breaks of
    // long Base64 texts and non-ASCII text included.
    void requestRoundTrip() {
        Request in;
        in.op = Operation::UpdateCompanyPhoto;
        in.header = {QStringLiteral("Ta B c"), QStringLiteral("x<&>y"), QString(),
                     QStringLiteral("QUJD\r\nREVG\r\n"), QStringLiteral("Mi4wLjAuMA==")};
        in.aPicInfo.F_ID = QStringLiteral("WX12025030801");
        in.aPicInfo.F_COMPANYID = QStringLiteral("line1\r\nline2\rend");
        in.aPicInfo.F_PHOTO = QByteArray("\xff\xd8\x00\x01 binary \r\n", 14);
        in.aPicInfo.F_SMALLPHOTO = QByteArray(5000, '\x7f');
        in.aPicInfo.F_MEMO = QStringLiteral("门头照 \"quoted\"");
        const Request out = ReadRequest(WriteRequest(in));
        QCOMPARE(out.op, in.op);
        QCOMPARE(out.header.F_CUSTOMERID, in.header.F_CUSTOMERID);
        QCOMPARE(out.header.F_SOFTWAREID, in.header.F_SOFTWAREID);
        QCOMPARE(out.header.F_DEVICECODE, in.header.F_DEVICECODE);
        QCOMPARE(out.header.F_COMPANYTYPE, in.header.F_COMPANYTYPE);
        QCOMPARE(out.header.F_VERSIONNUM, in.header.F_VERSIONNUM);
        QCOMPARE(out.aPicInfo.F_ID, in.aPicInfo.F_ID);
        QCOMPARE(out.aPicInfo.F_COMPANYID, in.aPicInfo.F_COMPANYID);
        QCOMPARE(out.aPicInfo.F_PHOTO, in.aPicInfo.F_PHOTO);
        QCOMPARE(out.aPicInfo.F_SMALLPHOTO, in.aPicInfo.F_SMALLPHOTO);
        QCOMPARE(out.aPicInfo.F_MEMO, in.aPicInfo.F_MEMO);

        Request fetch;
        fetch.op = Operation::GetCompanyPhoto;
        fetch.aPhotoId = QStringLiteral("V1gx");
        fetch.aFlag = QStringLiteral("MQ==");
        const Request back = ReadRequest(WriteRequest(fetch));
        QCOMPARE(back.aPhotoId, fetch.aPhotoId);
        QCOMPARE(back.aFlag, fetch.aFlag);
    }

    // Requests as other SOAP stacks write them.
    void readRequestStyles_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("prefixed") << QByteArray(
            "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
            "xmlns:ns1=\"MORA.PictureService\"><SOAP-ENV:Header><ns1:Header><ns1:F_CUSTOMERID>cust</"
            "ns1:F_CUSTOMERID>"
            "<ns1:F_VERSIONNUM>v</ns1:F_VERSIONNUM></ns1:Header></SOAP-ENV:Header><SOAP-ENV:Body>"
            "<ns1:Func_DeleteCompanyPhoto><ns1:aPhotoId>W1</ns1:aPhotoId></ns1:Func_DeleteCompanyPhoto>"
            "</SOAP-ENV:Body></SOAP-ENV:Envelope>");
        QTest::newRow("repeated namespace") << QByteArray(
            "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Header>"
            "<Header xmlns=\"MORA.PictureService\"><F_CUSTOMERID "
            "xmlns=\"MORA.PictureService\">cust</F_CUSTOMERID>"
            "<F_VERSIONNUM xmlns=\"MORA.PictureService\">v</F_VERSIONNUM></Header></s:Header><s:Body>"
            "<Func_DeleteCompanyPhoto xmlns=\"MORA.PictureService\"><aPhotoId "
            "xmlns=\"MORA.PictureService\">W1"
            "</aPhotoId></Func_DeleteCompanyPhoto></s:Body></s:Envelope>");
    }
    void readRequestStyles() {
        QFETCH(QByteArray, xml);
        const Request r = ReadRequest(xml);
        QCOMPARE(r.op, Operation::DeleteCompanyPhoto);
        QCOMPARE(r.header.F_CUSTOMERID, QStringLiteral("cust"));
        QCOMPARE(r.header.F_SOFTWAREID, QString());
        QCOMPARE(r.header.F_VERSIONNUM, QStringLiteral("v"));
        QCOMPARE(r.aPhotoId, QStringLiteral("W1"));
    }

    void readRequestRejects_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("problem");
        QTest::newRow("unknown operation")
            << QByteArray("<Envelope><Body><Func_Drop/></Body></Envelope>") << QStringLiteral("Func_Drop");
        QTest::newRow("empty body") << QByteArray("<Envelope><Body/></Envelope>")
                                    << QStringLiteral("empty SOAP body");
        QTest::newRow("no body") << QByteArray("<Envelope/>") << QStringLiteral("no SOAP body");
        QTest::newRow("not xml") << QByteArray("hello") << QStringLiteral("unreadable");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("unreadable");
    }
    void readRequestRejects() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, problem);
        try {
            ReadRequest(xml);
            QFAIL("no error");
        } catch (const SoapError &e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(problem), e.what());
        }
    }

    void readAnswerStyles_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("default namespace") << listAnswer(
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
            "<Func_GetCompanyPhotoListResponse xmlns=\"MORA.PictureService\">",
            "</Func_GetCompanyPhotoListResponse></soap:Body></soap:Envelope>", kPlainBody);
        QTest::newRow("soap and tns prefixes") << listAnswer(
            "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
            "xmlns:tns=\"MORA.PictureService\"><SOAP-ENV:Body><tns:Func_GetCompanyPhotoListResponse>",
            "</tns:Func_GetCompanyPhotoListResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>",
            "<tns:return><tns:F_OPERRESULT>1110</tns:F_OPERRESULT><tns:F_MAXNUMBER>9</tns:F_MAXNUMBER>"
            "<tns:F_ZOOMWDITH>800</tns:F_ZOOMWDITH><tns:F_ZOOMHEIGHT>600</tns:F_ZOOMHEIGHT><tns:F_PICLIST>"
            "<tns:item><tns:F_ID>MDE=</tns:F_ID><tns:F_SMALLPHOTO>/9j/</tns:F_SMALLPHOTO><tns:F_FLAG>MDE=</"
            "tns:F_FLAG>"
            "<tns:F_MEMO>bm90ZQ==</tns:F_MEMO><tns:F_ISEXISTS>1</tns:F_ISEXISTS></tns:item></tns:F_PICLIST>"
            "<tns:F_FLAGLIST><tns:item>MDEgYQ==</tns:item><tns:item>MDIgYg==</tns:item></tns:F_FLAGLIST>"
            "</tns:return>");
        QTest::newRow("namespace on every element") << listAnswer(
            "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Header/><e:Body>"
            "<Func_GetCompanyPhotoListResponse xmlns=\"MORA.PictureService\">",
            "</Func_GetCompanyPhotoListResponse></e:Body></e:Envelope>",
            "<Result xmlns=\"MORA.PictureService\"><F_OPERRESULT "
            "xmlns=\"MORA.PictureService\">1110</F_OPERRESULT>"
            "<F_MAXNUMBER xmlns=\"MORA.PictureService\">9</F_MAXNUMBER>"
            "<F_ZOOMWDITH xmlns=\"MORA.PictureService\"> 800 </F_ZOOMWDITH>"
            "<F_ZOOMHEIGHT xmlns=\"MORA.PictureService\">600</F_ZOOMHEIGHT>"
            "<F_PICLIST xmlns=\"MORA.PictureService\"><x xmlns=\"MORA.PictureService\">"
            "<F_ID xmlns=\"MORA.PictureService\">MDE=</F_ID><F_SMALLPHOTO xmlns=\"MORA.PictureService\">/9j/"
            "</F_SMALLPHOTO><F_FLAG xmlns=\"MORA.PictureService\">MDE=</F_FLAG>"
            "<F_MEMO xmlns=\"MORA.PictureService\">bm90ZQ==</F_MEMO><F_ISEXISTS "
            "xmlns=\"MORA.PictureService\">1"
            "</F_ISEXISTS></x></F_PICLIST><F_FLAGLIST xmlns=\"MORA.PictureService\">"
            "<s xmlns=\"MORA.PictureService\">MDEgYQ==</s><s xmlns=\"MORA.PictureService\">MDIgYg==</s>"
            "</F_FLAGLIST></Result>");
        // The result among other children, picked by its name; a comment and CDATA on the way.
        QTest::newRow("several children, one named RESULT") << listAnswer(
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><!-- c -->"
            "<r:Func_GetCompanyPhotoListResponse xmlns:r=\"MORA.PictureService\"><r:RESULT>",
            "</r:RESULT><r:trace>x</r:trace></r:Func_GetCompanyPhotoListResponse></soap:Body></"
            "soap:Envelope>",
            "<r:F_OPERRESULT><![CDATA[1110]]></r:F_OPERRESULT><r:F_MAXNUMBER>9</r:F_MAXNUMBER>"
            "<r:F_ZOOMWDITH>800</r:F_ZOOMWDITH><r:F_ZOOMHEIGHT>600</r:F_ZOOMHEIGHT><r:F_PICLIST><r:e>"
            "<r:F_ID>MDE=</r:F_ID><r:F_SMALLPHOTO>/9j/</r:F_SMALLPHOTO><r:F_FLAG>MDE=</r:F_FLAG>"
            "<r:F_MEMO>bm90ZQ==</r:F_MEMO><r:F_ISEXISTS>1</r:F_ISEXISTS></r:e></r:F_PICLIST><r:F_FLAGLIST>"
            "<r:e>MDEgYQ==</r:e><r:e>MDIgYg==</r:e></r:F_FLAGLIST>");
    }
    void readAnswerStyles() {
        QFETCH(QByteArray, xml);
        const TPicResultInfo r = ReadPicResult(xml);
        QCOMPARE(r.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(r.F_MAXNUMBER, 9);
        QCOMPARE(r.F_ZOOMWDITH, 800);
        QCOMPARE(r.F_ZOOMHEIGHT, 600);
        QCOMPARE(r.F_PICLIST.size(), 1);
        QCOMPARE(r.F_PICLIST[0].F_ID, QStringLiteral("MDE="));
        QCOMPARE(r.F_PICLIST[0].F_SMALLPHOTO, QByteArray("\xff\xd8\xff"));
        QCOMPARE(r.F_PICLIST[0].F_ISEXISTS, QStringLiteral("1"));
        QCOMPARE(r.F_PICLIST[0].F_COMPANYID, QString());
        QCOMPARE(r.F_FLAGLIST, QStringList({"MDEgYQ==", "MDIgYg=="}));
    }

    // Fields left out, the other spelling of the width limit, an empty list.
    void missingFieldsStayEmpty() {
        const TPicResultInfo r = ReadPicResult(listAnswer(
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
            "<Func_GetCompanyPhotoListResponse xmlns=\"MORA.PictureService\">",
            "</Func_GetCompanyPhotoListResponse></soap:Body></soap:Envelope>",
            "<Func_GetCompanyPhotoListResult><F_OPERRESULT>1110</F_OPERRESULT><F_ZOOMWIDTH>1024</F_ZOOMWIDTH>"
            "<F_PICLIST/><F_FLAG xsi:nil=\"true\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"/>"
            "</Func_GetCompanyPhotoListResult>"));
        QCOMPARE(r.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(r.F_ZOOMWDITH, 0);
        QCOMPARE(r.F_MAXNUMBER, 0);
        QVERIFY(r.F_PICLIST.isEmpty());
        QVERIFY(r.F_FLAGLIST.isEmpty());
        QVERIFY(r.F_PHOTO.isEmpty());
        QCOMPARE(r.F_FLAG, 0);
    }

    void readCompanyAndUser() {
        const QByteArray company =
            "<S:Envelope "
            "xmlns:S=\"http://schemas.xmlsoap.org/soap/envelope/"
            "\"><S:Body><ns2:Func_QueryCompanyInfoResponse "
            "xmlns:ns2=\"MORA.PictureService\"><ns2:Func_QueryCompanyInfoResult><ns2:F_OPERRESULT>1110</"
            "ns2:F_OPERRESULT>"
            "<ns2:F_COMPANYTYPE> 01 </ns2:F_COMPANYTYPE><ns2:F_COMPANYNAME>5rWL6K+V</ns2:F_COMPANYNAME>"
            "<ns2:F_CUSTOMERID>WDE=\r\n</ns2:F_CUSTOMERID><ns2:F_DEVICEID>d&amp;1</ns2:F_DEVICEID>"
            "</ns2:Func_QueryCompanyInfoResult></ns2:Func_QueryCompanyInfoResponse></S:Body></S:Envelope>";
        const TCompanyInfo c = ReadCompanyInfo(company);
        QCOMPARE(c.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(c.F_COMPANYTYPE, QStringLiteral(" 01 "));  // opaque: kept exactly
        QCOMPARE(c.F_CUSTOMERID, QStringLiteral("WDE=\n")); // XML itself turns CR LF into LF
        QCOMPARE(c.F_DEVICEID, QStringLiteral("d&1"));
        QCOMPARE(c.F_SOFTWAREID, QString());

        TUserInfo user;
        user.F_OPERRESULT = QStringLiteral("2003");
        user.F_USERNAME = QStringLiteral("a\r\nb");
        const TUserInfo back = ReadUserInfo(WriteResponse(Operation::ValidateUserLogin, user));
        QCOMPARE(back.F_OPERRESULT, user.F_OPERRESULT);
        QCOMPARE(back.F_USERNAME, user.F_USERNAME);
    }

    void responseRoundTrip() {
        TPicResultInfo in;
        in.F_OPERRESULT = QStringLiteral("1110");
        in.F_MAXNUMBER = 12;
        in.F_ZOOMWDITH = -3;
        in.F_ZOOMHEIGHT = 480;
        for (int i = 0; i < 3; ++i) {
            TPictureInfo p;
            p.F_ID = QString::number(i);
            p.F_SMALLPHOTO = QByteArray(i * 100, char(i));
            p.F_ISEXISTS = i ? QStringLiteral("1") : QString();
            in.F_PICLIST.append(p);
        }
        in.F_FLAGLIST = {QStringLiteral("MDE="), QString(), QStringLiteral("MDM=")};
        in.F_PHOTO = QByteArray("\0\1\2", 3);
        in.F_FLAG = 1;
        const QByteArray xml = WriteResponse(Operation::GetCompanyPhotoList, in);
        QVERIFY(elementPaths(xml).contains("env:Envelope/env:Body/svc:Func_GetCompanyPhotoListResponse/"
                                           "svc:Func_GetCompanyPhotoListResult/svc:F_ZOOMWDITH"));
        const TPicResultInfo out = ReadPicResult(xml);
        QCOMPARE(out.F_OPERRESULT, in.F_OPERRESULT);
        QCOMPARE(out.F_MAXNUMBER, in.F_MAXNUMBER);
        QCOMPARE(out.F_ZOOMWDITH, in.F_ZOOMWDITH);
        QCOMPARE(out.F_ZOOMHEIGHT, in.F_ZOOMHEIGHT);
        QCOMPARE(out.F_PICLIST.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(out.F_PICLIST[i].F_ID, in.F_PICLIST[i].F_ID);
            QCOMPARE(out.F_PICLIST[i].F_SMALLPHOTO, in.F_PICLIST[i].F_SMALLPHOTO);
            QCOMPARE(out.F_PICLIST[i].F_ISEXISTS, in.F_PICLIST[i].F_ISEXISTS);
        }
        QCOMPARE(out.F_FLAGLIST, in.F_FLAGLIST);
        QCOMPARE(out.F_PHOTO, in.F_PHOTO);
        QCOMPARE(out.F_FLAG, in.F_FLAG);
    }

    void faults_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("written") << WriteFault(QStringLiteral("soap:Client"), QStringLiteral("坏请求"))
                                 << QStringLiteral("soap:Client") << QStringLiteral("坏请求");
        QTest::newRow("prefixed")
            << QByteArray(
                   "<x:Envelope xmlns:x=\"http://schemas.xmlsoap.org/soap/envelope/\"><x:Body><x:Fault>"
                   "<faultcode>x:Server</faultcode><faultstring>Object reference not set</faultstring>"
                   "<detail><a/></detail></x:Fault></x:Body></x:Envelope>")
            << QStringLiteral("x:Server") << QStringLiteral("Object reference not set");
        QTest::newRow("no string")
            << QByteArray("<Envelope><Body><Fault><faultcode>Server</faultcode></Fault></Body></Envelope>")
            << QStringLiteral("Server") << QStringLiteral("SOAP fault Server");
    }
    void faults() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, code);
        QFETCH(QString, message);
        try {
            ReadCompanyInfo(xml);
            QFAIL("no fault");
        } catch (const SoapFault &f) {
            QCOMPARE(f.faultCode, code);
            QCOMPARE(QString::fromUtf8(f.what()), message);
        }
    }

    void unreadableAnswers_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("problem");
        const QByteArray open =
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>";
        const QByteArray close = "</soap:Body></soap:Envelope>";
        QTest::newRow("no result record") << open + "<R xmlns=\"MORA.PictureService\"/>" + close
                                          << QStringLiteral("holds no result record");
        QTest::newRow("several, none named Result")
            << open + "<R xmlns=\"MORA.PictureService\"><a><F_OPERRESULT>1110</F_OPERRESULT></a><b/></R>" +
                   close
            << QStringLiteral("none is named Result or Return");
        QTest::newRow("foreign namespace")
            << open + "<R xmlns=\"urn:other\"><Result><F_OPERRESULT>1110</F_OPERRESULT></Result></R>" + close
            << QStringLiteral("is in namespace 'urn:other'");
        QTest::newRow("no namespace")
            << open + "<R><Result><F_OPERRESULT>1110</F_OPERRESULT></Result></R>" + close
            << QStringLiteral("is in namespace ''");
        QByteArray manyAttributes = "<R xmlns=\"MORA.PictureService\"";
        for (int i = 0; i < 100000; ++i) {
            manyAttributes += " a" + QByteArray::number(i) + "=''";
        }
        QTest::newRow("100,000 attributes")
            << open + manyAttributes + "/>" + close << QStringLiteral("more than 16 attributes");
        QTest::newRow("1 MB start tag")
            << open + "<R xmlns=\"MORA.PictureService\" a=\"" + QByteArray(1 << 20, 'x') + "\"/>" + close
            << QStringLiteral("start tag longer than 65536 bytes");
        QTest::newRow("1 MB name before the envelope")
            << QByteArray(1 << 20, 'x') << QStringLiteral("unfinished token longer than 65536 bytes");
        QTest::newRow("html page") << QByteArray("<html><body>Service Unavailable</body></html>")
                                   << QStringLiteral("not a SOAP envelope");
        QTest::newRow("garbage") << QByteArray("\x01\x02garbage")
                                 << QStringLiteral("unreadable message (line");
        QTest::newRow("cut off") << (open + "<R "
                                            "xmlns=\"MORA.PictureService\"><Result><F_OPERRESULT>1110</"
                                            "F_OPERRESULT></Result></R></soap:Bo")
                                 << QStringLiteral("unreadable message (line");
        QTest::newRow("bad integer")
            << open +
                   "<R xmlns=\"MORA.PictureService\"><Result><F_MAXNUMBER>many</F_MAXNUMBER></Result></R>" +
                   close
            << QStringLiteral("F_MAXNUMBER is not an integer");
        QTest::newRow("integer overflow") << open +
                                                 "<R "
                                                 "xmlns=\"MORA.PictureService\"><Result><F_ZOOMWDITH>"
                                                 "99999999999</F_ZOOMWDITH></Result></R>" +
                                                 close
                                          << QStringLiteral("F_ZOOMWDITH is not an integer");
        QTest::newRow("entity expansion") << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE e [<!ENTITY a "
                                                        "\"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                                                        "<Envelope><Body><R><Result><F_OPERRESULT>&b;</"
                                                        "F_OPERRESULT></Result></R></Body></Envelope>")
                                          << QStringLiteral("document type declaration");
        QTest::newRow("undeclared entity")
            << open +
                   "<R xmlns=\"MORA.PictureService\"><Result><F_OPERRESULT>&x;</F_OPERRESULT></Result></R>" +
                   close
            << QStringLiteral("unreadable message");
    }
    void unreadableAnswers() {
        QFETCH(QByteArray, xml);
        QFETCH(QString, problem);
        // Whole, and in the pieces an answer arrives in, split anywhere.
        for (const qsizetype piece : {qsizetype(0), qsizetype(7), qsizetype(4096)}) {
            try {
                piece == 0 ? ReadPicResult(xml) : ReadPicResult(pieces(xml, piece));
                QFAIL("no error");
            } catch (const SoapError &e) {
                QVERIFY2(QString::fromUtf8(e.what()).contains(problem), e.what());
            }
        }
    }

    // A list answer read in pieces comes out whole: small photos in tiny pieces, and photos larger
    // than the reader's blocks. Each small version is handed to the sink under its photo's ID as it
    // is decoded and its field stays empty; a source version the sink declines stays in its field.
    void answerInPiecesReadsAsWhole_data() {
        QTest::addColumn<int>("photos");
        QTest::addColumn<int>("photoSize");
        QTest::addColumn<int>("pieceSize");
        QTest::newRow("small photos, 5-byte pieces") << 3 << 1000 << 5;
        QTest::newRow("over several blocks") << 6 << 600 * 1024 << 65536;
    }
    void answerInPiecesReadsAsWhole() {
        QFETCH(int, photos);
        QFETCH(int, photoSize);
        QFETCH(int, pieceSize);
        TPicResultInfo sent;
        sent.F_OPERRESULT = QStringLiteral("1110");
        for (int i = 0; i < photos; ++i) {
            TPictureInfo &info = sent.F_PICLIST.emplace_back();
            info.F_ID = QStringLiteral("W%1").arg(i);
            info.F_SMALLPHOTO.resize(photoSize + i);
            for (qsizetype k = 0; k < info.F_SMALLPHOTO.size(); ++k) {
                info.F_SMALLPHOTO[k] = char(k * 31 + i);
            }
        }
        sent.F_PICLIST[0].F_PHOTO = "source";
        struct Sink : PhotoSink {
            QStringList opened;
            QList<QByteArray> closed;
            QByteArray current;
            bool open(const QString &photoId, PhotoVersion version) override {
                opened.append(photoId);
                return version == PhotoVersion::Small;
            }
            void write(QByteArrayView bytes) override { current.append(bytes); }
            void close() override { closed.append(std::exchange(current, QByteArray())); }
        } sink;
        PicResultStream stream(&sink);
        for (const QByteArray &piece :
             pieces(WriteResponse(Operation::GetCompanyPhotoList, sent), pieceSize)) {
            stream.feed(piece);
        }
        QCOMPARE(sink.closed.size(), photos);
        const TPicResultInfo read = stream.finish();
        QCOMPARE(read.F_PICLIST.size(), photos);
        QCOMPARE(read.F_PICLIST[0].F_PHOTO, QByteArray("source"));
        QCOMPARE(sink.opened.count(sent.F_PICLIST[0].F_ID), 2);
        for (int i = 0; i < photos; ++i) {
            QCOMPARE(read.F_PICLIST[i].F_ID, sent.F_PICLIST[i].F_ID);
            QVERIFY(read.F_PICLIST[i].F_SMALLPHOTO.isEmpty());
            QVERIFY(sink.closed[i] == sent.F_PICLIST[i].F_SMALLPHOTO);
        }
    }

    // Photo contents are read exactly as written, whatever surrounds them: long runs lifted out of
    // the message before the XML reader and every case where they must not be, whole or in pieces.
    void contentsReadExactly_data() {
        QTest::addColumn<QByteArray>("encoding"); // declared; none; or UTF-16LE without a declaration
        QTest::addColumn<QByteArray>("content");  // of F_PHOTO and of a picture's F_MEMO
        QByteArray bytes(3001, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            bytes[i] = char(i * 7 + i / 251);
        }
        const QByteArray run = bytes.toBase64();             // ends in "=="
        const QByteArray run1 = bytes.left(2999).toBase64(); // ends in "="
        QByteArray loose = run1;
        loose[loose.size() - 2] = 'R'; // fill bits not zero
        // In UTF-16LE the bytes between the '>' and '<' inside these characters spell "AAAA...".
        const QByteArray spelled = (QChar(0x3E41) + QString(512, QChar(0x4141)) + QChar(0x413C)).toUtf8();
        QTest::newRow("long run") << QByteArray("utf-8") << run;
        QTest::newRow("long run, one fill, no declaration") << QByteArray() << run1;
        QTest::newRow("whole groups") << QByteArray("UTF-8") << bytes.left(3000).toBase64();
        QTest::newRow("fill bits not zero") << QByteArray("utf-8") << loose;
        QTest::newRow("run between comments") << QByteArray("utf-8") << "<!--x-->" + run + "<!--x-->";
        QTest::newRow("run, comment, more") << QByteArray("utf-8") << run + "<!--x-->QUJD";
        QTest::newRow("short, comment, run") << QByteArray("utf-8") << "QQ<!--x-->" + run;
        QTest::newRow("run in a CDATA section") << QByteArray("utf-8") << "<![CDATA[>" + run + "<]]>";
        QTest::newRow("run with line breaks") << QByteArray("utf-8") << run.left(2000) + "\n" + run.mid(2000);
        QTest::newRow("run, then text") << QByteArray("utf-8") << run.left(2000) + "-" + run.mid(2000);
        QTest::newRow("character reference") << QByteArray("utf-8") << run + "&#65;";
        QTest::newRow("marker characters")
            << QByteArray("utf-8") << (QChar(0xE000) + QString("0") + QChar(0xE001)).toUtf8() + run;
        QTest::newRow("Latin-1 message") << QByteArray("ISO-8859-1") << run;
        QTest::newRow("UTF-16 message") << QByteArray("UTF-16LE") << spelled;
    }
    void contentsReadExactly() {
        QFETCH(QByteArray, encoding);
        QFETCH(QByteArray, content);
        const QByteArray body =
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
            "<R xmlns=\"MORA.PictureService\"><Result><F_OPERRESULT>1110</F_OPERRESULT><F_PHOTO>" +
            content + "</F_PHOTO><F_PICLIST><P><F_MEMO>" + content +
            "</F_MEMO></P></F_PICLIST></Result></R></soap:Body></soap:Envelope>";
        QByteArray xml =
            encoding.isEmpty() ? body : "<?xml version='1.0' encoding='" + encoding + "'?>" + body;
        if (encoding == "UTF-16LE") {
            const QString utf16 = QString::fromUtf8(body);
            xml = QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2);
        }
        const QString text = QString::fromUtf8(QByteArray(content)
                                                   .replace("<!--x-->", "")
                                                   .replace("&#65;", "A")
                                                   .replace("<![CDATA[", "")
                                                   .replace("]]>", ""));
        Base64Decoder decoder;
        decoder.feed(text);
        const QByteArray photo = decoder.take();
        for (const qsizetype piece : {qsizetype(0), qsizetype(1), qsizetype(7), qsizetype(300)}) {
            const TPicResultInfo read = piece == 0 ? ReadPicResult(xml) : ReadPicResult(pieces(xml, piece));
            QCOMPARE(read.F_PHOTO, photo);
            QCOMPARE(read.F_PICLIST.value(0).F_MEMO, text);
        }
    }

private:
    static QByteArrayList pieces(const QByteArray &bytes, qsizetype size) {
        QByteArrayList parts;
        for (qsizetype at = 0; at < bytes.size(); at += size) {
            parts.append(bytes.mid(at, size));
        }
        return parts;
    }
};

QTEST_GUILESS_MAIN(TestSoapCodec)
#include "tst_soapcodec.moc"
