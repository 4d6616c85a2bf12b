// The main window against the reference photo service, driven as a user drives it: query, list,
// context menu, downloads, preview, add, change, delete and exit.

#include "AddPhoto.h"
#include "ConfigWriter.h"
#include "Login.h"
#include "MessageBox.h"
#include "PhotoListColumns.h"
#include "UploadMain.h"
#include "ViewPhoto.h"
#include "client/MainDataModule.h"
#include "client/PhotoListModel.h"
#include "client/UploadPictureLib.h"
#include "service/FakeHttpServer.h"
#include "support/DemoSeed.h"
#include "support/LinkCutter.h"
#include "support/ModalDriver.h"
#include "support/OperationCases.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// One fresh world per test: program folder, seeded service, data module and a logged-in window.
struct World {
    TempAppDir app;
    QTemporaryDir data;
    std::unique_ptr<PhotoServiceProcess> service;
    std::unique_ptr<TDM_Main> dm;
    std::unique_ptr<TFrm_UploadMain> window;

    template <typename T> T *find(const char *name) const {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString cache(const QString &photoId, const char *suffix) const {
        return app.file(QStringLiteral("Photo/")) + photoId + QLatin1String(suffix);
    }
};

bool start(World &w) {
    w.service = std::make_unique<PhotoServiceProcess>(w.data.filePath(QStringLiteral("photos.db")));
    if (!w.service->started()) {
        return false;
    }
    QString error;
    if (!cli::WriteConfigFile(w.app.path(), QStringLiteral("127.0.0.1"), QString::number(w.service->port()),
                              error)) {
        return false;
    }
    w.dm = std::make_unique<TDM_Main>();
    w.window = std::make_unique<TFrm_UploadMain>();
    // The first show opens the login dialog modally; log in from inside its loop.
    WhenModal<TFrm_Login>([](TFrm_Login *login) {
        login->findChild<QLineEdit *>(QStringLiteral("Ed_UserName"))->setText(QString::fromUtf8(kDemoUser));
        login->findChild<QLineEdit *>(QStringLiteral("Ed_UserPass"))
            ->setText(QString::fromUtf8(kDemoPassword));
        login->findChild<QPushButton *>(QStringLiteral("Btn_Login"))->click();
    });
    w.window->show();
    return w.window->isVisible() && QTest::qWaitForWindowExposed(w.window.get());
}

void query(World &w, const QString &companyId = QString::fromUtf8(kDemoCompanyWithPhotos)) {
    w.find<QLineEdit>("Ed_CompanyId")->setText(companyId);
    w.find<QPushButton>("Btn_QueryInfo")->click();
}

QRect rowRect(World &w, int row) {
    auto *view = w.find<QTableView>("Lv_List");
    return view->visualRect(view->model()->index(row, 0));
}

void clickRow(World &w, int row) {
    QTest::mouseClick(w.find<QTableView>("Lv_List")->viewport(), Qt::LeftButton, {},
                      rowRect(w, row).center());
}

// The enabled state of the context menu's items as the user would find them after a right click.
QString menuState(World &w) {
    auto *view = w.find<QTableView>("Lv_List");
    emit view->customContextMenuRequested(QPoint(5, 5));
    QString state;
    for (const char *name :
         {"N_Small", "N_Source", "N_RefPhoto", "N_AddPhoto", "N_EditPhoto", "N_DeletePhoto"}) {
        state += w.window->PM_List->findChild<QAction *>(QLatin1String(name))->isEnabled() ? u'1' : u'0';
    }
    w.window->PM_List->close();
    return state;
}

// "1" per enabled button: Btn_Add, Btn_Edit, Btn_Delete, then the five preview buttons.
QString buttonState(World &w) {
    QString state;
    for (const char *name : {"Btn_Add", "Btn_Edit", "Btn_Delete", "Btn_Right", "Btn_Left", "Btn_ZoomOut",
                             "Btn_ZoomIn", "Btn_ZoomSource"}) {
        state += w.find<QPushButton>(name)->isEnabled() ? u'1' : u'0';
    }
    return state;
}

// Removes the cached small version of a row's photo; `notDownloaded` also marks the row so.
void dropSmall(World &w, int row, bool notDownloaded) {
    QVERIFY(
        QFile::remove(w.cache(w.window->PhotoList->subItem(row, TPhotoListModel::PhotoIdColumn), "_0.jpg")));
    if (notDownloaded) {
        w.window->PhotoList->setState(row, TPhotoListModel::NotDownloaded);
    }
}

// Whether the preview shows the not-downloaded notice and no photo.
bool showsNotice(World &w) {
    return w.window->Frm_ViewPhoto->Label1->isVisibleTo(w.window->Frm_ViewPhoto) &&
           w.window->Frm_ViewPhoto->PhotoImage.isNull() && !w.window->Img_Photo.HasPicture();
}

// What the user sees of the company and its photos, and every file of the program folder but the log.
QStringList screenAndFiles(World &w) {
    TPhotoListModel *list = w.window->PhotoList;
    QStringList state{w.find<QLineEdit>("Ed_CompanyName")->text(), w.find<QLabel>("Lb_Msg")->text(),
                      DM_Main->CompanyId, QString::number(list->selectedRow())};
    for (int row = 0; row < list->rowCount(); ++row) {
        for (int column = 0; column <= TPhotoListModel::StateColumn; ++column) {
            state << list->subItem(row, column);
        }
        state << QString::number(list->imageIndex(row));
    }
    QDirIterator files(w.app.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        if (!file.filePath().contains(QStringLiteral("LogFiles"))) {
            state << file.fileName() + u' ' + QString::number(file.size());
        }
    }
    return state;
}

QString jpegFile(World &w, const QString &name) {
    QImage image(900, 700, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    const QString path = w.data.filePath(name);
    image.save(path, "JPEG", 92);
    return path;
}

// Runs the photo editor that the next command opens: fills it and saves.
void driveEditor(const QString &path, const QString &note) {
    WhenModal<TFrm_AddPhoto>([path, note](TFrm_AddPhoto *editor) {
        if (!path.isEmpty()) {
            editor->findChild<QLineEdit *>(QStringLiteral("Ed_PhotoPath"))->setText(path);
        }
        auto *types = editor->findChild<QComboBox *>(QStringLiteral("Cb_PhotoType"));
        if (types->currentIndex() < 0) {
            types->setCurrentIndex(0);
        }
        editor->findChild<QLineEdit *>(QStringLiteral("Ed_PhotoNote"))->setText(note);
        editor->findChild<QPushButton *>(QStringLiteral("Btn_Save"))->click();
    });
}

} // namespace

class TstUploadMain : public QObject {
    Q_OBJECT

