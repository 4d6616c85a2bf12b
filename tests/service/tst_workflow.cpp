// The rules of the photo work that the windows and the CLI share: input checks, the type choice and
// photo ID, the preparation of a chosen image, the record and filing in the cache.

#include "support/TestSupport.h"

#include "client/MainDataModule.h"
#include "client/PhotoCache.h"
#include "client/PhotoListModel.h"
#include "client/PhotoTypeChoice.h"
#include "client/PhotoWorkflow.h"
#include "core/StrOper.h"

#include <QImage>
#include <QImageReader>
#include <QTest>

using PhotoWorkflow::EditMode;
using PhotoWorkflow::Input;

Q_DECLARE_METATYPE(PhotoWorkflow::EditMode)
Q_DECLARE_METATYPE(PhotoWorkflow::Input)

namespace {

QString writeJpeg(const QString &path, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(path, "JPEG", 90);
    return path;
}

QString writeText(const QString &path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("this is a note, not a photo\n");
    return path;
}

} // namespace

class TestWorkflow : public QObject {
    Q_OBJECT

private slots:
    void photoInputChecks_data() {
        QTest::addColumn<EditMode>("mode");
        QTest::addColumn<QString>("file"); // "jpeg", "text", "missing" or empty
        QTest::addColumn<bool>("typeChosen");
        QTest::addColumn<QString>("note");
        QTest::addColumn<Input>("input");
        QTest::addColumn<QString>("text");
        const auto add = EditMode::Add;
        QTest::newRow("accepted") << add << "jpeg" << true << " 门头 " << Input::None << "";
        QTest::newRow("edit without image") << EditMode::Edit << "" << true << "n" << Input::None << "";
        QTest::newRow("add without image")
            << add << "" << true << "n" << Input::PhotoPath << "请选择【照片路径】";
        QTest::newRow("missing file") << add << "missing" << true << "n" << Input::PhotoPath
                                      << "您选择的【照片路径】不存在文件,请重新选择";
        QTest::newRow("text renamed .jpg") << EditMode::Edit << "text" << true << "n" << Input::PhotoPath
                                           << "您选择的【照片路径】不是可读取的照片(可用 "
                                              "JPEG、HEIC/HEIF、PNG、WebP、TIFF 或 BMP),请重新选择";
        QTest::newRow("no type") << add << "jpeg" << false << "n" << Input::PhotoType
                                 << "您选择的【照片类型】不正确,请重新选择";
        QTest::newRow("blank note") << add << "jpeg" << true << "   " << Input::Note << "请填写【照片描述】";
        QTest::newRow("emoji and hangul") << add << "jpeg" << true << "note 😀 한국" << Input::Note
                                          << "【照片描述】中含有无法保存的字符,请修改";
    }
    void photoInputChecks() {
        QFETCH(EditMode, mode);
        QFETCH(QString, file);
        QFETCH(bool, typeChosen);
        QFETCH(QString, note);
        QFETCH(Input, input);
        QFETCH(QString, text);
        TempAppDir app;
        QString path;
        if (file == u"jpeg") {
            path = writeJpeg(app.file("p.jpg"), {64, 48});
        } else if (file == u"text") {
            path = writeText(app.file("p.jpg"));
        } else if (file == u"missing") {
            path = app.file("gone.jpg");
        }
        const PhotoWorkflow::TInputProblem problem =
            PhotoWorkflow::CheckPhotoInput(mode, path, typeChosen, note);
        QCOMPARE(problem.input, input);
        QCOMPARE(problem.text, text);
    }

