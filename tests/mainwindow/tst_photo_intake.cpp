// A photo from outside the editor's file chooser: dropped on the main window or on the editor, or
// pasted; and the list's look (rows or icons) kept in the program folder. The window is never shown,
// so no service and no login are needed.

#include "AddPhoto.h"
#include "MessageBox.h"
#include "OpenFileDialog.h"
#include "PhotoSheet.h"
#include "UploadMain.h"
#include "client/MainDataModule.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QImageReader>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <functional>
#include <memory>

namespace {

struct World {
    TempAppDir app;
    TDM_Main dm;
    std::unique_ptr<TFrm_UploadMain> window = std::make_unique<TFrm_UploadMain>();

    World() {
        DM_Main->CurrentCompany->CustomerId = QStringLiteral("C1");
        DM_Main->MaxPhotoNumber = 5;
    }
    QString jpeg(const QString &name) const {
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(app.file(name), "JPEG");
        return app.file(name);
    }
    QString text(const QString &name) const {
        QFile file(app.file(name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write("not a photo");
        }
        return file.fileName();
    }
};

// What the photo editor showed when act opened it (it is closed at once), and the working file then.
struct Editor {
    bool opened = false;
    int mode = -1;
    QString path;
    QByteArray format;
    QSize size;
};
Editor whenEditorOpens(const std::function<void()> &act) {
    Editor seen;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&seen] {
        if (auto *editor = qobject_cast<TFrm_AddPhoto *>(QApplication::activeModalWidget())) {
            seen.opened = true;
            seen.mode = editor->OperMode;
            seen.path = editor->findChild<QLineEdit *>(QStringLiteral("Ed_PhotoPath"))->text();
            QImageReader reader(seen.path);
            seen.format = reader.format();
            seen.size = reader.size();
            editor->reject();
        }
    });
    closer.start(0);
    act();
    QCoreApplication::processEvents(); // a drop is handled once it has ended
    return seen;
}

// How many rows the sheet of several photos had when act opened it (it is closed at once); -1: none.
int whenSheetOpens(const std::function<void()> &act) {
    int rows = -1;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&rows] {
        if (auto *sheet = qobject_cast<TFrm_PhotoSheet *>(QApplication::activeModalWidget())) {
            rows = sheet->RowCount();
            sheet->done(QDialog::Rejected);
        }
    });
    closer.start(0);
    act();
    QCoreApplication::processEvents();
    return rows;
}

