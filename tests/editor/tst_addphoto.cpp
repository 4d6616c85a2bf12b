// The photo editor against the reference photo service: what it offers, what it refuses, what a save
// sends and files in the cache.

#include "tst_addphoto.h"

#include "AddPhoto.h"
#include "ConfigWriter.h"
#include "DataNetCommunication.h"
#include "MessageBox.h"
#include "OpenFileDialog.h"
#include "client/MainDataModule.h"
#include "client/OffThread.h"
#include "client/PhotoListModel.h"
#include "client/UploadPictureLib.h"
#include "imaging/ImgOper.h"
#include "support/DemoSeed.h"
#include "support/PhotoServiceProcess.h"
#include "support/SlowRelay.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

struct Fixture {
    TempAppDir app;
    QTemporaryDir data;
    std::unique_ptr<PhotoServiceProcess> service;
    std::unique_ptr<TDM_Main> dm;
    TPhotoListModel list;
};
std::unique_ptr<Fixture> fx;

// Queries the demo company and fetches its list, as the main window does after a query.
void loadCompany() {
    DM_Main->OperationKind = TOperationKind::CompanyQuery;
    DM_Main->CompanyId = QString::fromUtf8(kDemoCompanyWithPhotos);
    QString code;
    TUploadPicture().Func_QueryCompanyInfo(code);
    QCOMPARE(code, QStringLiteral("1110"));
    TUploadPicture().Func_GetCompanyPhotoList(code);
    QCOMPARE(code, QStringLiteral("1110"));
    DM_Main->OperationKind = TOperationKind::Photo;
}

// noise: random pixels, which compress badly (a large file).
QString makeJpeg(const QString &name, QSize size, bool noise = false) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            line[x] = noise ? QRandomGenerator::global()->generate()
                            : qRgb((x * 255) / size.width(), (y * 255) / size.height(), (x ^ y) & 0xFF);
        }
    }
    const QString path = fx->data.filePath(name);
    image.save(path, "JPEG", 95);
    return path;
}

template <typename T> T *child(QWidget *dialog, const char *name) {
    return dialog->findChild<T *>(QLatin1String(name));
}

} // namespace

void TstAddPhoto::initTestCase() {
    fx = std::make_unique<Fixture>();
    fx->service = std::make_unique<PhotoServiceProcess>(fx->data.filePath(QStringLiteral("photos.db")));
    QVERIFY(fx->service->started());
    QString error;
    QVERIFY(cli::WriteConfigFile(fx->app.path(), QStringLiteral("127.0.0.1"),
                                 QString::number(fx->service->port()), error));
    fx->dm = std::make_unique<TDM_Main>();
    DM_Main->PhotoListView = &fx->list;
    DM_Main->UserName = QString::fromUtf8(kDemoUser); // the service answers company operations after a login
    DM_Main->UserPass = QString::fromUtf8(kDemoPassword);
    QCOMPARE(TUploadPicture().Func_ValidateUserLogin(), WM_LOGIN_SUCCESS);
    loadCompany();
    QCOMPARE(fx->list.rowCount(), kDemoPhotoCount);
}

void TstAddPhoto::cleanupTestCase() {
    fx.reset();
}

void TstAddPhoto::addModeOffersOnlyUnusedTypes() {
    TFrm_AddPhoto dialog;
    dialog.show();
    auto *types = child<QComboBox>(&dialog, "Cb_PhotoType");
    QCOMPARE(types->count(), kDemoTypeCount - kDemoPhotoCount);
    QVERIFY(types->itemText(0).startsWith(QString::fromUtf8(kDemoFreeTypeCode) + u' '));
    QCOMPARE(types->currentIndex(), -1);
    QVERIFY(types->isEnabled());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("添加照片信息"));
}

