// One working session as a user has it: start as the client's entry does, log in, query the demo
// company, download a small and a source version, zoom and rotate, add a photo, change its note,
// delete it and leave. After each step the service's database and the program folder are checked.

#include "AddPhoto.h"
#include "ConfigWriter.h"
#include "Login.h"
#include "MessageBox.h"
#include "UploadMain.h"
#include "ViewPhoto.h"
#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "support/DemoSeed.h"
#include "support/ModalDriver.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

// Reads the service's database beside the running service (it keeps the file in WAL mode).
class ServiceDatabase {
public:
    explicit ServiceDatabase(const QString &file) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();
    }
    ~ServiceDatabase() {
        QSqlDatabase::database(name_).close();
        QSqlDatabase::removeDatabase(name_);
    }
    ServiceDatabase(const ServiceDatabase &) = delete;
    ServiceDatabase &operator=(const ServiceDatabase &) = delete;

    int photoCount(const QString &companyId) const {
        QSqlQuery q(QSqlDatabase::database(name_));
        q.prepare(QStringLiteral("SELECT count(*) FROM photos WHERE company_id = ?"));
        q.addBindValue(companyId);
        return q.exec() && q.next() ? q.value(0).toInt() : -1;
    }
    // The note and source size of one photo; empty note when there is no such photo.
    std::pair<QString, QSize> photo(const QString &photoId) const {
        QSqlQuery q(QSqlDatabase::database(name_));
        q.prepare(QStringLiteral("SELECT note, source FROM photos WHERE photo_id = ?"));
        q.addBindValue(photoId);
        if (!q.exec() || !q.next()) {
            return {};
        }
        return {q.value(0).toString(), QImage::fromData(q.value(1).toByteArray()).size()};
    }

private:
    QString name_ = QStringLiteral("session-check");
};

QStringList filesIn(const QString &folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(folder).relativeFilePath(it.next()));
    }
    files.sort();
    return files;
}

} // namespace

