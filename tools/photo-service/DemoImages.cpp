#include "DemoImages.h"

#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace DemoImages {

QByteArray PaintJpeg(QSize size, int variant) {
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const int hue = (variant * 67) % 360;
        QLinearGradient sky(0, 0, 0, size.height());
        sky.setColorAt(0, QColor::fromHsv(hue, 90, 250));
        sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 160, 160));
        p.fillRect(image.rect(), sky);
        // A building front with a sign and windows, so the photos read as "shop front" scenes.
        const int w = size.width();
        const int h = size.height();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv((hue + 180) % 360, 60, 200));
        p.drawRect(w / 8, h / 3, w * 3 / 4, h * 2 / 3);
        p.setBrush(QColor::fromHsv((hue + 200) % 360, 200, 150));
        p.drawRect(w / 6, h / 3 + h / 20, w * 2 / 3, h / 10);
        p.setBrush(QColor(240, 240, 210));
        for (int i = 0; i < 3 + variant % 3; ++i) {
            p.drawRect(w / 6 + i * w / 6, h / 2 + h / 20, w / 10, h / 7);
        }
        p.setBrush(QColor::fromHsv((hue + 90) % 360, 220, 230));
        p.drawEllipse(QPoint(w * 5 / 6, h / 6), h / 12, h / 12);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

} // namespace DemoImages