void TstAddPhoto::inputChecksStopAtTheFirstProblem() {
    TFrm_AddPhoto dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *path = child<QLineEdit>(&dialog, "Ed_PhotoPath");
    auto *types = child<QComboBox>(&dialog, "Cb_PhotoType");
    auto *note = child<QLineEdit>(&dialog, "Ed_PhotoNote");
    auto *save = child<QPushButton>(&dialog, "Btn_Save");
    struct Step {
        std::function<void()> change;
        QString message;
        QWidget *focus;
    };
    const QString photo = makeJpeg(QStringLiteral("check.jpg"), QSize(320, 240));
    const QString notPhoto = fx->data.filePath(QStringLiteral("text-with-jpeg-extension.jpg"));
    QFile text(notPhoto);
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("a note, not a photo\n") > 0);
    text.close();
    const std::vector<Step> steps{
        {[] {}, QStringLiteral("请选择【照片路径】"), child<QPushButton>(&dialog, "Btn_Load")},
        {[&] { path->setText(fx->data.filePath(QStringLiteral("gone.jpg"))); },
         QStringLiteral("您选择的【照片路径】不存在文件,请重新选择"),
         child<QPushButton>(&dialog, "Btn_Load")},
        {[&] { path->setText(notPhoto); },
         QStringLiteral(
             "您选择的【照片路径】不是可读取的照片(可用 JPEG、HEIC/HEIF、PNG、WebP、TIFF 或 BMP),请重新选择"),
         child<QPushButton>(&dialog, "Btn_Load")},
        {[&] { path->setText(photo); }, QStringLiteral("您选择的【照片类型】不正确,请重新选择"), types},
        {[&] { types->setCurrentIndex(0); }, QStringLiteral("请填写【照片描述】"), note},
        {[&] { note->setText(QStringLiteral("   ")); }, QStringLiteral("请填写【照片描述】"), note},
        {[&] { note->setText(QStringLiteral("门头 \U0001F600")); },
         QStringLiteral("【照片描述】中含有无法保存的字符,请修改"), note},
    };
    for (const Step &step : steps) {
        step.change();
        TScriptedMessageBoxes boxes;
        save->setFocus();
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(boxes.Texts(), QStringList{step.message});
        QCOMPARE(boxes.Shown.first().Icon, TMsgIcon::Warning);
        QVERIFY(boxes.Shown.first().Topmost);
        QTRY_COMPARE(QApplication::focusWidget(), step.focus);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.Saved);
    }
    // Nothing reached the server.
    QString code;
    TUploadPicture().Func_GetCompanyPhotoList(code);
    QCOMPARE(fx->list.rowCount(), kDemoPhotoCount);
}

// An add over a slow link: the bytes shown stay within a socket buffer or two of what the server has
// read, and 取消 pressed during the send stops it with nothing saved and the editor as it was.
void TstAddPhoto::addCancelledWhileSending() {
    constexpr qint64 kMegabyte = 1024 * 1024;
    constexpr qint64 kLeadBound = 512 * 1024;
    SlowRelay relay(fx->service->port(), 2 * 1024); // 100 KB/s
    const QString servicePort = DM_Main->ServerPort;
    DM_Main->ServerPort = QString::number(relay.port());
    const auto direct = qScopeGuard([&] { DM_Main->ServerPort = servicePort; });
    TFrm_AddPhoto dialog;
    dialog.show();
    child<QLineEdit>(&dialog, "Ed_PhotoPath")
        ->setText(makeJpeg(QStringLiteral("big.jpg"), QSize(1200, 900), true));
    child<QComboBox>(&dialog, "Cb_PhotoType")->setCurrentIndex(0);
    child<QLineEdit>(&dialog, "Ed_PhotoNote")->setText(QStringLiteral("发不完的照片"));
    qint64 worstLead = 0;
    QString cancelledAt;
    QTimer look;
    look.setInterval(10);
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto *runner = dialog.findChild<TFrm_DataNetCommunication *>();
        if (runner == nullptr) {
            return;
        }
        const QString shown = child<QLabel>(runner, "Lb_Bytes")->text();
        const auto sent = QRegularExpression(QStringLiteral("^已发送 ([0-9.]+) MB")).match(shown);
        if (!sent.hasMatch()) {
            return;
        }
        worstLead = qMax(worstLead, qint64(sent.captured(1).toDouble() * kMegabyte) - relay.read());
        auto *cancel = child<QPushButton>(runner, "Btn_Cancel");
        if (cancelledAt.isEmpty() && cancel->isVisible() && cancel->isEnabled()) {
            cancelledAt = shown;
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    look.start();
    TScriptedMessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&dialog, "Btn_Save"), Qt::LeftButton);
    look.stop();
    QVERIFY2(!cancelledAt.isEmpty(), "取消 was never offered during the send");
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("已取消提交新增的照片")});
    QVERIFY2(worstLead <= kLeadBound, qPrintable(QStringLiteral("the bytes shown ran %1 bytes ahead of "
                                                                "what the server had read")
                                                     .arg(worstLead)));
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Saved);
    QCOMPARE(child<QLineEdit>(&dialog, "Ed_PhotoNote")->text(), QStringLiteral("发不完的照片"));
    DM_Main->ServerPort = servicePort; // the list straight from the service
    QString code;
    TUploadPicture().Func_GetCompanyPhotoList(code);
    QCOMPARE(code, QStringLiteral("1110"));
    QCOMPARE(fx->list.rowCount(), kDemoPhotoCount);
    qInfo("cancelled at %s; the shown bytes ran at most %lld bytes ahead", qPrintable(cancelledAt),
          worstLead);
}