class TstSession : public QObject {
    Q_OBJECT

private slots:
    void wholeSession() {
        TempAppDir app;
        QTemporaryDir data;
        const QString dbFile = data.filePath(QStringLiteral("photos.db"));
        PhotoServiceProcess service(dbFile);
        QVERIFY(service.started());
        QString error;
        QVERIFY(cli::WriteConfigFile(app.path(), QStringLiteral("127.0.0.1"), QString::number(service.port()),
                                     error));
        ServiceDatabase db(dbFile);
        const QString company = QString::fromUtf8(kDemoCompanyWithPhotos);
        QCOMPARE(db.photoCount(company), kDemoPhotoCount);

        // Start as the entry does: data module, main window, login at the first show.
        TMessageBoxNotifier notifier;
        TNotifier::Install(&notifier);
        auto dm = std::make_unique<TDM_Main>();
        QVERIFY(!dm->TerminateRequested);
        QVERIFY(QDir(app.file(QStringLiteral("Photo"))).exists());
        auto window = std::make_unique<TFrm_UploadMain>();
        const auto find = [&window](const char *name) {
            return window->findChild<QWidget *>(QLatin1String(name));
        };
        const auto button = [&find](const char *name) { return qobject_cast<QPushButton *>(find(name)); };
        WhenModal<TFrm_Login>([](TFrm_Login *login) {
            QTest::keyClicks(login->findChild<QLineEdit *>(QStringLiteral("Ed_UserName")),
                             QString::fromUtf8(kDemoUser));
            QTest::keyClicks(login->findChild<QLineEdit *>(QStringLiteral("Ed_UserPass")),
                             QString::fromUtf8(kDemoPassword));
            QTest::keyClick(login->findChild<QLineEdit *>(QStringLiteral("Ed_UserPass")), Qt::Key_Return);
        });
        window->show();
        QVERIFY(window->isVisible());
        QVERIFY(DM_Main->LoginOk);

        TScriptedMessageBoxes boxes;
        // Query the demo company: its photos are listed with their small versions cached.
        QTest::keyClicks(find("Ed_CompanyId"), company);
        QTest::keyClick(find("Ed_CompanyId"), Qt::Key_Return);
        TPhotoListModel *list = window->PhotoList;
        QCOMPARE(list->rowCount(), kDemoPhotoCount);
        QCOMPARE(filesIn(app.file(QStringLiteral("Photo"))).size(), kDemoPhotoCount);
        QVERIFY(boxes.Texts().isEmpty());

        // Download a small version again and a source version of the second photo.
        auto *view = qobject_cast<QTableView *>(find("Lv_List"));
        const QPoint second = view->visualRect(view->model()->index(1, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(list->selectedRow(), 1);
        const QString secondId = list->subItem(1, TPhotoListModel::PhotoIdColumn);
        QVERIFY(QFile::remove(app.file(QStringLiteral("Photo/")) + secondId + QStringLiteral("_0.jpg")));
        list->setSubItem(1, TPhotoListModel::StateColumn,
                         QStringLiteral("0")); // as a list without small versions
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(list->subItem(1, TPhotoListModel::StateColumn), QStringLiteral("1"));
        QVERIFY(QFileInfo::exists(app.file(QStringLiteral("Photo/")) + secondId + QStringLiteral("_0.jpg")));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(list->subItem(1, TPhotoListModel::StateColumn), QStringLiteral("2"));
        const QString source = app.file(QStringLiteral("Photo/")) + secondId + QStringLiteral("_1.jpg");
        QCOMPARE(QImageReader(source).size(), db.photo(secondId).second);
        QVERIFY(boxes.Texts().isEmpty());

        // Zoom and rotate in the preview.
        TFrm_ViewPhoto *viewer = window->Frm_ViewPhoto;
        const QSize shown = viewer->PhotoImage.size();
        QCOMPARE(shown, db.photo(secondId).second);
        button("Btn_ZoomOut")->click();
        button("Btn_ZoomOut")->click();
        QVERIFY(viewer->ViewState().ViewScale > 1.15f);
        button("Btn_Left")->click();
        QCOMPARE(viewer->PhotoImage.size(), shown.transposed());
        button("Btn_ZoomSource")->click();
        QCOMPARE(viewer->PhotoImage.size(), shown);

        // Add a photo from a generated JPEG.
        QImage picture(1400, 1000, QImage::Format_RGB32);
        picture.fill(QColor(200, 80, 40));
        const QString chosen = data.filePath(QStringLiteral("door.jpg"));
        QVERIFY(picture.save(chosen, "JPEG", 90));
        WhenModal<TFrm_AddPhoto>([chosen](TFrm_AddPhoto *editor) {
            editor->findChild<QLineEdit *>(QStringLiteral("Ed_PhotoPath"))->setText(chosen);
            editor->findChild<QComboBox *>(QStringLiteral("Cb_PhotoType"))->setCurrentIndex(0);
            editor->findChild<QLineEdit *>(QStringLiteral("Ed_PhotoNote"))->setText(QStringLiteral("新门头"));
            editor->findChild<QPushButton *>(QStringLiteral("Btn_Save"))->click();
        });
        button("Btn_Add")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
        QCOMPARE(db.photoCount(company), kDemoPhotoCount + 1);
        const QString newId = list->subItem(list->selectedRow(), TPhotoListModel::PhotoIdColumn);
        QCOMPARE(db.photo(newId).first, QStringLiteral("新门头"));
        QCOMPARE(db.photo(newId).second, QSize(1400, 1000));
        QVERIFY(QFileInfo::exists(app.file(QStringLiteral("Photo/")) + newId + QStringLiteral("_1.jpg")));

        // Change its note.
        boxes.Shown.clear();
        WhenModal<TFrm_AddPhoto>([](TFrm_AddPhoto *editor) {
            editor->findChild<QLineEdit *>(QStringLiteral("Ed_PhotoNote"))
                ->setText(QStringLiteral("新门头,夜景"));
            editor->findChild<QPushButton *>(QStringLiteral("Btn_Save"))->click();
        });
        button("Btn_Edit")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
        QCOMPARE(db.photo(newId).first, QStringLiteral("新门头,夜景"));

        // Delete it.
        boxes.Shown.clear();
        button("Btn_Delete")->click();
        QCOMPARE(boxes.Texts(),
                 (QStringList{QStringLiteral("您确定要删除照片吗?"), QStringLiteral("删除照片成功")}));
        QCOMPARE(db.photoCount(company), kDemoPhotoCount);
        QVERIFY(db.photo(newId).first.isEmpty());

        // Leave: the cache and the working images go, the configuration and the log stay.
        boxes.Shown.clear();
        QVERIFY(window->close());
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("确定要退出企业照片采集程序吗?")});
        window.reset();
        dm.reset();
        TNotifier::Install(nullptr);
        const QStringList left = filesIn(app.path());
        QCOMPARE(left.size(), 2);
        QCOMPARE(
            left.first(),
            QStringLiteral("LogFiles/%1.txt").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
        QCOMPARE(left.last(), QStringLiteral("PictureConfig/Config.ini"));
        QCOMPARE(app.logTexts().last(), QStringLiteral("用户退出系统"));
    }
};

QTEST_MAIN(TstSession)
#include "tst_session.moc"
