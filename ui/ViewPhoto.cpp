#include "ViewPhoto.h"

#include "ViewCommands.h"
#include "ViewPhotoCursors.h"
#include "ViewPhotoLoad.h"
#include "core/FileOper.h"
#include "core/SysOper.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <cstdlib>
#include <exception>

TFrm_ViewPhoto::TFrm_ViewPhoto(QWidget *parent) : QWidget(parent), Cache([this] { update(); }) {
    FormCreate();
}

TFrm_ViewPhoto::~TFrm_ViewPhoto() {
    SetScreenCursor(nullptr);
}

void TFrm_ViewPhoto::FormCreate() {
    setObjectName(QStringLiteral("Frm_ViewPhoto"));
    resize(696, 480);
    setBackgroundRole(QPalette::Base);
    // paintEvent fills the background itself, and only where the photo does not cover it.
    setAttribute(Qt::WA_OpaquePaintEvent);

    Label1 = new QLabel(QStringLiteral("当前照片未下载,请双击列表或右键下载照片"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(16);
    font.setBold(true);
    Label1->setFont(font);
    QPalette red = Label1->palette();
    // Over the viewer's Base background the label draws with the Text role, so both are red.
    red.setColor(QPalette::WindowText, Qt::red);
    red.setColor(QPalette::Text, Qt::red);
    Label1->setPalette(red);
    Label1->adjustSize();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TFrm_ViewPhoto::Timer1Timer);
    Timer1->start();

    const QString cursors = TSysOper::GetShippedPath() + QStringLiteral("cursor/");
    HandCursor = CursorOrArrow(cursors + QStringLiteral("132.cur"));
    GrabCursor = CursorOrArrow(cursors + QStringLiteral("133.cur"));
    setCursor(HandCursor);
}

void TFrm_ViewPhoto::InitSystem() {
    if (!QFileInfo(PhotoFile).isFile()) {
        return;
    }
    State.ResetScale();
    try {
        TUprightPhoto loaded = LoadUprightPhoto(PhotoFile);
        if (loaded.Image.isNull()) {
            TFileOper::WriteLog(QStringLiteral("图片窗体初始化错误, InitSystem中错误:") + loaded.Error);
            return;
        }
        PhotoImage = std::move(loaded.Image);
        State.Loaded(PhotoImage.size());
        repaint();
    } catch (const std::exception &e) {
        TFileOper::WriteLog(QStringLiteral("图片窗体初始化错误, InitSystem中错误:") +
                            QString::fromLocal8Bit(e.what()));
    }
}

bool TFrm_ViewPhoto::event(QEvent *e) {
    if (IsViewCommand(e->type())) {
        HandleCommand(e->type());
        return true;
    }
    return QWidget::event(e);
}

void TFrm_ViewPhoto::HandleCommand(QEvent::Type command) {
    if (command == WM_VIEW_SOURCESIZE) {
        // Reading the file again also undoes every rotation.
        PhotoImage = QImage();
        InitSystem();
        repaint();
        return;
    }
    if (PhotoImage.isNull()) {
        return;
    }
    switch (static_cast<int>(command)) {
    case int(WM_VIEW_WHEELDOWN):
        // Wheel steps only change the scale; the WM_VIEW_WHEEL that ends the wheel event shows it.
        // The screen now lags behind the state, so a drag must not reuse its pixels.
        State.StepDown();
        Shown = {};
        return;
    case int(WM_VIEW_WHEELUP):
        State.StepUp();
        Shown = {};
        return;
    case int(WM_VIEW_ROTATERIGHT):
    case int(WM_VIEW_ROTATELEFT):
        PhotoImage = RotatedQuarter(PhotoImage, command == WM_VIEW_ROTATERIGHT);
        break;
    case int(WM_VIEW_ZOOMIN):
        State.StepUp();
        break;
    case int(WM_VIEW_ZOOMOUT):
        State.StepDown();
        break;
    default:
        break;
    }
    State.ToCorner(PhotoImage.size());
    repaint();
}

void TFrm_ViewPhoto::paintEvent(QPaintEvent *e) {
    QPainter painter(this);
    const QRegion &exposed = e->region();
    if (PhotoImage.isNull()) {
        Cache.Clear();
        Shown = {};
        painter.fillRect(exposed.boundingRect(), palette().brush(backgroundRole()));
        return;
    }
    State.SettleForPaint(PhotoImage.size());
    const QRect picture = State.PictureRect(PhotoImage.size());
    const TShownPicture now{true, PhotoImage.cacheKey(), State.Zoomed, picture};
    if ((QRegion(rect()) - exposed).isEmpty()) {
        Shown = now;
    } else if (!(Shown == now)) {
        Shown = {}; // part old, part new: nothing on screen can be reused
    }

    QRegion background = exposed;
    if (!PhotoImage.hasAlphaChannel()) {
        background -= picture;
    }
    for (const QRect &b : background) {
        painter.fillRect(b, palette().brush(backgroundRole()));
    }
    if (State.Zoomed) {
        Cache.Draw(painter, PhotoImage, picture, exposed, rect());
        return;
    }
    // At its own size the photo is copied as it is; the scaled copy is not needed.
    Cache.Clear();
    for (const QRect &part : exposed &picture) {
        painter.drawImage(part.topLeft(), PhotoImage, part.translated(-picture.topLeft()));
    }
}

void TFrm_ViewPhoto::showEvent(QShowEvent *e) {
    QWidget::showEvent(e);
    if (!e->spontaneous()) {
        FormShow();
    }
}

void TFrm_ViewPhoto::FormShow() {
    InitSystem();
    CentreLabel();
}

void TFrm_ViewPhoto::resizeEvent(QResizeEvent *e) {
    QWidget::resizeEvent(e);
    // The pane the viewer is docked into can change size; the notice stays in its middle.
    CentreLabel();
}

void TFrm_ViewPhoto::CentreLabel() {
    const QSize outer = isWindow() ? frameGeometry().size() : size();
    Label1->move(RoundHalfEven((outer.width() - Label1->width()) / 2.0),
                 RoundHalfEven((outer.height() - Label1->height()) / 2.0));
}

void TFrm_ViewPhoto::closeEvent(QCloseEvent *e) {
    FormClose();
    QWidget::closeEvent(e);
}

void TFrm_ViewPhoto::FormClose() {
    State.Close();
    PhotoImage = QImage();
    Cache.Clear();
}

void TFrm_ViewPhoto::mousePressEvent(QMouseEvent *e) {
    FormMouseDown(e->button(), e->position().toPoint());
}

void TFrm_ViewPhoto::mouseMoveEvent(QMouseEvent *e) {
    FormMouseMove(e->position().toPoint());
}

void TFrm_ViewPhoto::mouseReleaseEvent(QMouseEvent *e) {
    FormMouseUp(e->button());
}

void TFrm_ViewPhoto::FormMouseDown(Qt::MouseButton button, QPoint point) {
    if (button != Qt::LeftButton || PhotoImage.isNull()) {
        return;
    }
    if (State.Press(point, PhotoImage.size())) {
        SetScreenCursor(&GrabCursor);
    }
}

void TFrm_ViewPhoto::FormMouseMove(QPoint point) {
    if (State.Move(point, PhotoImage.size())) {
        ShowMovedPicture();
    }
}

void TFrm_ViewPhoto::ShowMovedPicture() {
    const QRect now = State.PictureRect(PhotoImage.size());
    const QPoint shift = now.topLeft() - Shown.Picture.topLeft();
    const bool onlyMoved = Shown.Valid && Shown.PhotoKey == PhotoImage.cacheKey() &&
                           Shown.Zoomed == State.Zoomed && Shown.Picture.size() == now.size() &&
                           !Label1->isVisible();
    if (!onlyMoved || std::abs(shift.x()) >= width() || std::abs(shift.y()) >= height()) {
        repaint();
        return;
    }
    if (shift.isNull()) {
        return;
    }
    // The window shows nothing but the background and the picture, so all of it moves with the
    // picture: shift the pixels on screen and paint only the strips that came into view.
    scroll(shift.x(), shift.y(), rect());
    Shown.Picture = now;
    repaint(QRegion(rect()) - rect().translated(shift));
}

void TFrm_ViewPhoto::FormMouseUp(Qt::MouseButton button) {
    if (button != Qt::LeftButton) {
        return;
    }
    State.Release();
    SetScreenCursor(&HandCursor);
}

void TFrm_ViewPhoto::enterEvent(QEnterEvent *e) {
    QWidget::enterEvent(e);
    Timer1->start();
}

void TFrm_ViewPhoto::Timer1Timer() {
    const QRect onScreen = isWindow() ? frameGeometry() : QRect(mapToGlobal(QPoint(0, 0)), size());
    if (!onScreen.contains(QCursor::pos())) {
        Timer1->stop();
        SetScreenCursor(nullptr);
    }
}

void TFrm_ViewPhoto::SetScreenCursor(const QCursor *cursor) {
    if (cursor == nullptr) {
        if (ScreenCursorSet) {
            QGuiApplication::restoreOverrideCursor();
            ScreenCursorSet = false;
        }
        return;
    }
    if (ScreenCursorSet) {
        QGuiApplication::changeOverrideCursor(*cursor);
    } else {
        QGuiApplication::setOverrideCursor(*cursor);
        ScreenCursorSet = true;
    }
}
