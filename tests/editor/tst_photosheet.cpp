// The sheet of several photos against the reference photo service: the types it offers, a send where
// one photo is refused, one fails and is then sent again alone, and failed rows kept in the outbox.

#include "ConfigWriter.h"
#include "MessageBox.h"
#include "PhotoSheet.h"
#include "client/MainDataModule.h"
#include "client/Outbox.h"
#include "client/PhotoListModel.h"
#include "client/PhotoTypeChoice.h"
#include "client/UploadPictureLib.h"
#include "support/DemoSeed.h"
#include "support/PhotoServiceProcess.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTcpServer>
#include <QTest>

#include <algorithm>

namespace {

const QString kKeepQuestion =
    QStringLiteral("%1 张照片因无法连接服务器未能发送。\n\n是否保留到待发送箱,等网络恢复后再发送?");

struct Fixture {
    TempAppDir app;
    QTemporaryDir data;
    std::unique_ptr<PhotoServiceProcess> service;
    std::unique_ptr<TDM_Main> dm;
    TPhotoListModel list;

    QString db() const { return data.filePath(QStringLiteral("photos.db")); }
    QString jpeg(const QString &name, QSize size) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(int(qHash(name) % 360), 160, 200));
        const QString path = data.filePath(name);
        image.save(path, "JPEG", 90);
        return path;
    }
};

template <typename T> QList<T *> rowWidgets(TFrm_PhotoSheet &sheet, const char *name) {
    return sheet.findChildren<T *>(QLatin1String(name));
}

// The rows' widgets in row order (the table keeps them in its viewport, in the order they were made).
QList<QComboBox *> typeCombos(TFrm_PhotoSheet &sheet) {
    return rowWidgets<QComboBox>(sheet, "Cb_PhotoType");
}

// No row's choice is offered by another row, and no two rows chose the same type.
void checkTypesOnceEach(TFrm_PhotoSheet &sheet) {
    const QList<QComboBox *> combos = typeCombos(sheet);
    QSet<QString> chosen;
    for (QComboBox *combo : combos) {
        if (combo->currentIndex() < 0) {
            continue;
        }
        QVERIFY2(!chosen.contains(combo->currentText()), qPrintable(combo->currentText()));
        chosen.insert(combo->currentText());
        for (QComboBox *other : combos) {
            for (int i = 0; other != combo && i < other->count(); ++i) {
                QVERIFY2(other->itemText(i) != combo->currentText(), qPrintable(combo->currentText()));
            }
        }
    }
}

} // namespace

class TstPhotoSheet : public QObject {
    Q_OBJECT

    std::unique_ptr<Fixture> fx;

private slots:
    void initTestCase() {
        fx = std::make_unique<Fixture>();
        fx->service = std::make_unique<PhotoServiceProcess>(fx->db());
        QVERIFY(fx->service->started());
        QString error;
        QVERIFY(cli::WriteConfigFile(fx->app.path(), QStringLiteral("127.0.0.1"),
                                     QString::number(fx->service->port()), error));
        fx->dm = std::make_unique<TDM_Main>();
        DM_Main->PhotoListView = &fx->list;
        DM_Main->UserName = QString::fromUtf8(kDemoUser);
        DM_Main->UserPass = QString::fromUtf8(kDemoPassword);
        QCOMPARE(TUploadPicture().Func_ValidateUserLogin(), WM_LOGIN_SUCCESS);
        // A company without photos: three may be added, of four types.
        QVERIFY(DM_Main->Session().Query(QString::fromUtf8(kDemoCompanyEmpty)).ok());
        QCOMPARE(fx->list.rowCount(), 0);
        QCOMPARE(DM_Main->PhotoTypeList.size(), kDemoCompanyEmptyTypeCount);
    }

    void cleanupTestCase() { fx.reset(); }