    std::unique_ptr<World> w;

private slots:
    void init() {
        w = std::make_unique<World>();
        QVERIFY(start(*w));
    }
    void cleanup() {
        if (w && w->window) {
            TScriptedMessageBoxes boxes; // answers the exit question with Yes
            w->window->close();
        }
        w.reset();
    }

    void afterLoginOnlyRefreshAndCloseWork() {
        QVERIFY(w->find<QWidget>("Pnl_Query")->isVisible());
        QCOMPARE(buttonState(*w), QStringLiteral("00000000"));
        QVERIFY(w->find<QPushButton>("Btn_RefPhoto")->isEnabled() &&
                w->find<QPushButton>("Btn_Close")->isEnabled());
        // Refreshing before any query sends the empty identity, which the server refuses.
        TScriptedMessageBoxes boxes;
        w->find<QPushButton>("Btn_RefPhoto")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("获取企业照片列表失败")});
        QCOMPARE(DM_Main->OperationKind, TOperationKind::Photo);
    }

    void queryValidation_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << QStringLiteral("企业编号不能为空");
        QTest::newRow("13 spaces") << QString(13, u' ') << QStringLiteral("企业编号不能为空");
        QTest::newRow("12 characters")
            << QStringLiteral("310115001234") << QStringLiteral("企业编号必须为13位");
        QTest::newRow("leading space and 12")
            << QStringLiteral(" 310115001234") << QStringLiteral("企业信息不存在,请重新输入查询");
        QTest::newRow("unknown company")
            << QString::fromUtf8(kUnknownCompany) << QStringLiteral("企业信息不存在,请重新输入查询");
        QTest::newRow("deactivated company")
            << QString::fromUtf8(kDemoCompanyDisabled) << QStringLiteral("查询企业信息失败");
    }
    // The reason under the message, as uploadpic-cli gives it too (tst_endtoend).
    void queryFailureReasons_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        for (const OperationCase &c : QueryFailureCases()) {
            QTest::newRow(c.name) << c.companyId << c.message
                                  << (c.reason == c.message ? QString() : c.reason);
        }
    }
    void queryFailureReasons() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        TScriptedMessageBoxes boxes;
        query(*w, typed);
        QCOMPARE(boxes.Texts(), QStringList{message});
        QCOMPARE(boxes.Shown.first().Detail, reason);
    }

    void queryValidation() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TScriptedMessageBoxes boxes;
        query(*w, typed);
        QCOMPARE(boxes.Texts(), QStringList{message});
        QCOMPARE(boxes.Shown.first().Icon, TMsgIcon::Warning);
        QCOMPARE(DM_Main->OperationKind, TOperationKind::CompanyQuery);
        if (typed.trimmed().size() == 12 && typed.size() == 13) {
            QCOMPARE(DM_Main->CompanyId, typed.trimmed()); // sent without the space
        }
        QCOMPARE(w->window->PhotoList->rowCount(), 0);
        // Typing is held to 13 characters.
        w->find<QLineEdit>("Ed_CompanyId")->clear();
        QTest::keyClicks(w->find<QLineEdit>("Ed_CompanyId"), QStringLiteral("12345678901234"));
        QCOMPARE(w->find<QLineEdit>("Ed_CompanyId")->text().size(), 13);
    }

    void companyWithPhotosIsListedAndShown() {
        TScriptedMessageBoxes boxes;
        // Enter in the company box runs the query like the button.
        w->find<QLineEdit>("Ed_CompanyId")->setText(QString::fromUtf8(kDemoCompanyWithPhotos));
        QTest::keyClick(w->find<QLineEdit>("Ed_CompanyId"), Qt::Key_Return);
        QVERIFY(boxes.Texts().isEmpty());
        TPhotoListModel *list = w->window->PhotoList;
        QCOMPARE(list->rowCount(), kDemoPhotoCount);
        QCOMPARE(list->selectedRow(), 0);
        QCOMPARE(w->find<QLineEdit>("Ed_CompanyName")->text(), QString::fromUtf8(kDemoCompanyWithPhotosName));
        QCOMPARE(w->find<QLineEdit>("Ed_CustomerId")->text(),
                 QString::fromUtf8(kDemoCompanyWithPhotosCustomerId));
        // The list answer carried the small versions: every row is in state 1 with its file cached.
        for (int row = 0; row < list->rowCount(); ++row) {
            QCOMPARE(list->subItem(row, TPhotoListModel::StateColumn), QStringLiteral("1"));
            QCOMPARE(list->imageIndex(row), 1);
            QVERIFY(
                QFileInfo::exists(w->cache(list->subItem(row, TPhotoListModel::PhotoIdColumn), "_0.jpg")));
        }
        QCOMPARE(w->find<QLabel>("Lb_Msg")->text(),
                 QStringLiteral(" 当前:") + list->subItem(0, TPhotoListModel::NoteColumn));
        QVERIFY(w->find<QLabel>("Lb_Size")->text().startsWith(QStringLiteral("照片大小:")));
        QVERIFY(w->window->Frm_ViewPhoto->isVisible());
        QVERIFY(!w->window->Frm_ViewPhoto->PhotoImage.isNull());
        QVERIFY(QFileInfo::exists(w->app.file(QStringLiteral("TempGID.jpg"))));
        QCOMPARE(buttonState(*w), QStringLiteral("11111111"));
    }

    void companyWithoutPhotos() {
        TScriptedMessageBoxes boxes;
        query(*w, QString::fromUtf8(kDemoCompanyEmpty));
        QVERIFY(boxes.Texts().isEmpty());
        QCOMPARE(w->window->PhotoList->rowCount(), 0);
        QCOMPARE(w->find<QLabel>("Lb_Msg")->text(), QStringLiteral("当前照片: 无"));
        QCOMPARE(w->find<QLabel>("Lb_Size")->text(), QStringLiteral("照片大小: 0 KB"));
        QCOMPARE(buttonState(*w), QStringLiteral("10000000"));
        // Right-clicking with no row offers only refresh and add.
        QCOMPARE(menuState(*w), QStringLiteral("001100"));
    }

    void contextMenuAndDoubleClickFollowTheRowState() {
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        QCOMPARE(menuState(*w), QStringLiteral("011111")); // state 1: source only
        list->setSubItem(0, TPhotoListModel::StateColumn, QStringLiteral("0"));
        QCOMPARE(menuState(*w), QStringLiteral("111111"));
        list->setSubItem(0, TPhotoListModel::StateColumn, QStringLiteral("1"));

        // A double click on a row in state 1 downloads and shows the source version.
        auto *view = w->find<QTableView>("Lv_List");
        TScriptedMessageBoxes boxes;
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, rowRect(*w, 0).center());
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, rowRect(*w, 0).center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rowRect(*w, 0).center());
        QTRY_COMPARE(list->subItem(0, TPhotoListModel::StateColumn), QStringLiteral("2"));
        QCOMPARE(list->imageIndex(0), 2);
        const QString id = list->subItem(0, TPhotoListModel::PhotoIdColumn);
        QVERIFY(QFileInfo::exists(w->cache(id, "_1.jpg")));
        QCOMPARE(w->window->CurrentPhotoFile, w->cache(id, "_1.jpg"));
        QCOMPARE(menuState(*w), QStringLiteral("001111")); // state 2: nothing to download
        // A double click on a row in state 2 does nothing.
        const QString before = w->find<QLabel>("Lb_Size")->text();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rowRect(*w, 0).center());
        QCOMPARE(list->subItem(0, TPhotoListModel::StateColumn), QStringLiteral("2"));
        QCOMPARE(w->find<QLabel>("Lb_Size")->text(), before);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void previewButtonsAndWheelDriveTheViewer() {
        query(*w);
        TFrm_ViewPhoto *viewer = w->window->Frm_ViewPhoto;
        const QSize upright = viewer->PhotoImage.size();
        w->find<QPushButton>("Btn_Right")->click();
        QCOMPARE(viewer->PhotoImage.size(), upright.transposed());
        w->find<QPushButton>("Btn_ZoomSource")->click();
        QCOMPARE(viewer->PhotoImage.size(), upright);
        // Three notches away from the user over the preview: scale 1.3. The wheel reaches the window
        // from whichever child the pointer is over; only over the preview does it go on to the viewer.
        const auto wheel = [&](QWidget *over, int delta) {
            const QPoint global = over->mapToGlobal(over->rect().center());
            QWheelEvent event(w->window->mapFromGlobal(global), global, QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w->window.get(), &event);
        };
        wheel(viewer, 360);
        QVERIFY(qAbs(viewer->ViewState().ViewScale - 1.3f) < 1e-5f);
        wheel(w->find<QTableView>("Lv_List"), 120);
        QVERIFY(qAbs(viewer->ViewState().ViewScale - 1.3f) < 1e-5f);
        wheel(viewer, -120);
        QVERIFY(qAbs(viewer->ViewState().ViewScale - 1.2f) < 1e-5f);
    }

    // A row whose cached small version is gone asks, with the row already highlighted, before
    // downloading again. Answered No it shows the notice, not the last photo, and the row then says the
    // photo is not downloaded, as the cache holds nothing of it; answered Yes the source is fetched.
    void missingCacheFileAsksBeforeDownloadingAgain() {
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        const QString id = list->subItem(2, TPhotoListModel::PhotoIdColumn);
        dropSmall(*w, 1, false);
        dropSmall(*w, 2, false);
        const QStringList question{QStringLiteral("已下载的照片被删除或不存在,是否重新下载?")};
        {
            TScriptedMessageBoxes boxes;
            boxes.QueueAnswer(QMessageBox::No);
            int highlighted = -1;
            boxes.OnShow = [&](const TMsgRequest &) {
                highlighted = w->find<QTableView>("Lv_List")->selectionModel()->selectedRows().value(0).row();
            };
            clickRow(*w, 1);
            QCOMPARE(boxes.Texts(), question);
            QCOMPARE(highlighted, 1);
            QCOMPARE(list->subItem(1, TPhotoListModel::StateColumn), QStringLiteral("0"));
            QCOMPARE(list->imageIndex(1), int(TPhotoListModel::NotDownloaded));
            QVERIFY(w->window->CurrentPhotoFile.isEmpty());
            QVERIFY(showsNotice(*w));
            QCOMPARE(buttonState(*w), QStringLiteral("11100000"));
        }
        TScriptedMessageBoxes boxes; // Yes
        clickRow(*w, 2);
        QCOMPARE(boxes.Texts(), question);
        QCOMPARE(list->subItem(2, TPhotoListModel::StateColumn), QStringLiteral("2"));
        QCOMPARE(w->window->CurrentPhotoFile, w->cache(id, "_1.jpg"));
    }

    void addThenEditThenDelete() {
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        TScriptedMessageBoxes boxes;
        driveEditor(jpegFile(*w, QStringLiteral("new.jpg")), QStringLiteral("新门头"));
        w->find<QPushButton>("Btn_Add")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
        QCOMPARE(list->rowCount(), kDemoPhotoCount + 1);
        const int added = list->rowCount() - 1;
        QCOMPARE(list->selectedRow(), added);
        const QString id = list->subItem(added, TPhotoListModel::PhotoIdColumn);
        QVERIFY(id.endsWith(QString::fromUtf8(kDemoFreeTypeCode)));
        QCOMPARE(list->subItem(added, TPhotoListModel::StateColumn), QStringLiteral("2"));
        QCOMPARE(list->imageIndex(added), 2);
        QVERIFY(QFileInfo::exists(w->cache(id, "_0.jpg")) && QFileInfo::exists(w->cache(id, "_1.jpg")));
        QCOMPARE(w->find<QLabel>("Lb_Msg")->text(), QStringLiteral(" 当前:新门头"));
        QCOMPARE(buttonState(*w), QStringLiteral("11111111"));

        boxes.Shown.clear();
        driveEditor(QString(), QStringLiteral("门头已更换"));
        w->find<QPushButton>("Btn_Edit")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
        QCOMPARE(list->subItem(added, TPhotoListModel::NoteColumn), QStringLiteral("门头已更换"));
        QCOMPARE(list->subItem(added, TPhotoListModel::PhotoIdColumn), id);

        // Delete answered No sends nothing; answered Yes it deletes.
        boxes.Shown.clear();
        boxes.QueueAnswer(QMessageBox::No);
        w->find<QPushButton>("Btn_Delete")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("您确定要删除照片吗?")});
        QCOMPARE(list->rowCount(), kDemoPhotoCount + 1);
        boxes.Shown.clear();
        w->find<QPushButton>("Btn_Delete")->click();
        QCOMPARE(boxes.Texts(),
                 (QStringList{QStringLiteral("您确定要删除照片吗?"), QStringLiteral("删除照片成功")}));
        QCOMPARE(list->rowCount(), kDemoPhotoCount);
        QCOMPARE(list->findRow(id), -1);
        QCOMPARE(list->selectedRow(), 0);
        // The deleted photo's files stay in the cache until exit.
        QVERIFY(QFileInfo::exists(w->cache(id, "_1.jpg")));
        // The server agrees.
        w->find<QPushButton>("Btn_RefPhoto")->click();
        QCOMPARE(list->rowCount(), kDemoPhotoCount);
    }

    // The link drops as the photo is sent: the editor offers to keep it, the status bar counts it, and
    // the next query of its company offers to send it, with a line for it.
    void unsentPhotoIsKeptAndSentAfterTheNextQuery() {
        LinkCutter link(w->service->port(), LinkCutter::Cut::Request);
        DM_Main->ServerPort = QString::number(link.port());
        const QString company = QString::fromUtf8(kDemoCompanyEmpty);
        query(*w, company);
        auto *outbox = w->find<QPushButton>("Btn_Outbox");
        QCOMPARE(outbox->text(), QStringLiteral("待发送: 0"));
        QVERIFY(!outbox->isEnabled());
        {
            TScriptedMessageBoxes boxes; // Yes: keep it
            driveEditor(jpegFile(*w, QStringLiteral("door.jpg")), QStringLiteral("门头"));
            w->find<QPushButton>("Btn_Add")->click();
            QCOMPARE(boxes.Shown.size(), 2);
            QVERIFY2(boxes.Shown[0].Text.contains(QStringLiteral("是否保留到待发送箱")),
                     qPrintable(boxes.Texts()[0]));
        }
        QCOMPARE(w->window->PhotoList->rowCount(), 0);
        QCOMPARE(outbox->text(), QStringLiteral("待发送: 1"));
        QVERIFY(outbox->isEnabled());

        link.cut = LinkCutter::Cut::Nothing;
        TScriptedMessageBoxes boxes; // Yes: send it now
        query(*w, company);
        QCOMPARE(boxes.Shown.size(), 2);
        QCOMPARE(boxes.Shown[0].Text, QStringLiteral("该企业有1项待发送的照片,现在发送吗?"));
        QVERIFY2(boxes.Shown[1].Text.contains(QStringLiteral(": 已发送 W")), qPrintable(boxes.Texts()[1]));
        QCOMPARE(w->window->PhotoList->rowCount(), 1);
        QCOMPARE(outbox->text(), QStringLiteral("待发送: 0"));
    }

    void photoLimitIsCheckedWhenTheCommandIsGiven() {
        query(*w);
        QVERIFY(w->find<QPushButton>("Btn_Add")->isEnabled());
        DM_Main->MaxPhotoNumber = w->window->PhotoList->rowCount();
        TScriptedMessageBoxes boxes;
        w->find<QPushButton>("Btn_Add")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("您最多能添加【%1】张照片").arg(kDemoPhotoCount)});
        QCOMPARE(boxes.Shown.first().Icon, TMsgIcon::Information);
        QCOMPARE(menuState(*w).mid(3, 1), QStringLiteral("0"));
        w->window->UpdateButtonStates();
        QVERIFY(!w->find<QPushButton>("Btn_Add")->isEnabled());
    }

    // What the screen shows is always so: a list emptied elsewhere empties list and preview; a failed
    // query leaves nothing of the previous company.
    void companyGoneEmptiesTheScreen_data() {
        QTest::addColumn<bool>("failedQuery");
        QTest::addColumn<QString>("buttons");
        QTest::newRow("empty list answer") << false << QStringLiteral("10000000");
        QTest::newRow("failed query") << true << QStringLiteral("00000000");
    }
    void companyGoneEmptiesTheScreen() {
        QFETCH(bool, failedQuery);
        QFETCH(QString, buttons);
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        TScriptedMessageBoxes boxes;
        if (failedQuery) {
            query(*w, QString::fromUtf8(kUnknownCompany));
            QCOMPARE(w->find<QLineEdit>("Ed_CustomerId")->text(), QString());
            QCOMPARE(w->find<QLineEdit>("Ed_CompanyName")->text(), QString());
        } else {
            for (int row = 0; row < list->rowCount(); ++row) { // deleted elsewhere
                QString code;
                TUploadPicture().Func_DeleteCompanyPhoto(list->subItem(row, TPhotoListModel::PhotoIdColumn),
                                                         code);
                QCOMPARE(code, QStringLiteral("1110"));
            }
            w->find<QPushButton>("Btn_RefPhoto")->click();
        }
        QCOMPARE(list->rowCount(), 0);
        QVERIFY(w->window->Frm_ViewPhoto->PhotoImage.isNull());
        QCOMPARE(buttonState(*w), buttons);
    }

    // A row not downloaded shows the notice on a click and downloads its small version on a double
    // click, then offers every button without a further click; in the rows and in the icon view alike.
    void notDownloadedRowDownloadsOnDoubleClick_data() {
        QTest::addColumn<bool>("icons");
        QTest::newRow("rows") << false;
        QTest::newRow("icons") << true;
    }
    void notDownloadedRowDownloadsOnDoubleClick() {
        QFETCH(bool, icons);
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        dropSmall(*w, 2, true);
        if (icons) {
            w->find<QToolButton>("Btn_IconView")->click();
        }
        QAbstractItemView *view = icons ? static_cast<QAbstractItemView *>(w->find<QListView>("Lv_Icons"))
                                        : w->find<QTableView>("Lv_List");
        QVERIFY(view->isVisible());
        const QPoint third = view->visualRect(view->model()->index(2, 0)).center();
        TScriptedMessageBoxes boxes;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third);
        QCOMPARE(list->selectedRow(), 2);
        QVERIFY(showsNotice(*w));
        QCOMPARE(buttonState(*w), QStringLiteral("11100000"));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, third);
        QTRY_COMPARE(list->state(2), TPhotoListModel::SmallCached);
        QCOMPARE(buttonState(*w), QStringLiteral("11111111"));
        QVERIFY(boxes.Texts().isEmpty());
    }

    // The icon view shows the same rows; each photo shows its small version or, without a readable
    // one, its state icon.
    void iconViewShowsSmallVersionsOrStateIcons() {
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        QFile broken(w->cache(list->subItem(1, TPhotoListModel::PhotoIdColumn), "_0.jpg"));
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate) && broken.write("broken") > 0);
        broken.close();
        dropSmall(*w, 2, true);
        auto *icons = w->find<QListView>("Lv_Icons");
        QSignalSpy changed(icons->model(), &QAbstractItemModel::dataChanged);
        w->find<QToolButton>("Btn_IconView")->click();
        QVERIFY(icons->isVisible() && !w->find<QTableView>("Lv_List")->isVisible());
        const auto thumbnail = [icons](int row) {
            return icons->model()->index(row, 0).data(TPhotoListColumns::ThumbnailRole).value<QImage>();
        };
        QVERIFY(thumbnail(2).isNull());
        thumbnail(1);
        QTRY_VERIFY(!thumbnail(0).isNull());
        QVERIFY(thumbnail(0).width() <= 160 && thumbnail(0).height() <= 120);
        QTRY_VERIFY(std::any_of(changed.cbegin(), changed.cend(), [](const QList<QVariant> &args) {
            return args.at(0).toModelIndex().row() == 1;
        }));
        QVERIFY(thumbnail(1).isNull()); // read and found unreadable
        const QPoint third = icons->visualRect(icons->model()->index(2, 0)).center();
        QTest::mouseClick(icons->viewport(), Qt::LeftButton, {}, third);
        QTest::mouseDClick(icons->viewport(), Qt::LeftButton, {}, third);
        QTRY_VERIFY(!thumbnail(2).isNull()); // downloaded
    }

    // A small screen: the window can be narrow enough, and nothing the user needs is cut off.
    void fitsA1024By768Screen() {
        query(*w);
        QVERIFY(w->window->minimumSizeHint().width() <= 1000);
        w->window->resize(1024, 738);
        QApplication::processEvents();
        for (const char *name : {"Lb_Size", "Btn_Close", "Btn_ZoomSource", "Ed_CompanyName"}) {
            auto *widget = w->find<QWidget>(name);
            const QRect inWindow(widget->mapTo(w->window.get(), QPoint(0, 0)), widget->size());
            QVERIFY2(w->window->rect().contains(inWindow), name);
        }
    }

    // Switching the look of the list keeps the selected photo, its preview and the commands.
    void iconViewKeepsTheSelection() {
        query(*w);
        clickRow(*w, 0);
        const QString shown = w->find<QLabel>("Lb_Msg")->text();
        for (int round = 0; round < 2; ++round) {
            w->find<QToolButton>("Btn_IconView")->click();
            QCOMPARE(w->window->PhotoList->selectedRow(), 0);
            QCOMPARE(w->find<QLabel>("Lb_Msg")->text(), shown);
        }
    }

    void deleteAsksAboutTheNextRowOnce() {
        query(*w);
        dropSmall(*w, 1, false);
        TScriptedMessageBoxes boxes;
        boxes.QueueAnswer(QMessageBox::Yes);
        boxes.QueueAnswer(QMessageBox::No);
        w->find<QPushButton>("Btn_Delete")->click();
        QCOMPARE(boxes.Texts(), (QStringList{QStringLiteral("您确定要删除照片吗?"),
                                             QStringLiteral("已下载的照片被删除或不存在,是否重新下载?"),
                                             QStringLiteral("删除照片成功")}));
        QCOMPARE(w->window->PhotoList->selectedRow(), 0);
        QVERIFY(showsNotice(*w));
    }

    void highlightAndSelectedRowAgree() {
        query(*w);
        auto *view = w->find<QTableView>("Lv_List");
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, rowRect(*w, 0).center());
        QVERIFY(view->selectionModel()->selectedRows().isEmpty());
        QCOMPARE(w->window->PhotoList->selectedRow(), -1);
        QTRY_VERIFY(!w->find<QPushButton>("Btn_Edit")->isEnabled());
        clickRow(*w, 2);
        QCOMPARE(w->window->PhotoList->selectedRow(), 2);
        // A click below the last row: whatever the view then highlights, the commands act on that.
        const QPoint below(5, rowRect(*w, w->window->PhotoList->rowCount() - 1).bottom() + 20);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below);
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        QCOMPARE(w->window->PhotoList->selectedRow(), rows.size() == 1 ? rows.first().row() : -1);
        QTRY_COMPARE(w->find<QPushButton>("Btn_Edit")->isEnabled(), rows.size() == 1);
    }

    void noteEditKeepsTheDownloadState() {
        query(*w);
        TPhotoListModel *list = w->window->PhotoList;
        dropSmall(*w, 0, true);
        clickRow(*w, 1);
        clickRow(*w, 0);
        TScriptedMessageBoxes boxes;
        driveEditor(QString(), QStringLiteral("新的描述"));
        w->find<QPushButton>("Btn_Edit")->click();
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")}); // no download question
        QCOMPARE(list->state(0), TPhotoListModel::NotDownloaded);
        QCOMPARE(list->imageIndex(0), 0);
    }

    void keyboardShortcutsPressTheirButtons_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("button");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("F5") << int(Qt::Key_F5) << 0 << "Btn_RefPhoto";
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << "Btn_Add";
        QTest::newRow("Ctrl+E") << int(Qt::Key_E) << ctrl << "Btn_Edit";
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << "Btn_Delete";
        QTest::newRow("Ctrl++") << int(Qt::Key_Plus) << ctrl << "Btn_ZoomOut";
        QTest::newRow("Ctrl+-") << int(Qt::Key_Minus) << ctrl << "Btn_ZoomIn";
        QTest::newRow("Ctrl+0") << int(Qt::Key_0) << ctrl << "Btn_ZoomSource";
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << ctrl << "Btn_Right";
        QTest::newRow("Ctrl+L") << int(Qt::Key_L) << ctrl << "Btn_Left";
    }
    void keyboardShortcutsPressTheirButtons() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, button);
        query(*w);
        auto *target = w->window->findChild<QPushButton *>(button);
        QSignalSpy clicks(target, &QPushButton::clicked);
        TScriptedMessageBoxes boxes;
        boxes.QueueAnswer(QMessageBox::No); // Delete asks first
        if (button == u"Btn_Add" || button == u"Btn_Edit") {
            WhenModal<TFrm_AddPhoto>([](TFrm_AddPhoto *editor) { editor->reject(); });
        }
        w->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->window.get()));
        auto *list = w->find<QTableView>("Lv_List");
        list->setFocus();
        QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(clicks.count(), 1);
        QVERIFY(target->toolTip().endsWith(u')'));
    }

    void exitAnsweredNoKeepsEverythingYesCleansUp() {
        query(*w);
        const QStringList cached =
            QDir(w->app.file(QStringLiteral("Photo"))).entryList({QStringLiteral("*.jpg")});
        QCOMPARE(cached.size(), kDemoPhotoCount);
        {
            TScriptedMessageBoxes boxes;
            boxes.QueueAnswer(QMessageBox::No);
            QVERIFY(!w->window->close());
            QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("确定要退出企业照片采集程序吗?")});
            QVERIFY(w->window->isVisible());
            QCOMPARE(QDir(w->app.file(QStringLiteral("Photo"))).entryList({QStringLiteral("*.jpg")}), cached);
        }
        const pid_t killed = ::fork(); // a writer that ended before it named its file
        if (killed == 0) {
            ::_exit(0);
        }
        QVERIFY(killed > 0 && ::waitpid(killed, nullptr, 0) == killed);
        QFile stale(w->app.file(QStringLiteral("Photo/.wholefile-%1-a1B2c3").arg(killed)));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        TScriptedMessageBoxes boxes;
        QVERIFY(w->window->close());
        QVERIFY(QDir(w->app.file(QStringLiteral("Photo"))).entryList(QDir::Files | QDir::Hidden).isEmpty());
        for (const char *name : {"TempGID.jpg", "ZoomPhoto.jpg", "TempZip.jpg"}) {
            QVERIFY(!QFileInfo::exists(w->app.file(QLatin1String(name))));
        }
        QVERIFY(w->app.logTexts().contains(QStringLiteral("用户退出系统")));
        w->window.reset();
    }

    // A call to a server that does not answer, cancelled from the runner: the list, the preview, the
    // company and the program folder stay as they were.
    void cancelLeavesTheScreenAsItWas_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("notice");
        QTest::newRow("photo list") << QStringLiteral("Btn_RefPhoto")
                                    << QStringLiteral("已取消获取企业照片列表");
        QTest::newRow("source version")
            << QStringLiteral("N_Source") << QStringLiteral("已取消获取企业照片信息");
        QTest::newRow("company query")
            << QStringLiteral("Btn_QueryInfo") << QStringLiteral("已取消查询企业信息");
    }
    void cancelLeavesTheScreenAsItWas() {
        QFETCH(QString, command);
        QFETCH(QString, notice);
        query(*w);
        const QStringList before = screenAndFiles(*w);
        const QImage shown = w->window->Frm_ViewPhoto->PhotoImage;
        QVERIFY(!shown.isNull());
        FakeHttpServer silent;
        silent.staySilent();
        DM_Main->ServerPort = QString::number(QUrl(silent.url()).port());

        TScriptedMessageBoxes boxes;
        ClickWhenOffered(QStringLiteral("Btn_Cancel"));
        if (command == u"N_Source") {
            w->window->PM_List->findChild<QAction *>(command)->trigger();
        } else {
            w->find<QLineEdit>("Ed_CompanyId")->setText(QString::fromUtf8(kUnknownCompany));
            w->find<QPushButton>(qPrintable(command))->click();
        }
        QCOMPARE(boxes.Texts(), QStringList{notice});
        QCOMPARE(screenAndFiles(*w), before);
        QCOMPARE(w->window->Frm_ViewPhoto->PhotoImage, shown);
        QCOMPARE(w->app.logTexts().filter(QStringLiteral("已被用户取消")).size(), 1);
    }
};

QTEST_MAIN(TstUploadMain)
#include "tst_uploadmain.moc"
