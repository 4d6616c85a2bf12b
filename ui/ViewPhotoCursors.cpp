#include "ViewPhotoCursors.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

namespace {

// A cursor file holds a handful of small images; anything far larger is not one.
constexpr qint64 MaxCursorFileBytes = 1 << 20;
constexpr int DirectoryBytes = 6;
constexpr int EntryBytes = 16;

quint16 Word(const QByteArray &bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

} // namespace

std::optional<QCursor> LoadCursorFile(const QString &path) {
    QFile file(path);
    if (file.size() > MaxCursorFileBytes || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(MaxCursorFileBytes);
    // Directory: reserved 0, type 2 (cursor), image count; the first entry carries the hot spot.
    if (bytes.size() < DirectoryBytes + EntryBytes || Word(bytes, 0) != 0 || Word(bytes, 2) != 2 ||
        Word(bytes, 4) == 0) {
        return std::nullopt;
    }
    QPoint hotSpot(Word(bytes, DirectoryBytes + 4), Word(bytes, DirectoryBytes + 6));

    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "cur");
    const QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    if (!image.rect().contains(hotSpot)) {
        hotSpot = QPoint(0, 0);
    }
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

QCursor CursorOrArrow(const QString &path) {
    return LoadCursorFile(path).value_or(QCursor(Qt::ArrowCursor));
}
