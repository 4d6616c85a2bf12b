// Two photo-service processes on one database, 50 keep-alive clients spread over both doing list,
// insert and delete for UPLOADPIC_LOAD_SECONDS (default 10), and one process killed with SIGKILL
// half-way. Every answer must be a success or an expected refusal, no list may show more photos
// than the limit, and the database must end holding exactly what the confirmed answers say: an
// insert answered "1110" is never lost. Run by tests/support/with-postgres.sh (see CMakeLists.txt);
// tests/photoservice/two-instance-run.sh runs it for 60 s.
#include "HttpCall.h"
#include "ServiceHeaders.h"
#include "support/DemoSeed.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestDatabase.h"

#include "PhotoDatabase.h"
#include "contract/SoapCodec.h"

#include <QDate>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <map>
#include <memory>

using namespace ServiceHeaders;

namespace {

constexpr int kClients = 50;
constexpr int kCompanies = 10; // five clients per company, over both processes
constexpr int kLimit = 3;      // of five photo types: inserts meet the limit and each other
const QStringList kTypes{"01", "02", "03", "04", "05"};

// What the answers said about one photo ID. Inserts and deletes of one ID alternate in the database
// (an insert succeeds only when the ID is absent, a delete only when present), so after the run the
// ID is present exactly when confirmed inserts outnumber confirmed deletes, give or take the calls
// whose answer was lost with the killed process.
struct IdJournal {
    int inserted = 0;
    int deleted = 0;
    int insertsUnanswered = 0;
    int deletesUnanswered = 0;
};

enum class Op { List, Insert, Delete };

struct Client {
    std::unique_ptr<QNetworkAccessManager> nam; // one keep-alive connection per client
    int company = 0;
    int instance = 0;
    int step = 0;
};

class Load : public QObject {
public:
    Load(const QList<QString> &endpoints, int seconds) : endpoints_(endpoints), seconds_(seconds) {
        for (int c = 0; c < kCompanies; ++c) {
            TCompanyInfo info;
            const QString id = QStringLiteral("70000000000%1").arg(c, 2, 10, QLatin1Char('0'));
            info.F_CUSTOMERID = QStringLiteral("KH") + id;
            info.F_SOFTWAREID = QStringLiteral("RJ") + id;
            info.F_DEVICEID = QStringLiteral("SB") + id;
            info.F_COMPANYTYPE = id.left(3);
            companies_.append(info);
        }
        for (int i = 0; i < kClients; ++i) {
            clients_.push_back({std::make_unique<QNetworkAccessManager>(), i % kCompanies, i % 2, i});
        }
    }

    static CompanyRecord record(const TCompanyInfo &info) {
        CompanyRecord c;
        c.companyId = info.F_CUSTOMERID.mid(2);
        c.customerId = info.F_CUSTOMERID;
        c.softwareId = info.F_SOFTWAREID;
        c.deviceId = info.F_DEVICEID;
        c.companyType = info.F_COMPANYTYPE;
        c.name = QStringLiteral("load");
        c.trade = QStringLiteral("CY");
        c.photoLimit = kLimit;
        c.zoomWidth = 640;
        c.zoomHeight = 480;
        return c;
    }

    // Runs the clients until the time is up and every call has come back; killSecond is called
    // half-way.
    void run(const std::function<void()> &killSecond) {
        small_ = jpeg(160, 120);
        source_ = jpeg(320, 240);
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(seconds_ * 500, this, [this, killSecond] {
            killSecond();
            killedAt_ = clock_.elapsed();
            killed_ = true;
        });
        QTimer::singleShot(seconds_ * 1000, this, [this] { running_ = false; });
        clock_.start();
        for (int i = 0; i < kClients; ++i) {
            send(i);
        }
        QTimer::singleShot((seconds_ + 120) * 1000, &loop, &QEventLoop::quit); // bounded, whatever happens
        loop.exec();
        elapsed_ = clock_.elapsed();
    }

