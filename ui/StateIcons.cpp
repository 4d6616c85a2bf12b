#include "StateIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace StateIcons {
namespace {

// A small picture frame: a sky, a hill and a sun, in the state's colour.
void drawPhoto(QPainter &p, const QRectF &frame, const QColor &colour) {
    p.setPen(QPen(colour.darker(140), 1.2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(frame, 2, 2);
    QPainterPath hill;
    hill.moveTo(frame.left() + 1, frame.bottom() - 1);
    hill.lineTo(frame.left() + frame.width() * 0.4, frame.top() + frame.height() * 0.45);
    hill.lineTo(frame.left() + frame.width() * 0.65, frame.top() + frame.height() * 0.7);
    hill.lineTo(frame.left() + frame.width() * 0.8, frame.top() + frame.height() * 0.55);
    hill.lineTo(frame.right() - 1, frame.bottom() - 1);
    hill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(hill);
    p.setBrush(QColor(255, 190, 0));
    p.drawEllipse(QPointF(frame.left() + frame.width() * 0.75, frame.top() + frame.height() * 0.28),
                  frame.width() * 0.1, frame.width() * 0.1);
}

} // namespace

QPixmap Pixmap(int state) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (state) {
    case 1: // small version: a small frame
        drawPhoto(p, QRectF(5.5, 7.5, 13, 10), QColor(46, 139, 87));
        break;
    case 2: // source version: a large frame
        drawPhoto(p, QRectF(1.5, 2.5, 21, 19), QColor(30, 100, 200));
        break;
    default: { // not downloaded: a grey outline with a download arrow
        p.setPen(QPen(QColor(150, 150, 150), 1.2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(2.5, 2.5, 19, 19), 2, 2);
        p.setPen(QPen(QColor(200, 60, 40), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 6), QPointF(12, 16));
        p.drawLine(QPointF(8, 12.5), QPointF(12, 16.5));
        p.drawLine(QPointF(16, 12.5), QPointF(12, 16.5));
        break;
    }
    }
    return pixmap;
}

QIcon Icon(int state) {
    return QIcon(Pixmap(state));
}

} // namespace StateIcons