    void typeCombosNeverOfferATypeTwice() {
        QStringList files;
        for (int i = 0; i < kDemoCompanyEmptyTypeCount + 1; ++i) {
            files.append(fx->jpeg(QStringLiteral("t%1.jpg").arg(i), QSize(64, 48)));
        }
        TFrm_PhotoSheet sheet(files);
        const QList<QComboBox *> combos = typeCombos(sheet);
        QCOMPARE(combos.size(), files.size());
        // The first free type proposed to each row in turn; a row past the last type has none.
        for (int i = 0; i < kDemoCompanyEmptyTypeCount; ++i) {
            QCOMPARE(combos[i]->currentText(), DM_Main->PhotoTypeList[i]);
        }
        QCOMPARE(combos.last()->currentIndex(), -1);
        checkTypesOnceEach(sheet);
        // A row removed frees its type for the row that had none; another removed frees one to choose.
        const auto remove = [&sheet](int row) {
            rowWidgets<QPushButton>(sheet, "Btn_Row").at(row)->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        remove(0);
        QCOMPARE(typeCombos(sheet).last()->currentText(), DM_Main->PhotoTypeList[0]);
        checkTypesOnceEach(sheet);
        remove(0);
        const QList<QComboBox *> left = typeCombos(sheet);
        QCOMPARE(left.size(), 3);
        QCOMPARE(left[0]->count(), 2); // its own and the freed one
        left[0]->setCurrentIndex(left[0]->findText(DM_Main->PhotoTypeList[1]));
        QCOMPARE(left[0]->currentText(), DM_Main->PhotoTypeList[1]);
        checkTypesOnceEach(sheet);
        QVERIFY(left[1]->findText(DM_Main->PhotoTypeList[2]) >= 0); // the type the first row left
    }

    // Rows that find no service are kept in the outbox as they were prepared, when the user agrees.
    void unreachableRowsKeptInTheOutbox() {
        const QStringList files{fx->jpeg(QStringLiteral("k1.jpg"), QSize(900, 900)),
                                fx->jpeg(QStringLiteral("k2.jpg"), QSize(300, 200))};
        TFrm_PhotoSheet sheet(files);
        sheet.show();
        QTRY_VERIFY_WITH_TIMEOUT(sheet.StateOf(1) == TFrm_PhotoSheet::RowState::Ready, 60000);
        const QList<QLineEdit *> notes = rowWidgets<QLineEdit>(sheet, "Ed_PhotoNote");
        notes[0]->setText(QStringLiteral("门头"));
        notes[1]->setText(QStringLiteral("柜台"));
        QTcpServer closed; // a port where nothing listens
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString livePort = DM_Main->ServerPort;
        DM_Main->ServerPort = QString::number(closed.serverPort());
        closed.close();
        TScriptedMessageBoxes boxes; // answers Yes
        sheet.findChild<QPushButton *>(QStringLiteral("Btn_Save"))->click();
        DM_Main->ServerPort = livePort;
        QCOMPARE(boxes.Texts(), QStringList{kKeepQuestion.arg(2)});
        QCOMPARE(sheet.StateOf(0), TFrm_PhotoSheet::RowState::Kept);
        QCOMPARE(sheet.StateOf(1), TFrm_PhotoSheet::RowState::Kept);
        const QList<TOutbox::Listed> kept = TOutbox().List();
        QCOMPARE(kept.size(), 2);
        const QList<QComboBox *> combos = typeCombos(sheet);
        for (int i = 0; i < 2; ++i) {
            const auto found = std::find_if(kept.begin(), kept.end(), [&](const TOutbox::Listed &listed) {
                return listed.entry.typeEntry == combos[i]->currentText();
            });
            QVERIFY(found != kept.end() && found->error.isEmpty());
            QCOMPARE(found->entry.kind, TOutboxEntry::Kind::Add);
            QCOMPARE(found->entry.companyId, QString::fromUtf8(kDemoCompanyEmpty));
            QCOMPARE(found->entry.note, notes[i]->text());
            QVERIFY(!found->entry.reason.isEmpty());
            QVERIFY(found->entry.photo.hasImage());
        }
        for (const TOutbox::Listed &entry : kept) {
            QVERIFY(TOutbox().Discard(entry.id));
        }
    }

    void oneRefusedOneFailedThenSentAgain() {
        const QStringList files{fx->jpeg(QStringLiteral("a.jpg"), QSize(1600, 1200)),
                                fx->jpeg(QStringLiteral("b.jpg"), QSize(640, 480)),
                                fx->jpeg(QStringLiteral("c.jpg"), QSize(800, 600))};
        TFrm_PhotoSheet sheet(files);
        sheet.show();
        QTRY_VERIFY_WITH_TIMEOUT(sheet.StateOf(2) == TFrm_PhotoSheet::RowState::Ready, 60000);
        // Prepared before anything is sent: the sizes show against the company's limits.
        const QString sizes = rowWidgets<QLabel>(sheet, "Lb_Sizes").at(0)->text();
        QVERIFY2(sizes.contains(QStringLiteral("× ")) && sizes.contains(QStringLiteral("KB")),
                 qPrintable(sizes));
        const QList<QComboBox *> combos = typeCombos(sheet);
        const QList<QLineEdit *> notes = rowWidgets<QLineEdit>(sheet, "Ed_PhotoNote");
        for (int i = 0; i < 3; ++i) {
            notes[i]->setText(QStringLiteral("现场照片%1").arg(i + 1));
        }
        // Meanwhile someone else adds a photo of the second row's type.
        const QString takenEntry = combos[1]->currentText();
        {
            PhotoWorkflow::TPreparedPhoto other;
            QVERIFY(DM_Main->Session().Prepare(files[1], other).ok());
            const TPictureInfo record = PhotoWorkflow::PhotoRecord(*DM_Main->CurrentCompany, QString(),
                                                                   PhotoTypeChoice::CodeOf(takenEntry),
                                                                   QStringLiteral("别人"), other);
            QString code;
            TUploadPicture().Func_InsertCompanyPhoto(record, code);
            QCOMPARE(code, QStringLiteral("1110"));
        }
        // The service goes away once the second row has its answer.
        connect(&sheet, &TFrm_PhotoSheet::RowDone, this, [this](int row) {
            if (row == 1) {
                fx->service->stop();
            }
        });
        TScriptedMessageBoxes boxes;
        boxes.QueueAnswer(QMessageBox::No); // not kept in the outbox: sent again below
        sheet.findChild<QPushButton *>(QStringLiteral("Btn_Save"))->click();
        using State = TFrm_PhotoSheet::RowState;
        QCOMPARE(sheet.StateOf(0), State::Sent);
        QCOMPARE(sheet.StateOf(1), State::Refused);
        QCOMPARE(sheet.StateOf(2), State::Failed);
        // Each row tells its own result; the one the service never saw may be kept.
        QCOMPARE(boxes.Texts(), QStringList{kKeepQuestion.arg(1)});
        const QList<QLabel *> results = rowWidgets<QLabel>(sheet, "Lb_Result");
        QVERIFY2(results[1]->text().startsWith(QStringLiteral("被拒绝:")), qPrintable(results[1]->text()));
        QVERIFY2(results[2]->text().startsWith(QStringLiteral("发送失败:")), qPrintable(results[2]->text()));
        // Back on the same database; the failed row is sent again alone.
        sheet.disconnect(this);
        fx->service = std::make_unique<PhotoServiceProcess>(fx->db(), false,
                                                            QStringList{QStringLiteral("--open-access")});
        QVERIFY(fx->service->started());
        DM_Main->ServerPort = QString::number(fx->service->port());
        rowWidgets<QPushButton>(sheet, "Btn_Row").at(2)->click();
        QCOMPARE(sheet.StateOf(2), State::Sent);
        QCOMPARE(sheet.StateOf(1), State::Refused);
        QCOMPARE(sheet.SentIds.size(), 2);
        QString code;
        TUploadPicture().Func_GetCompanyPhotoList(code);
        QCOMPARE(code, QStringLiteral("1110"));
        QCOMPARE(fx->list.rowCount(), 3); // the two sent and the other one's
        for (const QString &id : sheet.SentIds) {
            QVERIFY(fx->list.findRow(id) >= 0);
        }
    }
};

QTEST_MAIN(TstPhotoSheet)
#include "tst_photosheet.moc"
