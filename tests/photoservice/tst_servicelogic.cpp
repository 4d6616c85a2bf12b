// The photo service's operations on a temporary database: result codes, both header forms, the photo
// limit, persistence and concurrent writers. Runs on SQLite, and again on PostgreSQL (TestDatabase.h).
#include "ServiceHeaders.h"
#include "support/DemoSeed.h"
#include "support/TestDatabase.h"

#include "CompanyResolver.h"
#include "DemoSeed.h"
#include "PhotoDatabase.h"
#include "PhotoListCache.h"
#include "ServiceLogic.h"
#include "SoapEndpoint.h"
#include "WireText.h"
#include "contract/SoapCodec.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using namespace ServiceHeaders;

namespace {

const QDateTime kNow(QDate(2025, 3, 8), QTime(10, 0));

QString s(const char *utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

class TestServiceLogic : public QObject {
    Q_OBJECT

private:
    QString dbFile() const { return location_; }

    void open() {
        db_ = std::make_unique<PhotoDatabase>(dbFile());
        logic_ = std::make_unique<ServiceLogic>(*db_, [] { return kNow; });
    }

    TCompanyInfo queried(const char *companyId) {
        const auto answer = logic_->QueryCompanyInfo(query(s(companyId)));
        [&] { QCOMPARE(answer.record.F_OPERRESULT, QStringLiteral("1110")); }();
        return answer.record;
    }

    // A company of its own for a test, in the catering trade.
    TCompanyInfo addCompany(const QString &id, int limit, int active = 1, const QString &trade = "CY") {
        CompanyRecord c;
        c.companyId = id;
        c.customerId = QStringLiteral("KH") + id;
        c.softwareId = QStringLiteral("RJ") + id;
        c.deviceId = QStringLiteral("SB") + id;
        c.companyType = id.left(3);
        c.name = s("测试公司");
        c.trade = trade;
        c.active = active;
        c.photoLimit = limit;
        c.zoomWidth = 640;
        c.zoomHeight = 480;
        db_->addCompany(c);
        TCompanyInfo info;
        info.F_CUSTOMERID = c.customerId;
        info.F_SOFTWAREID = c.softwareId;
        info.F_DEVICEID = c.deviceId;
        info.F_COMPANYTYPE = c.companyType;
        return info;
    }

    QString code(const Answer<TPicResultInfo> &a) { return a.record.F_OPERRESULT; }

    std::unique_ptr<QTemporaryDir> dir_;
    QString location_; // of this test's database
    std::unique_ptr<PhotoDatabase> db_;
    std::unique_ptr<ServiceLogic> logic_;

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        location_ = TestDatabase::fresh(dir_->filePath(QStringLiteral("photos.db")));
        open();
        QVERIFY(SeedDemo(*db_));
    }

    void cleanup() {
        logic_.reset();
        db_.reset();
        dir_.reset();
    }

    // Base64 text as the service reads it, and header tokens whose letters carry nothing.
    void wireText_data() {
        QTest::addColumn<bool>("token");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << false << "" << true << "";
        QTest::newRow("ascii") << false << "YWJj" << true << "abc";
        QTest::newRow("GBK Chinese") << false << "1tC5+g==" << true << s("中国");
        const QString x60(60, QLatin1Char('x'));
        QTest::newRow("line breaks") << false << TStrOper::EncodeBase64(x60) << true << x60;
        QTest::newRow("short group") << false << "YWJ" << false << "";
        QTest::newRow("fill inside") << false << "YW=j" << false << "";
        QTest::newRow("too much fill") << false << "YQ===" << false << "";
        QTest::newRow("foreign character") << false << "YW*j" << false << "";
        QTest::newRow("lead byte without its trail byte") << false << "gQ==" << false << "";
        QTest::newRow("token, any letters") << true << "Y1W2J3j" << true << "abc";
        QTest::newRow("token, Chinese") << true << TStrOper::EncodeHeaderStr(s("张工")) << true << s("张工");
        QTest::newRow("token, Base64 cut") << true << "Y1W2J" << false << "";
    }
    void wireText() {
        QFETCH(bool, token);
        QFETCH(QString, input);
        QFETCH(bool, readable);
        QFETCH(QString, text);
        const auto read = token ? WireText::ReadHeaderToken(input) : WireText::ReadBase64Text(input);
        QCOMPARE(read.has_value(), readable);
        QCOMPARE(read.value_or(QString()), text);
    }

    void login_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("code");
        QTest::newRow("demo user") << s(kDemoUser) << s(kDemoPassword) << "1110";
        QTest::newRow("Chinese user") << s(kDemoChineseUser) << s(kDemoChinesePassword) << "1110";
        QTest::newRow("wrong password") << s(kDemoUser) << "demo12"
                                        << "2003";
        QTest::newRow("password of another user") << s(kDemoUser) << s(kDemoChinesePassword) << "2003";
        QTest::newRow("unknown user") << "nobody" << s(kDemoPassword) << "2003";
        QTest::newRow("empty") << ""
                               << ""
                               << "2003";
    }
    void login() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, code);
        const auto answer = logic_->ValidateUserLogin(ServiceHeaders::login(user, password));
        QCOMPARE(answer.record.F_OPERRESULT, code);
        if (code == QLatin1String("1110")) {
            QVERIFY(!answer.record.F_USERID.isEmpty());
            QCOMPARE(answer.record.F_LOGINDATE, QStringLiteral("2025-03-08 10:00:00"));
        }
    }

    // The header decides the company: an unreadable one is answered "0001" by every operation before
    // anything else is looked at; a readable one by the company's code from the query and the list.
    void headerCodes_data() {
        QTest::addColumn<Header>("header");
        QTest::addColumn<QString>("code");
        const QString id = s(kDemoCompanyWithPhotos);
        const Header good = query(id);
        Header h = good;
        h.F_CUSTOMERID[2] = QLatin1Char('!');
        QTest::newRow("foreign character in a token") << h << "0001";
        h = good;
        h.F_SOFTWAREID = TStrOper::EncodeHeaderStr(s("x")).left(5);
        QTest::newRow("cut token") << h << "0001";
        h = good;
        h.F_CUSTOMERID = QStringLiteral("gaQb=c="); // the single byte 0x81, a lead byte alone
        QTest::newRow("token of bytes that are not GBK") << h << "0001";
        h = good;
        h.F_COMPANYTYPE = QStringLiteral("310");
        QTest::newRow("company type not Base64") << h << "0001";
        h = good;
        h.F_VERSIONNUM.clear();
        QTest::newRow("no version") << h << "0001";
        QTest::newRow("no header at all") << Header{} << "0001";
        QTest::newRow("query form") << good << "1110";
        QTest::newRow("unknown company") << query(s(kUnknownCompany)) << "1003";
        QTest::newRow("short ID") << query(id.left(6)) << "1003";
        QTest::newRow("deactivated") << query(s(kDemoCompanyDisabled)) << "1000";
        QTest::newRow("type part does not match") << make(id, id.mid(3), {}, QStringLiteral("999")) << "1111";
        QTest::newRow("software part does not match")
            << make(id, QStringLiteral("0000000000"), {}, id.left(3)) << "1111";
        QTest::newRow("unknown customer ID")
            << make(QStringLiteral("KH0"), QStringLiteral("RJ"), QStringLiteral("SB"), QStringLiteral("310"))
            << "1003";
    }
    void headerCodes() {
        QFETCH(Header, header);
        QFETCH(QString, code);
        QCOMPARE(logic_->QueryCompanyInfo(header).record.F_OPERRESULT, code);
        QCOMPARE(this->code(logic_->GetCompanyPhotoList(header)), code);
        if (code == u"0001") {
            QCOMPARE(logic_->ValidateUserLogin(header).record.F_OPERRESULT, code);
            QCOMPARE(this->code(logic_->DeleteCompanyPhoto(header, QStringLiteral("x"))), code);
        }
    }

    void unknownCompanyState() {
        const TCompanyInfo c = addCompany(QStringLiteral("5000000000001"), 3, 7);
        QCOMPARE(logic_->QueryCompanyInfo(query(QStringLiteral("5000000000001"))).record.F_OPERRESULT,
                 QStringLiteral("1004"));
        QCOMPARE(code(logic_->GetCompanyPhotoList(photos(c))), QStringLiteral("1004"));
    }

    // The first list after a query is fetched with the query form, later ones with the photo form:
    // the query returns identifiers that work back.
    void photoListInBothForms() {
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        QCOMPARE(TStrOper::DecodeBase64(company.F_COMPANYNAME), s(kDemoCompanyWithPhotosName));
        QCOMPARE(company.F_CUSTOMERID, s(kDemoCompanyWithPhotosCustomerId));
        QCOMPARE(logic_->QueryCompanyInfo(photos(company)).record.F_OPERRESULT, QStringLiteral("1110"));
        for (const Header &header : {query(s(kDemoCompanyWithPhotos)), photos(company)}) {
            const TPicResultInfo list = logic_->GetCompanyPhotoList(header).record;
            QCOMPARE(list.F_OPERRESULT, QStringLiteral("1110"));
            QCOMPARE(list.F_MAXNUMBER, kDemoPhotoLimit);
            QCOMPARE(list.F_ZOOMWDITH, kDemoZoomWidth);
            QCOMPARE(list.F_ZOOMHEIGHT, kDemoZoomHeight);
            QCOMPARE(list.F_PICLIST.size(), kDemoPhotoCount);
            QCOMPARE(list.F_FLAGLIST.size(), kDemoTypeCount);
            QCOMPARE(TStrOper::DecodeBase64(list.F_FLAGLIST.first()), s("01 门头照片"));
            const TPictureInfo &first = list.F_PICLIST.first();
            QCOMPARE(TStrOper::DecodeBase64(first.F_ID), s("WKH3101150012024031501"));
            QCOMPARE(TStrOper::DecodeBase64(first.F_FLAG), QStringLiteral("01"));
            QCOMPARE(TStrOper::DecodeBase64(first.F_MEMO), s(DemoData::kPhotos[0].note));
            QCOMPARE(first.F_ISEXISTS, QStringLiteral("1"));
            QVERIFY(first.F_SMALLPHOTO.startsWith("\xFF\xD8"));
            QVERIFY(first.F_PHOTO.isEmpty()); // the list never carries source versions
        }
        const TPicResultInfo empty = logic_->GetCompanyPhotoList(query(s(kDemoCompanyEmpty))).record;
        QCOMPARE(empty.F_OPERRESULT, QStringLiteral("1110"));
        QCOMPARE(empty.F_PICLIST.size(), 0);
        QCOMPARE(empty.F_MAXNUMBER, kDemoCompanyEmptyLimit);
        QCOMPARE(empty.F_FLAGLIST.size(), kDemoCompanyEmptyTypeCount);
        // The photo form must carry the identifiers as the query returned them.
        TCompanyInfo wrong = company;
        wrong.F_DEVICEID += QLatin1Char('9');
        QCOMPARE(code(logic_->GetCompanyPhotoList(photos(wrong))), QStringLiteral("1111"));
        wrong = company;
        wrong.F_COMPANYTYPE = QStringLiteral("311");
        QCOMPARE(code(logic_->GetCompanyPhotoList(photos(wrong))), QStringLiteral("1111"));
    }

    // A kept list is the list the database holds now: after each kind of change, made through this
    // connection or another one (another service process), the next list shows it, and the answer
    // written around the kept entries is byte for byte the one written from the records.
    void keptListFollowsChanges_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("elsewhere");
        for (const char *change : {"none", "insert", "edit note", "edit images", "delete"}) {
            QTest::newRow(change) << QString::fromLatin1(change) << false;
            QTest::addRow("%s, other connection", change) << QString::fromLatin1(change) << true;
        }
    }
    void keptListFollowsChanges() {
        QFETCH(QString, change);
        QFETCH(bool, elsewhere);
        PhotoListCache lists(64 << 20);
        const ServiceLogic::Clock now = [] { return kNow; };
        ServiceLogic keeping(*db_, now, &lists);
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        const auto op = Soap::Operation::GetCompanyPhotoList;
        const auto written = [&] {
            const WrittenList list = keeping.GetWrittenPhotoList(photos(company));
            return Soap::WriteResponse(op, list.answer.record, list.entries).join();
        };
        const auto fromRecords = [&] {
            return Soap::WriteResponse(op, logic_->GetCompanyPhotoList(photos(company)).record);
        };
        QCOMPARE(written(), fromRecords());
        const PhotoListKey key{s(kDemoCompanyWithPhotos), company.F_CUSTOMERID, company.F_COMPANYTYPE,
                               db_->photoStamp(s(kDemoCompanyWithPhotos)).value_or(QString())};
        QVERIFY(lists.find(key).has_value());

        PhotoDatabase other(location_);
        ServiceLogic otherLogic(other, now);
        ServiceLogic &by = elsewhere ? otherLogic : *logic_;
        TPictureInfo edit = newPhoto(company, "03", s("后厨已整改"));
        edit.F_ID = s("WKH3101150012024031503");
        if (change == QLatin1String("insert")) {
            QCOMPARE(code(by.InsertCompanyPhoto(photos(company), newPhoto(company, "05", s("新增")))),
                     QStringLiteral("1110"));
        } else if (change.startsWith(QLatin1String("edit"))) {
            if (change == QLatin1String("edit note")) {
                edit.F_PHOTO.clear();
                edit.F_SMALLPHOTO.clear();
            }
            QCOMPARE(code(by.UpdateCompanyPhoto(photos(company), edit)), QStringLiteral("1110"));
        } else if (change == QLatin1String("delete")) {
            QCOMPARE(code(by.DeleteCompanyPhoto(photos(company), edit.F_ID)), QStringLiteral("1110"));
        }
        QCOMPARE(written(), fromRecords());
        QCOMPARE(written(), fromRecords()); // kept again
    }

    // The cache stays within its bound, least recently used first, and answers only its exact key.
    void listCacheBound() {
        PhotoListCache lists(qsizetype(3) * (1000 + 256));
        const auto key = [](const char *company, const char *stamp = "s") {
            return PhotoListKey{QString::fromLatin1(company), QStringLiteral("KH"), QStringLiteral("310"),
                                QString::fromLatin1(stamp)};
        };
        const QByteArray entries(1000, 'x');
        for (const char *company : {"a", "b", "c"}) {
            lists.store(key(company), entries);
        }
        QVERIFY(lists.find(key("a")));
        lists.store(key("d"), entries); // "b" was used least recently
        QVERIFY(!lists.find(key("b")));
        QVERIFY(lists.find(key("a")) && lists.find(key("c")) && lists.find(key("d")));
        QVERIFY(!lists.find(key("a", "t")));               // another stamp
        lists.store(key("a", "t"), QByteArray(4000, 'x')); // beyond the bound alone: not kept, nor the old
        QVERIFY(!lists.find(key("a")) && !lists.find(key("a", "t")));
    }

    void tradeWithoutTypeList() {
        const TCompanyInfo c = addCompany(QStringLiteral("5000000000002"), 3, 1, QStringLiteral("XX"));
        QCOMPARE(code(logic_->GetCompanyPhotoList(photos(c))), QStringLiteral("0004"));
        QCOMPARE(code(logic_->InsertCompanyPhoto(photos(c), newPhoto(c, QStringLiteral("01"), s("门头")))),
                 QStringLiteral("0004"));
    }

    void fetch_data() {
        QTest::addColumn<QString>("photoId"); // Base64 on the wire unless marked plain
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("answerFlag");
        const QString id = TStrOper::EncodeBase64(s("WKH3101150012024031502"));
        QTest::newRow("small") << id << TStrOper::EncodeBase64("0") << "1110" << 0;
        QTest::newRow("source") << id << TStrOper::EncodeBase64("1") << "1110" << 1;
        QTest::newRow("no such photo")
            << TStrOper::EncodeBase64("WKH0") << TStrOper::EncodeBase64("0") << "2002" << 0;
        QTest::newRow("plain ID instead of Base64")
            << "WKH3101150012024031502" << TStrOper::EncodeBase64("0") << "0002" << 0;
        QTest::newRow("empty ID") << "" << TStrOper::EncodeBase64("0") << "2001" << 0;
        QTest::newRow("flag 2") << id << TStrOper::EncodeBase64("2") << "0002" << 0;
        QTest::newRow("plain flag") << id << "1"
                                    << "0002" << 0;
        QTest::newRow("ID not Base64") << "W!" << TStrOper::EncodeBase64("0") << "0002" << 0;
    }
    void fetch() {
        QFETCH(QString, photoId);
        QFETCH(QString, flag);
        QFETCH(QString, code);
        QFETCH(int, answerFlag);
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        const TPicResultInfo r = logic_->GetCompanyPhoto(photos(company), photoId, flag).record;
        QCOMPARE(r.F_OPERRESULT, code);
        QCOMPARE(r.F_FLAG, answerFlag);
        QCOMPARE(r.F_PHOTO.isEmpty(), code != QLatin1String("1110"));
        if (code == QLatin1String("1110")) {
            const auto stored = db_->photo(s(kDemoCompanyWithPhotos), s("WKH3101150012024031502"));
            QCOMPARE(r.F_PHOTO, answerFlag == 0 ? stored->small : stored->source);
        }
    }

    void photosOfOtherCompaniesStayHidden() {
        const TCompanyInfo other = queried(kDemoCompanyEmpty);
        const QString id = s("WKH3101150012024031501");
        QCOMPARE(code(logic_->GetCompanyPhoto(photos(other), TStrOper::EncodeBase64(id),
                                              TStrOper::EncodeBase64("0"))),
                 QStringLiteral("2002"));
        QCOMPARE(code(logic_->DeleteCompanyPhoto(photos(other), id)), QStringLiteral("2002"));
        TPictureInfo edit;
        edit.F_ID = id;
        edit.F_MEMO = TStrOper::EncodeBase64(s("改"));
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(other), edit)), QStringLiteral("2002"));
        QCOMPARE(db_->photoCount(s(kDemoCompanyWithPhotos)), kDemoPhotoCount);
    }

    // The service names a new photo as the client does, and the client later uses that name.
    void insertDerivesTheClientsId() {
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        Soap::Request insert;
        insert.op = Soap::Operation::InsertCompanyPhoto;
        insert.header = photos(company);
        insert.aPicInfo = newPhoto(company, s(kDemoFreeTypeCode), s("消防通道"));
        const TPictureInfo &info = insert.aPicInfo;
        const SoapReply reply = AnswerSoapRequest(*logic_, Soap::WriteRequest(insert), nullptr,
                                                  QHostAddress(QStringLiteral("192.0.2.7")));
        QCOMPARE(reply.resultCode, QStringLiteral("1110"));
        const QString id =
            QStringLiteral("W") + company.F_CUSTOMERID + QStringLiteral("20250308") + kDemoFreeTypeCode;
        // The audit line names the new photo.
        QVERIFY2(
            reply.logLine.endsWith(
                QStringLiteral(" photo \"%1\" type \"%2\" from 192.0.2.7").arg(id, s(kDemoFreeTypeCode))),
            qPrintable(reply.logLine));
        const auto stored = db_->photo(s(kDemoCompanyWithPhotos), id);
        QVERIFY(stored.has_value());
        QCOMPARE(stored->note, s("消防通道"));
        QCOMPARE(stored->source, info.F_PHOTO);
        QCOMPARE(stored->small, info.F_SMALLPHOTO);
        QCOMPARE(stored->inputTime, QStringLiteral("2025-03-08 10:00:00"));
        const TPicResultInfo list = logic_->GetCompanyPhotoList(photos(company)).record;
        QCOMPARE(list.F_PICLIST.size(), kDemoPhotoCount + 1);
        QCOMPARE(TStrOper::DecodeBase64(list.F_PICLIST.last().F_ID), id);
    }

    void insertRefusals_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("code");
        QTest::newRow("type of no trade list") << 0 << "0002";
        QTest::newRow("source not JPEG") << 1 << "0002";
        QTest::newRow("small version missing") << 2 << "0002";
        QTest::newRow("record names another company") << 3 << "0002";
        QTest::newRow("note not Base64") << 4 << "0002";
        QTest::newRow("deactivated company") << 5 << "1000";
    }
    void insertRefusals() {
        QFETCH(int, fault);
        QFETCH(QString, code);
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        TPictureInfo info = newPhoto(company, s(kDemoFreeTypeCode), s("备注"));
        Header header = photos(company);
        switch (fault) {
        case 0:
            info.F_FLAG = TStrOper::EncodeBase64(QStringLiteral("99"));
            break;
        case 1:
            info.F_PHOTO = QByteArray("GIF89a not a photo");
            break;
        case 2:
            info.F_SMALLPHOTO.clear();
            break;
        case 3:
            info.F_COMPANYID = TStrOper::EncodeBase64(QStringLiteral("KH440305006"));
            break;
        case 4:
            info.F_MEMO = QStringLiteral("备注");
            break;
        default:
            header = query(s(kDemoCompanyDisabled));
            break;
        }
        QCOMPARE(this->code(logic_->InsertCompanyPhoto(header, info)), code);
        QCOMPARE(db_->photoCount(s(kDemoCompanyWithPhotos)), kDemoPhotoCount);
    }

    void insertStopsAtLimitAndRefusesDuplicates() {
        const TCompanyInfo c = queried(kDemoCompanyEmpty); // limit 3
        const Header h = photos(c);
        QCOMPARE(code(logic_->InsertCompanyPhoto(h, newPhoto(c, "01", s("一")))), QStringLiteral("1110"));
        QCOMPARE(code(logic_->InsertCompanyPhoto(h, newPhoto(c, "01", s("同日同类")))),
                 QStringLiteral("1111"));
        QCOMPARE(code(logic_->InsertCompanyPhoto(h, newPhoto(c, "02", s("二")))), QStringLiteral("1110"));
        QCOMPARE(code(logic_->InsertCompanyPhoto(h, newPhoto(c, "03", s("三")))), QStringLiteral("1110"));
        const auto refused = logic_->InsertCompanyPhoto(h, newPhoto(c, "04", s("四")));
        QCOMPARE(code(refused), QStringLiteral("1111"));
        QVERIFY(refused.detail.contains(QLatin1String("limit")));
        QCOMPARE(db_->photoCount(s(kDemoCompanyEmpty)), kDemoCompanyEmptyLimit);
        // A deletion makes room again.
        QCOMPARE(code(logic_->DeleteCompanyPhoto(h, QStringLiteral("WKH44030500620250308") + "02")),
                 QStringLiteral("1110"));
        QCOMPARE(code(logic_->InsertCompanyPhoto(h, newPhoto(c, "04", s("四")))), QStringLiteral("1110"));
    }

    void update() {
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        const QString id = s("WKH3101150012024031503");
        const auto before = db_->photo(s(kDemoCompanyWithPhotos), id);
        TPictureInfo edit = newPhoto(company, "03", s("后厨已整改"));
        edit.F_ID = id;
        edit.F_PHOTO.clear();
        edit.F_SMALLPHOTO.clear();
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(company), edit)), QStringLiteral("1110"));
        auto after = db_->photo(s(kDemoCompanyWithPhotos), id);
        QCOMPARE(after->note, s("后厨已整改"));
        QCOMPARE(after->source, before->source); // empty images keep the stored ones
        QCOMPARE(after->small, before->small);

        edit.F_PHOTO = jpeg(400, 300, Qt::red);
        edit.F_SMALLPHOTO = jpeg(200, 150, Qt::red);
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(company), edit)), QStringLiteral("1110"));
        after = db_->photo(s(kDemoCompanyWithPhotos), id);
        QCOMPARE(after->source, edit.F_PHOTO);
        QCOMPARE(after->small, edit.F_SMALLPHOTO);

        TPictureInfo half = edit;
        half.F_SMALLPHOTO.clear();
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(company), half)), QStringLiteral("0002"));
        TPictureInfo badType = edit;
        badType.F_FLAG = TStrOper::EncodeBase64(QStringLiteral("77"));
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(company), badType)), QStringLiteral("0002"));
        TPictureInfo base64Id = edit;
        base64Id.F_ID = TStrOper::EncodeBase64(id); // update takes the plain ID
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(company), base64Id)), QStringLiteral("2002"));
        TPictureInfo noId = edit;
        noId.F_ID.clear();
        QCOMPARE(code(logic_->UpdateCompanyPhoto(photos(company), noId)), QStringLiteral("2001"));
        QCOMPARE(db_->photo(s(kDemoCompanyWithPhotos), id)->source, edit.F_PHOTO);
    }

    void remove() {
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        const QString id = s("WKH3101150012024031504");
        QCOMPARE(code(logic_->DeleteCompanyPhoto(photos(company), TStrOper::EncodeBase64(id))),
                 QStringLiteral("2002")); // delete takes the plain ID
        QCOMPARE(code(logic_->DeleteCompanyPhoto(photos(company), QString())), QStringLiteral("2001"));
        QCOMPARE(code(logic_->DeleteCompanyPhoto(photos(company), id)), QStringLiteral("1110"));
        QCOMPARE(code(logic_->DeleteCompanyPhoto(photos(company), id)), QStringLiteral("2002"));
        QCOMPARE(logic_->GetCompanyPhotoList(photos(company)).record.F_PICLIST.size(), kDemoPhotoCount - 1);
    }

    // Everything stays in the file; seeding again changes nothing, not even a deleted demo photo.
    void persistsAcrossReopen() {
        const TCompanyInfo company = queried(kDemoCompanyWithPhotos);
        QCOMPARE(code(logic_->InsertCompanyPhoto(photos(company), newPhoto(company, "05", s("新增")))),
                 QStringLiteral("1110"));
        QCOMPARE(code(logic_->DeleteCompanyPhoto(photos(company), s("WKH3101150012024031501"))),
                 QStringLiteral("1110"));
        logic_.reset();
        db_.reset();
        open();
        QVERIFY(!SeedDemo(*db_));
        const TPicResultInfo list = logic_->GetCompanyPhotoList(photos(company)).record;
        QCOMPARE(list.F_PICLIST.size(), kDemoPhotoCount);
        QCOMPARE(TStrOper::DecodeBase64(list.F_PICLIST.last().F_MEMO), s("新增"));
        QCOMPARE(logic_->ValidateUserLogin(ServiceHeaders::login(s(kDemoUser), s(kDemoPassword)))
                     .record.F_OPERRESULT,
                 QStringLiteral("1110"));
    }

    void unopenableDatabase() {
        QVERIFY_THROWS_EXCEPTION(DatabaseError, PhotoDatabase(dir_->path())); // a folder
        QFile junk(dir_->filePath(QStringLiteral("junk.db")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        QVERIFY_THROWS_EXCEPTION(DatabaseError, PhotoDatabase(junk.fileName()));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 PhotoDatabase(QStringLiteral("postgresql://x@127.0.0.1:1/none")));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 PhotoDatabase(QStringLiteral("postgresql://127.0.0.1/no-user")));
    }

    // An insert that counts while another insert for the same company is open must wait for it, not
    // count past it: the second one finds the limit reached once the first commits.
    void insertWaitsForAnOpenInsertOfTheSameCompany() {
        addCompany(QStringLiteral("6000000000002"), 2);
        const auto photo = [](const char *type) {
            return PhotoRecord{QStringLiteral("WKH600000000000220250308") + QLatin1String(type),
                               QStringLiteral("6000000000002"),
                               QLatin1String(type),
                               QStringLiteral("note"),
                               jpeg(32, 32),
                               jpeg(16, 16),
                               QStringLiteral("2025-03-08 10:00:00")};
        };
        QCOMPARE(db_->insertPhoto(photo("01"), 2), InsertOutcome::Inserted);
        std::atomic<bool> opened{false};
        std::atomic<bool> go{false};
        std::atomic<bool> finished{false};
        std::atomic<int> outcome{-1};
        const std::unique_ptr<QThread> second(QThread::create([&] {
            try {
                PhotoDatabase db(dbFile());
                opened = true;
                while (!go) {
                    QThread::yieldCurrentThread();
                }
                outcome = int(db.insertPhoto(photo("03"), 2));
            } catch (const DatabaseError &) {
                outcome = -2;
            }
            finished = true;
        }));
        second->start();
        QTRY_VERIFY_WITH_TIMEOUT(opened || finished, 60000);
        db_->inTransaction([&] {
            QCOMPARE(db_->insertPhoto(photo("02"), 2), InsertOutcome::Inserted);
            go = true;
            // Keep this insert open until the other one has either finished or is seen waiting (on
            // SQLite it waits for the write lock in any case).
            QTRY_VERIFY_WITH_TIMEOUT(finished || !TestDatabase::onPostgres() ||
                                         TestDatabase::sessionsWaitingForLocks(dbFile()) > 0,
                                     60000);
        });
        QVERIFY(second->wait(QDeadlineTimer(60000)));
        QCOMPARE(outcome.load(), int(InsertOutcome::LimitReached));
        QCOMPARE(db_->photoCount(QStringLiteral("6000000000002")), 2);
    }

    // Writers on their own connections to one file: the limit holds however the inserts interleave.
    void concurrentInsertsKeepTheLimit() {
        const TCompanyInfo c = addCompany(QStringLiteral("6000000000001"), 3);
        std::atomic<int> accepted{0};
        std::atomic<int> refused{0};
        std::atomic<int> other{0};
        std::vector<std::unique_ptr<QThread>> threads;
        const QStringList types{"01", "02", "03", "04", "05"};
        for (const QString &type : types) {
            threads.emplace_back(QThread::create([&, type] {
                PhotoDatabase db(dbFile());
                ServiceLogic logic(db, [] { return kNow; });
                const QString result =
                    logic.InsertCompanyPhoto(photos(c), newPhoto(c, type, type)).record.F_OPERRESULT;
                (result == QLatin1String("1110")   ? accepted
                 : result == QLatin1String("1111") ? refused
                                                   : other)++;
            }));
            threads.back()->start();
        }
        for (auto &t : threads) {
            QVERIFY(t->wait(QDeadlineTimer(120000)));
        }
        QCOMPARE(other.load(), 0);
        QCOMPARE(accepted.load(), 3);
        QCOMPARE(refused.load(), 2);
        QCOMPARE(db_->photoCount(QStringLiteral("6000000000001")), 3);
    }
};

QTEST_GUILESS_MAIN(TestServiceLogic)
#include "tst_servicelogic.moc"