    void companyAndLoginChecks() {
        const QString twelve = QStringLiteral("310115001234");
        QCOMPARE(PhotoWorkflow::CheckCompanyId(twelve + u'5').input, Input::None);
        QCOMPARE(PhotoWorkflow::CheckCompanyId(u' ' + twelve).input, Input::None); // counted as typed
        QCOMPARE(PhotoWorkflow::CheckCompanyId(twelve).text, QStringLiteral("企业编号必须为13位"));
        QCOMPARE(PhotoWorkflow::CheckCompanyId(QString(13, u' ')).text, QStringLiteral("企业编号不能为空"));
        QCOMPARE(PhotoWorkflow::CheckLogin(QStringLiteral(" "), QStringLiteral("p")).input, Input::UserName);
        QCOMPARE(PhotoWorkflow::CheckLogin(QStringLiteral("u"), QStringLiteral(" ")).input, Input::Password);
        TDM_Main dm;
        PhotoWorkflow::BeginCompanyQuery(dm, u' ' + twelve);
        QCOMPARE(dm.CompanyId, twelve);
        QCOMPARE(dm.OperationKind, TOperationKind::CompanyQuery);
    }

    void typeChoiceAndPhotoId() {
        TPhotoListModel list;
        list.appendRow(QStringLiteral("门头"), QStringLiteral("W1"), QStringLiteral(" 01 "),
                       TPhotoListModel::SourceCached);
        list.appendRow(QStringLiteral("无类型"), QStringLiteral("W2"), QString(),
                       TPhotoListModel::NotDownloaded);
        const QStringList types{QStringLiteral("01 门头照片"), QStringLiteral("02 营业执照"),
                                QStringLiteral("无空格"), QStringLiteral(" 03 前导空格")};
        // "01" is used (trimmed on both sides); an entry without a space has the empty code, which the
        // second row carries; " 03 ..." has the empty code too.
        QCOMPARE(PhotoTypeChoice::UnusedEntries(types, &list), QStringList{QStringLiteral("02 营业执照")});
        QCOMPARE(PhotoTypeChoice::UnusedEntries(types, nullptr), types);
        QCOMPARE(PhotoTypeChoice::UnusedEntryWithCode(types, &list, QStringLiteral("02")),
                 QStringLiteral("02 营业执照"));
        QCOMPARE(PhotoTypeChoice::UnusedEntryWithCode(types, &list, QStringLiteral("01")), QString());
        QCOMPARE(PhotoTypeChoice::FindItem(types, QStringLiteral("09"), QStringLiteral("备注")),
                 QStringLiteral("09 备注"));
        QCOMPARE(PhotoTypeChoice::KeptCode(types, QStringLiteral(" 01 "), QStringLiteral("门头")),
                 QStringLiteral("01"));
        QCOMPARE(
            PhotoTypeChoice::NewPhotoId(QStringLiteral("X1"), QDate(2025, 3, 8), QStringLiteral("01 门头")),
            QStringLiteral("WX12025030801"));
        QCOMPARE(
            PhotoTypeChoice::NewPhotoId(QStringLiteral("X1"), QDate(2025, 3, 8), QStringLiteral(" 01 门头")),
            QStringLiteral("WX120250308"));
    }