void TstAddPhoto::addSavesAndFilesBothVersions() {
    TFrm_AddPhoto dialog;
    dialog.show();
    child<QLineEdit>(&dialog, "Ed_PhotoPath")
        ->setText(makeJpeg(QStringLiteral("new.jpg"), QSize(1600, 1200)));
    child<QComboBox>(&dialog, "Cb_PhotoType")->setCurrentIndex(0);
    child<QLineEdit>(&dialog, "Ed_PhotoNote")->setText(QStringLiteral("  新门头照片  "));
    TScriptedMessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&dialog, "Btn_Save"), Qt::LeftButton);
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
    QVERIFY(dialog.Saved);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.PhotoNote, QStringLiteral("新门头照片"));
    QCOMPARE(dialog.PhotoType, QString::fromUtf8(kDemoFreeTypeCode));
    const QString id = u'W' + QString::fromUtf8(kDemoCompanyWithPhotosCustomerId) +
                       QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                       QString::fromUtf8(kDemoFreeTypeCode);
    QCOMPARE(dialog.PhotoId, id);
    // Both versions are in the cache: the source as chosen (small file), the small one within the limits.
    const QString cache = fx->app.file(QStringLiteral("Photo/"));
    QCOMPARE(QImageReader(cache + id + QStringLiteral("_1.jpg")).size(), QSize(1600, 1200));
    const QSize small = QImageReader(cache + id + QStringLiteral("_0.jpg")).size();
    QVERIFY(small.width() <= kDemoZoomWidth && small.height() <= kDemoZoomHeight && small.width() > 0);
    // The server lists it with its note and type.
    QString code;
    TUploadPicture().Func_GetCompanyPhotoList(code);
    const int row = fx->list.findRow(id);
    QVERIFY(row >= 0);
    QCOMPARE(fx->list.subItem(row, TPhotoListModel::NoteColumn), QStringLiteral("新门头照片"));
    QCOMPARE(fx->list.subItem(row, TPhotoListModel::TypeCodeColumn), QString::fromUtf8(kDemoFreeTypeCode));
}

void TstAddPhoto::editWithoutImageKeepsTheCache() {
    const QString id = u'W' + QString::fromUtf8(kDemoCompanyWithPhotosCustomerId) +
                       QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                       QString::fromUtf8(kDemoFreeTypeCode);
    const QString source = fx->app.file(QStringLiteral("Photo/")) + id + QStringLiteral("_1.jpg");
    const QByteArray before = TImgOper::ImgPathToByte(source);
    TFrm_AddPhoto dialog;
    dialog.OperMode = TFrm_AddPhoto::ModeEdit;
    dialog.PhotoId = id;
    dialog.PhotoType = QString::fromUtf8(kDemoFreeTypeCode);
    dialog.PhotoNote = QStringLiteral("新门头照片");
    dialog.setWindowTitle(QStringLiteral("照片信息修改"));
    dialog.show();
    auto *types = child<QComboBox>(&dialog, "Cb_PhotoType");
    QVERIFY(!types->isEnabled());
    QCOMPARE(types->currentIndex(), 0);
    QVERIFY(types->currentText().startsWith(QString::fromUtf8(kDemoFreeTypeCode) + u' '));
    QCOMPARE(child<QLineEdit>(&dialog, "Ed_PhotoNote")->text(), QStringLiteral("新门头照片"));
    child<QLineEdit>(&dialog, "Ed_PhotoNote")->setText(QStringLiteral("门头换了新招牌"));
    TScriptedMessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&dialog, "Btn_Save"), Qt::LeftButton);
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
    QCOMPARE(dialog.PhotoId, id);
    QCOMPARE(TImgOper::ImgPathToByte(source), before);
    QString code;
    TUploadPicture().Func_GetCompanyPhotoList(code);
    QCOMPARE(fx->list.subItem(fx->list.findRow(id), TPhotoListModel::NoteColumn),
             QStringLiteral("门头换了新招牌"));
}

