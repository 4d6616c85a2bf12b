#pragma once
// The photo viewer: shows one photo file and lets the user zoom, rotate and pan it. The main window
// docks it into its preview pane, names the file in PhotoFile, calls InitSystem and drives zoom and
// rotation with the commands of ViewCommands.h; the user pans by dragging with the left button.

#include "PhotoViewCache.h"
#include "PhotoViewState.h"

#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

class TFrm_ViewPhoto : public QWidget {
    Q_OBJECT

public:
    explicit TFrm_ViewPhoto(QWidget *parent = nullptr);
    ~TFrm_ViewPhoto() override;

    QString PhotoFile;        // the image file to show
    QImage PhotoImage;        // the loaded photo, upright and with any rotation; null when none is shown
    QLabel *Label1 = nullptr; // the "no photo yet" notice; the main window shows and hides it
    QTimer *Timer1 = nullptr; // puts the application cursor back once the pointer has left the viewer

    // (Re)loads PhotoFile at scale 1 into the top-left corner; a missing file changes nothing, an
    // unreadable one is logged and leaves the viewer as it was.
    void InitSystem();
    // Everything back to rest and the photo let go.
    void FormClose();

    const TPhotoViewState &ViewState() const { return State; }
    const TPhotoViewCache &ViewCache() const { return Cache; }

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void enterEvent(QEnterEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void FormCreate();
    void FormShow();
    void FormMouseDown(Qt::MouseButton button, QPoint point);
    void FormMouseMove(QPoint point);
    void FormMouseUp(Qt::MouseButton button);
    void Timer1Timer();
    void HandleCommand(QEvent::Type command);
    void CentreLabel();
    // Shows the picture after a drag step, moving the pixels already on screen where it can.
    void ShowMovedPicture();
    // Sets the application-wide cursor; nullptr gives it back to the rest of the program.
    void SetScreenCursor(const QCursor *cursor);

    // What the window shows, so that a drag can move those pixels instead of painting them again.
    struct TShownPicture {
        bool Valid = false;
        qint64 PhotoKey = 0;
        bool Zoomed = false;
        QRect Picture;
        bool operator==(const TShownPicture &) const = default;
    };

    TPhotoViewState State;
    TShownPicture Shown;
    TPhotoViewCache Cache;
    QCursor HandCursor; // over the viewer and after a drag
    QCursor GrabCursor; // while dragging
    bool ScreenCursorSet = false;
};