    // Another photo is refused before the editor opens: at the limit, or with every type in use.
    void photoLimit() {
        TDM_Main dm;
        TPhotoListModel list;
        dm.PhotoListView = &list;
        dm.MaxPhotoNumber = 2;
        dm.PhotoTypeList = QStringList{QStringLiteral("01 门头"), QStringLiteral("02 执照")};
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm), QString());
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm, 2), QString());
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm, 3), QStringLiteral("您最多能添加【2】张照片"));
        list.appendRow(QStringLiteral("n"), QStringLiteral("W1"), QStringLiteral("01"),
                       TPhotoListModel::NotDownloaded);
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm, 2), QStringLiteral("您最多能添加【2】张照片"));
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm), QString());
        list.appendRow(QStringLiteral("n"), QStringLiteral("W2"), QStringLiteral("02"),
                       TPhotoListModel::NotDownloaded);
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm), QStringLiteral("您最多能添加【2】张照片"));
        dm.MaxPhotoNumber = 3;
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm),
                 QStringLiteral("每种照片类型都已有照片,不能再新增照片;请修改或删除已有的照片"));
        list.removeRows(1, 1);
        dm.MaxPhotoNumber = 5;
        QCOMPARE(PhotoWorkflow::PhotoLimitProblem(dm, 2),
                 QStringLiteral("未使用的照片类型只剩【1】种,不能一次新增【2】张照片"));
    }

    void preparation_data() {
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<QSize>("limits");
        QTest::addColumn<QSize>("small"); // empty: the preparation fails
        QTest::newRow("within the limits") << QSize(600, 400) << QSize(800, 600) << QSize(600, 400);
        QTest::newRow("reduced to the limits") << QSize(1600, 1200) << QSize(800, 600) << QSize(800, 600);
        QTest::newRow("limits below 640x480 are raised")
            << QSize(1600, 1200) << QSize(300, 200) << QSize(640, 480);
        QTest::newRow("not a JPEG") << QSize() << QSize(800, 600) << QSize();
    }
    void preparation() {
        QFETCH(QSize, photo);
        QFETCH(QSize, limits);
        QFETCH(QSize, small);
        TempAppDir app;
        const QString path =
            photo.isValid() ? writeJpeg(app.file("p.jpg"), photo) : writeText(app.file("p.jpg"));
        const PhotoWorkflow::TPreparedPhoto prepared =
            PhotoWorkflow::PreparePhoto(path, limits.width(), limits.height());
        QCOMPARE(prepared.failedSteps.isEmpty(), small.isValid());
        if (!small.isValid()) {
            return;
        }
        QCOMPARE(QImage::fromData(prepared.small).size(), small);
        // The bytes handed on are those of the files the photo editor names.
        QCOMPARE(prepared.small, fileBytes(prepared.smallFile));
        QCOMPARE(prepared.source, fileBytes(prepared.sourceFile));
    }

    void recordAndCache() {
        TempAppDir app;
        TCurrentCompany company;
        company.CustomerId = QStringLiteral("KH1");
        company.CompanyType = QStringLiteral("310");
        PhotoWorkflow::TPreparedPhoto photo;
        photo.source = "source bytes";
        photo.small = "small bytes";
        const TPictureInfo edit = PhotoWorkflow::PhotoRecord(
            company, QStringLiteral("W1"), QStringLiteral("05"), QStringLiteral(" 门 "), photo);
        QCOMPARE(edit.F_ID, QStringLiteral("W1"));
        QCOMPARE(TStrOper::DecodeBase64(edit.F_MEMO), QStringLiteral("门"));
        QCOMPARE(TStrOper::DecodeBase64(edit.F_FLAG), QStringLiteral("05"));
        QCOMPARE(edit.F_SMALLPHOTO, QByteArray("small bytes"));
        const TPictureInfo noteOnly = PhotoWorkflow::PhotoRecord(
            company, QStringLiteral("W1"), QStringLiteral("05"), QStringLiteral("n"), {});
        QVERIFY(noteOnly.F_PHOTO.isEmpty() && noteOnly.F_SMALLPHOTO.isEmpty());

        QVERIFY(QDir().mkpath(PhotoCache::Folder()));
        QCOMPARE(PhotoWorkflow::FilePreparedPhoto(QStringLiteral("W1"), photo), QString());
        QCOMPARE(fileBytes(PhotoCache::SourceFile(PhotoCache::Folder(), QStringLiteral("W1"))),
                 QByteArray("source bytes"));
        QVERIFY(!PhotoWorkflow::FilePreparedPhoto(QStringLiteral("../W1"), photo).isEmpty());
        QDir(PhotoCache::Folder()).removeRecursively();
        writeText(app.file("Photo"));
        QVERIFY(!PhotoWorkflow::FilePreparedPhoto(QStringLiteral("W2"), photo).isEmpty());
    }

private:
    static QByteArray fileBytes(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

QTEST_GUILESS_MAIN(TestWorkflow)
#include "tst_workflow.moc"