// A chosen file is prepared at once: its sizes show before saving, and saving sends those bytes as
// they were prepared (the file may be gone by then).
void TstAddPhoto::chosenPhotoShowsItsSizesAndIsSentAsPrepared() {
    const QString id = u'W' + QString::fromUtf8(kDemoCompanyWithPhotosCustomerId) +
                       QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) +
                       QString::fromUtf8(kDemoFreeTypeCode);
    TFrm_AddPhoto dialog;
    dialog.OperMode = TFrm_AddPhoto::ModeEdit;
    dialog.PhotoId = id;
    dialog.PhotoType = QString::fromUtf8(kDemoFreeTypeCode);
    dialog.PhotoNote = QStringLiteral("门头换了新招牌");
    dialog.show();
    auto *sizes = child<QLabel>(&dialog, "Lb_Sizes");
    QCOMPARE(sizes->text(), QStringLiteral("选择照片后显示"));
    const QString chosen = makeJpeg(QStringLiteral("chosen.jpg"), QSize(1200, 1200));
    TOpenFileDialog::SetChooser(
        [&chosen](const QString &, const QStringList &) { return QStringList{chosen}; });
    QTest::mouseClick(child<QPushButton>(&dialog, "Btn_Load"), Qt::LeftButton);
    TOpenFileDialog::SetChooser({});
    const QString shown = sizes->text();
    QVERIFY(QFile::remove(chosen));
    TScriptedMessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&dialog, "Btn_Save"), Qt::LeftButton);
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片成功")});
    QVERIFY(dialog.ImageSaved);
    // What showed before saving is what the cache holds now: the bytes sent.
    const QString cache = fx->app.file(QStringLiteral("Photo/")) + id;
    const auto facts = [](const QString &what, const QString &file) {
        const QSize size = QImageReader(file).size();
        return QStringLiteral("%1 %2 × %3 像素,%4 KB")
            .arg(what)
            .arg(size.width())
            .arg(size.height())
            .arg(double(QFileInfo(file).size()) / 1024.0, 0, 'f', 1);
    };
    QCOMPARE(shown, facts(QStringLiteral("照片"), cache + QStringLiteral("_1.jpg")) + u'\n' +
                        facts(QStringLiteral("小图"), cache + QStringLiteral("_0.jpg")) +
                        QStringLiteral("(按 %1 × %2 缩小)").arg(kDemoZoomWidth).arg(kDemoZoomHeight));
    QCOMPARE(QImageReader(cache + QStringLiteral("_1.jpg")).size(), QSize(1200, 1200));
}

void TstAddPhoto::refusedSaveKeepsTheDialogOpen() {
    const QString realCustomer = DM_Main->CurrentCompany->CustomerId;
    DM_Main->CurrentCompany->CustomerId = QStringLiteral("nobody");
    TFrm_AddPhoto dialog;
    dialog.OperMode = TFrm_AddPhoto::ModeEdit;
    dialog.PhotoId = fx->list.subItem(0, TPhotoListModel::PhotoIdColumn);
    dialog.PhotoType = fx->list.subItem(0, TPhotoListModel::TypeCodeColumn);
    dialog.PhotoNote = QStringLiteral("改不了");
    dialog.show();
    TScriptedMessageBoxes boxes;
    QTest::mouseClick(child<QPushButton>(&dialog, "Btn_Save"), Qt::LeftButton);
    DM_Main->CurrentCompany->CustomerId = realCustomer;
    QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("保存照片失败")});
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.Saved);
    QCOMPARE(child<QLineEdit>(&dialog, "Ed_PhotoNote")->text(), QStringLiteral("改不了"));
}

// Preparing a photo (seconds for a large HEIC) runs beside the windows: their events go on while it
// works, and what it throws reaches the caller.
void TstAddPhoto::busyWorkRunsBesideTheWindows() {
    std::atomic<bool> ticked{false};
    QTimer::singleShot(0, qApp, [&ticked] { ticked = true; });
    bool offThread = false;
    bool sawTick = false;
    RunOffThread([&] {
        offThread = QThread::currentThread() != qApp->thread();
        const QDeadlineTimer limit(10000);
        while (!ticked && !limit.hasExpired()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        sawTick = ticked;
    });
    QVERIFY(offThread);
    QVERIFY(sawTick);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             RunOffThread([] { throw std::runtime_error("unreadable"); }));
}

QTEST_MAIN(TstAddPhoto)