std::unique_ptr<QMimeData> files(const QStringList &paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

// A drag over target that ends there: the drop goes to the widget that accepted the drag.
void drop(QWidget *target, const QMimeData *data) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TstPhotoIntake : public QObject {
    Q_OBJECT

private slots:
    void dropOnWindowOpensTheEditorToAdd() {
        World w;
        const QString photo = w.jpeg(QStringLiteral("a.jpg"));
        TScriptedMessageBoxes boxes;
        const Editor editor = whenEditorOpens([&] { drop(w.window.get(), files({photo}).get()); });
        QVERIFY(editor.opened);
        QCOMPARE(editor.mode, int(TFrm_AddPhoto::ModeAdd));
        QCOMPARE(editor.path, photo);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void dropRefusals_data() {
        QTest::addColumn<int>("fileCount");
        QTest::addColumn<bool>("company");
        QTest::addColumn<bool>("photo");
        QTest::addColumn<QString>("message"); // empty: the editor's own refusal of the file
        QTest::newRow("no company shown")
            << 1 << false << true << QStringLiteral("请先查询企业信息,再添加照片");
        QTest::newRow("not a photo") << 1 << true << false << QString();
        QTest::newRow("at the photo limit") << 1 << true << true << QStringLiteral("您最多能添加【0】张照片");
    }
    void dropRefusals() {
        QFETCH(int, fileCount);
        QFETCH(bool, company);
        QFETCH(bool, photo);
        QFETCH(QString, message);
        World w;
        if (!company) {
            DM_Main->CurrentCompany->CustomerId.clear();
        }
        if (message.contains(QStringLiteral("【0】"))) {
            DM_Main->MaxPhotoNumber = 0;
        }
        QStringList paths;
        for (int i = 0; i < fileCount; ++i) {
            paths.append(photo ? w.jpeg(QStringLiteral("p%1.jpg").arg(i)) : w.text(QStringLiteral("p.jpg")));
        }
        TScriptedMessageBoxes boxes;
        QVERIFY(!whenEditorOpens([&] { drop(w.window.get(), files(paths).get()); }).opened);
        QCOMPARE(boxes.Texts().size(), 1);
        if (!message.isEmpty()) {
            QCOMPARE(boxes.Texts().first(), message);
        }
    }

    void severalFilesOpenTheSheet_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("dropped on the window") << QStringLiteral("drop");
        QTest::newRow("pasted") << QStringLiteral("paste");
        QTest::newRow("chosen together in the editor") << QStringLiteral("choose");
    }
    void severalFilesOpenTheSheet() {
        QFETCH(QString, how);
        World w;
        const QStringList paths{w.jpeg(QStringLiteral("s1.jpg")), w.jpeg(QStringLiteral("s2.jpg")),
                                w.jpeg(QStringLiteral("s3.jpg"))};
        TScriptedMessageBoxes boxes;
        TOpenFileDialog::SetChooser([&paths](const QString &, const QStringList &) { return paths; });
        const int rows = whenSheetOpens([&] {
            if (how == QLatin1String("drop")) {
                drop(w.window.get(), files(paths).get());
            } else if (how == QLatin1String("paste")) {
                QApplication::clipboard()->setMimeData(files(paths).release());
                w.window->findChild<QAction *>(QStringLiteral("N_PastePhoto"))->trigger();
            } else {
                QTimer::singleShot(0, [] {
                    if (auto *editor = qobject_cast<TFrm_AddPhoto *>(QApplication::activeModalWidget())) {
                        editor->findChild<QPushButton *>(QStringLiteral("Btn_Load"))->click();
                    }
                });
                w.window->findChild<QAction *>(QStringLiteral("N_AddPhoto"))->trigger();
            }
        });
        TOpenFileDialog::SetChooser({});
        QCOMPARE(rows, 3);
        QVERIFY(boxes.Texts().isEmpty());
    }

    void pasteOpensTheEditorWithAJpegWorkingFile_data() {
        QTest::addColumn<bool>("asFile");
        QTest::newRow("image data, partly transparent") << false;
        QTest::newRow("a copied file") << true;
    }
    void pasteOpensTheEditorWithAJpegWorkingFile() {
        QFETCH(bool, asFile);
        World w;
        const QString photo = w.jpeg(QStringLiteral("copied.jpg"));
        QImage image(300, 200, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        if (asFile) {
            QApplication::clipboard()->setMimeData(files({photo}).release());
        } else {
            QApplication::clipboard()->setImage(image);
        }
        const QString working = w.app.file(QStringLiteral("ClipboardPhoto.jpg"));
        const Editor editor = whenEditorOpens(
            [&] { w.window->findChild<QAction *>(QStringLiteral("N_PastePhoto"))->trigger(); });
        QVERIFY(editor.opened);
        QCOMPARE(editor.path, asFile ? photo : working);
        QCOMPARE(editor.format, QByteArray("jpeg"));
        QCOMPARE(editor.size, asFile ? QSize(320, 240) : QSize(300, 200));
        QVERIFY(!QFile::exists(working)); // removed once the editor is done
        QVERIFY(QFile::exists(photo));
    }

    void dropOnEditorFillsItsPath() {
        World w;
        const QString first = w.jpeg(QStringLiteral("first.jpg"));
        TFrm_AddPhoto editor;
        TScriptedMessageBoxes boxes;
        drop(&editor, files({first}).get());
        QCoreApplication::processEvents();
        QCOMPARE(editor.findChild<QLineEdit *>(QStringLiteral("Ed_PhotoPath"))->text(), first);
        // Several files on an add are handed on to the sheet of several photos; an edit refuses them.
        const QStringList several{w.jpeg(QStringLiteral("b.jpg")), w.jpeg(QStringLiteral("c.jpg"))};
        drop(&editor, files(several).get());
        QCoreApplication::processEvents();
        QCOMPARE(editor.SeveralPaths, several);
        QVERIFY(boxes.Texts().isEmpty());
        TFrm_AddPhoto editing;
        editing.OperMode = TFrm_AddPhoto::ModeEdit;
        drop(&editing, files(several).get());
        QCoreApplication::processEvents();
        QVERIFY(editing.SeveralPaths.isEmpty());
        QCOMPARE(boxes.Texts(), QStringList{QStringLiteral("一次只能添加一张照片,请只拖入一个照片文件")});
    }

    void listLookIsRemembered() {
        World w;
        // "icons", "rows", or "mixed" when the button and the views disagree.
        const auto look = [](const TFrm_UploadMain &window) {
            const bool checked = window.findChild<QToolButton *>(QStringLiteral("Btn_IconView"))->isChecked();
            const bool icons =
                window.findChild<QListView *>(QStringLiteral("Lv_Icons"))->isVisibleTo(&window);
            const bool rows = window.findChild<QWidget *>(QStringLiteral("Lv_List"))->isVisibleTo(&window);
            return checked == icons && icons != rows ? QString::fromLatin1(icons ? "icons" : "rows")
                                                     : QStringLiteral("mixed");
        };
        QCOMPARE(look(*w.window), QStringLiteral("rows"));
        for (const char *chosen : {"icons", "rows"}) {
            w.window->findChild<QToolButton *>(QStringLiteral("Btn_IconView"))->click();
            QCOMPARE(look(*w.window), QLatin1String(chosen));
            w.window = std::make_unique<TFrm_UploadMain>(); // as at the next start
            QCOMPARE(look(*w.window), QLatin1String(chosen));
        }
    }
};

QTEST_MAIN(TstPhotoIntake)
#include "tst_photo_intake.moc"