    const QList<TCompanyInfo> &companies() const { return companies_; }
    const std::map<QString, IdJournal> &journal() const { return journal_; }
    const QStringList &errors() const { return errors_; }
    int inFlight() const { return active_; }
    QString figures() const {
        return QStringLiteral("%1 calls in %2 s (%3/s): list %4 (largest %5 of limit %6), insert %7 "
                              "(1110 %8, 1111 %9), delete %10 (1110 %11, 2002 %12); second process killed "
                              "at %13 s, %14 inserts or deletes unanswered (%15 of all calls refused)")
            .arg(calls_)
            .arg(double(elapsed_) / 1000.0, 0, 'f', 1)
            .arg(calls_ * 1000.0 / double(qMax<qint64>(1, elapsed_)), 0, 'f', 0)
            .arg(lists_)
            .arg(largestList_)
            .arg(kLimit)
            .arg(inserts_[0] + inserts_[1])
            .arg(inserts_[0])
            .arg(inserts_[1])
            .arg(deletes_[0] + deletes_[1])
            .arg(deletes_[0])
            .arg(deletes_[1])
            .arg(double(killedAt_) / 1000.0, 0, 'f', 1)
            .arg(unanswered_)
            .arg(refused_);
    }

private:
    QString photoId(const TCompanyInfo &company, const QString &type) const {
        return QStringLiteral("W") + company.F_CUSTOMERID +
               QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + type;
    }

    void send(int index) {
        Client &client = clients_[std::size_t(index)];
        if (!running_) {
            if (active_ == 0) {
                loop_->quit();
            }
            return;
        }
        const TCompanyInfo &company = companies_.at(client.company);
        const QString &type = kTypes.at(QRandomGenerator::global()->bounded(int(kTypes.size())));
        const Op op = static_cast<Op>(client.step++ % 3);
        Soap::Request request;
        request.header = photos(company);
        QString id;
        switch (op) {
        case Op::List:
            request.op = Soap::Operation::GetCompanyPhotoList;
            break;
        case Op::Insert:
            request.op = Soap::Operation::InsertCompanyPhoto;
            request.aPicInfo.F_COMPANYID = TStrOper::EncodeBase64(company.F_CUSTOMERID);
            request.aPicInfo.F_PHOTO = source_;
            request.aPicInfo.F_SMALLPHOTO = small_;
            request.aPicInfo.F_BUSFLAG = TStrOper::EncodeBase64(company.F_COMPANYTYPE);
            request.aPicInfo.F_FLAG = TStrOper::EncodeBase64(type);
            request.aPicInfo.F_MEMO = TStrOper::EncodeBase64(QStringLiteral("load"));
            id = photoId(company, type);
            break;
        case Op::Delete:
            request.op = Soap::Operation::DeleteCompanyPhoto;
            id = request.aPhotoId = photoId(company, type);
            break;
        }
        QNetworkRequest http{QUrl(endpoints_.at(client.instance))};
        http.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
        http.setRawHeader("SOAPAction", Soap::SoapAction(request.op));
        http.setTransferTimeout(60000);
        QNetworkReply *reply = client.nam->post(http, Soap::WriteRequest(request));
        ++active_;
        const int instance = client.instance;
        connect(reply, &QNetworkReply::finished, this, [this, reply, index, op, id, instance] {
            --active_;
            judge(index, op, id, instance, *reply);
            reply->deleteLater();
            send(index);
        });
    }

    void judge(int index, Op op, const QString &id, int instance, QNetworkReply &reply) {
        ++calls_;
        const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        // The head of an answer may have left before the kill, the rest never comes.
        const bool cut = status == 0 || reply.error() == QNetworkReply::RemoteHostClosedError;
        if (cut && killed_ && instance == 1) {
            // The killed process. Even a refused connection may hide a call that ran: Qt resends a
            // request whose connection closed before any answer, and the resend finds no server.
            clients_[std::size_t(index)].instance = 0;
            if (reply.error() == QNetworkReply::ConnectionRefusedError) {
                ++refused_;
            }
            if (op != Op::List) {
                ++unanswered_;
                (op == Op::Insert ? journal_[id].insertsUnanswered : journal_[id].deletesUnanswered)++;
            }
            return;
        }
        const QByteArray body = reply.readAll();
        QString code;
        try {
            const TPicResultInfo answer = Soap::ReadPicResult(body);
            code = answer.F_OPERRESULT;
            if (op == Op::List && code == u"1110") {
                ++lists_;
                largestList_ = qMax(largestList_, int(answer.F_PICLIST.size()));
                if (answer.F_PICLIST.size() > kLimit) {
                    errors_ << QStringLiteral("a list shows %1 photos").arg(answer.F_PICLIST.size());
                }
                return;
            }
        } catch (const std::exception &e) {
            code =
                QStringLiteral("unreadable (HTTP %1, %2): %3").arg(status).arg(reply.errorString(), e.what());
        }
        if (op == Op::Insert && (code == u"1110" || code == u"1111")) {
            ++inserts_[code == u"1110" ? 0 : 1];
            journal_[id].inserted += code == u"1110";
        } else if (op == Op::Delete && (code == u"1110" || code == u"2002")) {
            ++deletes_[code == u"1110" ? 0 : 1];
            journal_[id].deleted += code == u"1110";
        } else if (errors_.size() < 20) {
            errors_ << QStringLiteral("call %1 to process %2: %3").arg(int(op)).arg(instance + 1).arg(code);
        }
    }

    QList<QString> endpoints_;
    int seconds_;
    QList<TCompanyInfo> companies_;
    std::vector<Client> clients_;
    QByteArray small_;
    QByteArray source_;
    QEventLoop *loop_ = nullptr;
    QElapsedTimer clock_;
    bool running_ = true;
    bool killed_ = false;
    int active_ = 0;
    qint64 killedAt_ = 0;
    qint64 elapsed_ = 0;
    int calls_ = 0;
    int lists_ = 0;
    int largestList_ = 0;
    int inserts_[2] = {0, 0};
    int deletes_[2] = {0, 0};
    int unanswered_ = 0;
    int refused_ = 0;
    std::map<QString, IdJournal> journal_;
    QStringList errors_;
};

} // namespace

class TestInstances : public QObject {
    Q_OBJECT

private slots:
    void twoProcessesOneDatabaseOneKilled() {
        QTemporaryDir dir;
        const QString location = TestDatabase::fresh(dir.filePath(QStringLiteral("photos.db")));
        const int seconds = qEnvironmentVariableIsSet("UPLOADPIC_LOAD_SECONDS")
                                ? qMax(2, qEnvironmentVariableIntValue("UPLOADPIC_LOAD_SECONDS"))
                                : 10;
        PhotoServiceProcess first(location);
        QVERIFY(first.started());
        PhotoServiceProcess second(location, false);
        QVERIFY(second.started());

        // Each process admits company operations from an address that logged in with it (a load
        // balancer keeps a client on one instance); the load's clients share this address.
        QNetworkAccessManager nam;
        for (const PhotoServiceProcess *service : {&first, &second}) {
            Soap::Request login;
            login.op = Soap::Operation::ValidateUserLogin;
            login.header =
                ServiceHeaders::login(QString::fromUtf8(kDemoUser), QString::fromUtf8(kDemoPassword));
            QCOMPARE(postRequest(nam, service->endpoint(), login).status, 200);
        }
        Load load({first.endpoint(), second.endpoint()}, seconds);
        {
            PhotoDatabase db(location);
            for (const TCompanyInfo &company : load.companies()) {
                db.addCompany(Load::record(company));
            }
        }
        load.run([&second] { second.process().kill(); });
        qInfo().noquote() << load.figures();
        QCOMPARE(load.inFlight(), 0);
        QVERIFY2(load.errors().isEmpty(), qPrintable(load.errors().join(QLatin1Char('\n'))));

        PhotoDatabase db(location);
        int photos = 0;
        std::map<QString, IdJournal> journal = load.journal();
        for (const TCompanyInfo &company : load.companies()) {
            const QList<PhotoRecord> list = db.photoList(company.F_CUSTOMERID.mid(2));
            QVERIFY(list.size() <= kLimit);
            photos += int(list.size());
            for (const PhotoRecord &photo : list) {
                journal[photo.photoId]; // present in the database: must be accounted for below
            }
        }
        int unsure = 0;
        for (const auto &[id, j] : journal) {
            const int confirmed = j.inserted - j.deleted;
            const bool present = db.photo(id.mid(3, 13), id).has_value(); // W, KH, the company ID, ...
            const int lowest = confirmed - j.deletesUnanswered;
            const int highest = confirmed + j.insertsUnanswered;
            unsure += lowest != highest;
            QVERIFY2(lowest <= int(present) && int(present) <= highest,
                     qPrintable(
                         QStringLiteral("%1: %2 in the database, but %3 inserts and %4 deletes answered 1110")
                             .arg(id, present ? QStringLiteral("present") : QStringLiteral("absent"))
                             .arg(j.inserted)
                             .arg(j.deleted)));
        }
        qInfo().noquote() << QStringLiteral(
                                 "%1 photos in the database, every one of %2 photo IDs as its answers "
                                 "say (%3 with an answer lost to the kill)")
                                 .arg(photos)
                                 .arg(journal.size())
                                 .arg(unsure);
        QCOMPARE(first.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(TestInstances)
#include "tst_instances.moc"
